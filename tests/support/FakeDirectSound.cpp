// SPDX-License-Identifier: MIT
#include "FakeDirectSound.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

CFakeSoundScope* CFakeSoundScope::s_pCurrent = nullptr;

kds::HRESULT CFakeSoundScope::SFault::Next() {
    if (m_skip > 0) {
        --m_skip;
        return kds::DS_OK;
    }
    if (m_count > 0) {
        if (m_count != kAlways)
            --m_count;
        return m_code;
    }
    return kds::DS_OK;
}

class CFakeSoundScope::CBuffer final : public kds::IDirectSoundBuffer {
public:
    CBuffer(CFakeSoundScope& owner, int id) : m_owner(owner), m_id(id) {}
    ~CBuffer() override = default;

    kds::HRESULT Lock(uint32_t writeCursor, uint32_t writeBytes, void** ppAudioPtr1,
                      uint32_t* pAudioBytes1, void** ppAudioPtr2, uint32_t* pAudioBytes2,
                      uint32_t flags) override {
        SFakeCall call = Call(EFakeOp::Lock);
        call.m_position = writeCursor;
        call.m_bytes = writeBytes;
        call.m_flags = flags;
        call.m_plainArgs = ppAudioPtr1 != nullptr && pAudioBytes1 != nullptr &&
                           ppAudioPtr2 == nullptr && pAudioBytes2 == nullptr;
        kds::HRESULT result = m_owner.m_lockFault.Next();
        if (result == kds::DS_OK && m_state.m_lost)
            result = kds::DSERR_BUFFERLOST;
        if (result == kds::DS_OK && (ppAudioPtr1 == nullptr || pAudioBytes1 == nullptr))
            result = kds::DSERR_INVALIDPARAM;
        if (result == kds::DS_OK) {
            // The whole buffer is handed out when asked for, else the range asked for.
            const bool whole = (flags & kds::DSBLOCK_ENTIREBUFFER) != 0;
            const uint32_t start = whole ? 0 : writeCursor;
            const uint32_t bytes = whole ? m_state.m_bytes : writeBytes;
            if (start > m_state.m_bytes || bytes > m_state.m_bytes - start) {
                result = kds::DSERR_INVALIDPARAM;
            } else {
                m_staging.assign(m_state.m_memory.begin(), m_state.m_memory.end());
                *ppAudioPtr1 = m_staging.data() + start;
                *pAudioBytes1 = bytes;
                m_state.m_locked = true;
            }
        }
        call.m_result = result;
        m_owner.Record(call);
        return result;
    }

    kds::HRESULT Unlock(void* pAudioPtr1, uint32_t audioBytes1, void* pAudioPtr2,
                        uint32_t audioBytes2) override {
        SFakeCall call = Call(EFakeOp::Unlock);
        call.m_pointer = pAudioPtr1;
        call.m_bytes = audioBytes1;
        call.m_plainArgs = pAudioPtr2 == nullptr && audioBytes2 == 0;
        kds::HRESULT result = m_owner.m_unlockFault.Next();
        if (!m_state.m_locked) {
            ++m_owner.m_misuse;
            result = kds::DSERR_INVALIDPARAM;
        } else if (result == kds::DS_OK) {
            m_state.m_memory.assign(m_staging.begin(), m_staging.end());
        }
        m_state.m_locked = false;
        call.m_result = result;
        m_owner.Record(call);
        return result;
    }

    kds::HRESULT Restore() override {
        SFakeCall call = Call(EFakeOp::Restore);
        m_state.m_lost = false;
        m_owner.Record(call);
        return kds::DS_OK;
    }

    kds::HRESULT SetCurrentPosition(uint32_t newPosition) override {
        SFakeCall call = Call(EFakeOp::SetCurrentPosition);
        call.m_position = newPosition;
        if (newPosition > m_state.m_bytes) {
            call.m_result = kds::DSERR_INVALIDPARAM;
        } else {
            m_state.m_position = newPosition;
            m_owner.m_lastPositioned = m_id;
        }
        m_owner.Record(call);
        return call.m_result;
    }

    kds::HRESULT Play(uint32_t reserved1, uint32_t priority, uint32_t flags) override {
        SFakeCall call = Call(EFakeOp::Play);
        call.m_flags = flags;
        call.m_plainArgs = reserved1 == 0 && priority == 0;
        m_owner.m_lastPlayed = m_id;
        kds::HRESULT result = m_owner.m_playFault.Next();
        if (result == kds::DS_OK && m_state.m_lost)
            result = kds::DSERR_BUFFERLOST;
        if (result == kds::DS_OK) {
            m_state.m_playing = true;
            m_state.m_playFlags = flags;
        }
        call.m_result = result;
        m_owner.Record(call);
        return result;
    }

    uint32_t Release() override {
        SFakeCall call = Call(EFakeOp::ReleaseBuffer);
        m_state.m_released = true;
        m_state.m_playing = false;
        m_owner.Record(call);
        return 0;
    }

    void Lose() {
        m_state.m_lost = true;
        std::fill(m_state.m_memory.begin(), m_state.m_memory.end(), 0);
    }

    SFakeCall Call(EFakeOp op) {
        if (m_state.m_released)
            ++m_owner.m_misuse;
        SFakeCall call;
        call.m_op = op;
        call.m_device = m_state.m_device;
        call.m_buffer = m_id;
        return call;
    }

    CFakeSoundScope& m_owner;
    int m_id;
    SFakeBufferState m_state;
    std::vector<unsigned char> m_staging;
};

class CFakeSoundScope::CDevice final : public kds::IDirectSound {
public:
    CDevice(CFakeSoundScope& owner, int id) : m_owner(owner), m_id(id) {}
    ~CDevice() override = default;

    kds::HRESULT SetCooperativeLevel(kds::HWND window, uint32_t level) override {
        SFakeCall call = Call(EFakeOp::SetCooperativeLevel);
        call.m_window = window;
        call.m_flags = level;
        m_owner.Record(call);
        return kds::DS_OK;
    }

    kds::HRESULT CreateSoundBuffer(const kds::DSBUFFERDESC* pDesc,
                                   kds::IDirectSoundBuffer** ppBuffer, void* pUnkOuter) override {
        SFakeCall call = Call(EFakeOp::CreateSoundBuffer);
        if (pDesc != nullptr) {
            call.m_descSize = pDesc->dwSize;
            call.m_flags = pDesc->dwFlags;
            call.m_bytes = pDesc->dwBufferBytes;
            call.m_pointer = pDesc->lpwfxFormat;
        }
        call.m_plainArgs = pUnkOuter == nullptr && (pDesc == nullptr || pDesc->dwReserved == 0);
        kds::HRESULT result = m_owner.m_bufferFault.Next();
        if (result == kds::DS_OK && (pDesc == nullptr || ppBuffer == nullptr))
            result = kds::DSERR_INVALIDPARAM;
        if (result == kds::DS_OK) {
            const int id = int(m_owner.m_buffers.size()) + 1;
            auto buffer = std::make_unique<CBuffer>(m_owner, id);
            buffer->m_state.m_device = m_id;
            buffer->m_state.m_bytes = pDesc->dwBufferBytes;
            buffer->m_state.m_flags = pDesc->dwFlags;
            buffer->m_state.m_pFormat = pDesc->lpwfxFormat;
            buffer->m_state.m_memory.assign(pDesc->dwBufferBytes, 0);
            buffer->m_staging.reserve(pDesc->dwBufferBytes);
            *ppBuffer = buffer.get();
            m_owner.m_buffers.push_back(std::move(buffer));
            call.m_buffer = id;
        } else if (ppBuffer != nullptr) {
            *ppBuffer = nullptr;
        }
        call.m_result = result;
        m_owner.Record(call);
        return result;
    }

    uint32_t Release() override {
        SFakeCall call = Call(EFakeOp::ReleaseDevice);
        for (const auto& buffer : m_owner.m_buffers)
            if (buffer->m_state.m_device == m_id && !buffer->m_state.m_released)
                ++m_owner.m_misuse;
        m_released = true;
        m_owner.Record(call);
        return 0;
    }

    SFakeCall Call(EFakeOp op) {
        if (m_released)
            ++m_owner.m_misuse;
        SFakeCall call;
        call.m_op = op;
        call.m_device = m_id;
        return call;
    }

    CFakeSoundScope& m_owner;
    int m_id;
    bool m_released = false;
};

CFakeSoundScope::CFakeSoundScope(size_t logCapacity) {
    if (s_pCurrent != nullptr) {
        std::fprintf(stderr, "CFakeSoundScope: only one may exist at a time\n");
        std::abort();
    }
    m_log.reserve(logCapacity);
    m_devices.reserve(16);
    m_buffers.reserve(512);
    s_pCurrent = this;
    kds::SetDirectSoundCreate(&CreateThunk);
    kds::SetSleepFunction(&SleepThunk);
    kds::SetMainWindowHook(&MainWindowThunk);
}

CFakeSoundScope::~CFakeSoundScope() {
    kds::SetDirectSoundCreate(nullptr);
    kds::SetSleepFunction(nullptr);
    kds::SetMainWindowHook(nullptr);
    s_pCurrent = nullptr;
}

void CFakeSoundScope::FailCreate(kds::HRESULT code, int count, int skip) {
    m_createFault = {code, skip, count};
}
void CFakeSoundScope::FailCreateBuffer(kds::HRESULT code, int count, int skip) {
    m_bufferFault = {code, skip, count};
}
void CFakeSoundScope::FailLock(kds::HRESULT code, int count, int skip) {
    m_lockFault = {code, skip, count};
}
void CFakeSoundScope::FailUnlock(kds::HRESULT code, int count, int skip) {
    m_unlockFault = {code, skip, count};
}
void CFakeSoundScope::FailPlay(kds::HRESULT code, int count, int skip) {
    m_playFault = {code, skip, count};
}

void CFakeSoundScope::LoseBuffer(int bufferId) {
    if (bufferId >= 1 && bufferId <= int(m_buffers.size()))
        m_buffers[bufferId - 1]->Lose();
}

void CFakeSoundScope::LoseAllBuffers() {
    for (auto& buffer : m_buffers)
        if (!buffer->m_state.m_released)
            buffer->Lose();
}

void CFakeSoundScope::SetMainWindow(kds::HWND window) {
    m_mainWindow = window;
}

void CFakeSoundScope::ClearLog() {
    m_log.clear();
    m_logOverflowed = false;
}

int CFakeSoundScope::Count(EFakeOp op, int bufferId) const {
    int n = 0;
    for (const SFakeCall& call : m_log)
        if (call.m_op == op && (bufferId == kAnyBuffer || call.m_buffer == bufferId))
            ++n;
    return n;
}

int CFakeSoundScope::IndexOf(EFakeOp op, int bufferId, int n) const {
    for (size_t i = 0; i < m_log.size(); ++i) {
        const SFakeCall& call = m_log[i];
        if (call.m_op == op && (bufferId == kAnyBuffer || call.m_buffer == bufferId) && n-- == 0)
            return int(i);
    }
    return -1;
}

int CFakeSoundScope::OpenDevices() const {
    int n = 0;
    for (const auto& device : m_devices)
        if (!device->m_released)
            ++n;
    return n;
}

int CFakeSoundScope::LiveBuffers() const {
    int n = 0;
    for (const auto& buffer : m_buffers)
        if (!buffer->m_state.m_released)
            ++n;
    return n;
}

const SFakeBufferState& CFakeSoundScope::Buffer(int bufferId) const {
    if (bufferId < 1 || bufferId > int(m_buffers.size())) {
        std::fprintf(stderr, "CFakeSoundScope: no buffer %d\n", bufferId);
        std::abort();
    }
    return m_buffers[bufferId - 1]->m_state;
}

void CFakeSoundScope::Record(const SFakeCall& call) {
    if (m_log.size() == m_log.capacity()) {
        m_logOverflowed = true;
        return;
    }
    m_log.push_back(call);
}

kds::HRESULT CFakeSoundScope::CreateThunk(const void* pGuid, kds::IDirectSound** ppDevice,
                                          void* pOuter) {
    CFakeSoundScope& self = *s_pCurrent;
    ++self.m_createCalls;
    SFakeCall call;
    call.m_op = EFakeOp::Create;
    call.m_plainArgs = pGuid == nullptr && pOuter == nullptr;
    kds::HRESULT result = self.m_createFault.Next();
    if (result == kds::DS_OK && ppDevice == nullptr)
        result = kds::DSERR_INVALIDPARAM;
    if (result == kds::DS_OK) {
        const int id = int(self.m_devices.size()) + 1;
        self.m_devices.push_back(std::make_unique<CDevice>(self, id));
        *ppDevice = self.m_devices.back().get();
        call.m_device = id;
    } else if (ppDevice != nullptr) {
        *ppDevice = nullptr;
    }
    call.m_result = result;
    self.Record(call);
    return result;
}

void CFakeSoundScope::SleepThunk(uint32_t milliseconds) {
    CFakeSoundScope& self = *s_pCurrent;
    ++self.m_sleepCount;
    self.m_sleptMs += milliseconds;
    SFakeCall call;
    call.m_op = EFakeOp::Sleep;
    call.m_bytes = milliseconds;
    self.Record(call);
}

kds::HWND CFakeSoundScope::MainWindowThunk() {
    return s_pCurrent->m_mainWindow;
}
