// SPDX-License-Identifier: MIT
// The sound device over OpenAL Soft: one context on the default output device,
// and for each static buffer one OpenAL buffer played by its own source.
//
// Everything runs on the calling thread except OpenAL Soft's mixer, which plays
// started sources on its own, and the output's thread, which opens the device
// and pauses it through long silences (see OpenALOutput.h). A strike
// (SetCurrentPosition, Play) allocates nothing and never waits on the server:
// it only sets source properties.
//
// A device still opening when its creation returns (a server that does not
// answer) is handed out all the same: its buffers take their contents, and
// strikes stay silent until the first strike after the device has opened.
//
// When the output goes away (the sound server restarts, a device is unplugged
// where the stream cannot move elsewhere), every buffer reports its memory lost
// until the output is back: the voices' own lost-buffer path (Restore, refill,
// Play) then opens it again. On the way back the device re-creates every
// buffer and source and refills each from the copy it keeps, so that later
// strikes allocate nothing again.
#include "DirectSound.h"
#include "OpenALOutput.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstring>
#include <memory>
#include <new>

namespace kds {

namespace {

// Owners of the OpenAL names: each releases its name exactly once. AL names
// (sources, buffers) are released while their context is current; the objects
// that hold them see to that.
// Owns one OpenAL source or buffer name; deletes it once, if it was ever made.
template <void (*Gen)(ALsizei, ALuint*), void (*Delete)(ALsizei, const ALuint*)>
class CAlNameHandle {
public:
    CAlNameHandle() = default;
    ~CAlNameHandle() {
        if (m_valid)
            Delete(1, &m_name);
    }
    CAlNameHandle(const CAlNameHandle&) = delete;
    CAlNameHandle& operator=(const CAlNameHandle&) = delete;
    // Lets go of the name, as its context is about to go.
    void Reset() {
        if (m_valid)
            Delete(1, &m_name);
        m_valid = false;
    }
    bool Generate() {
        alGetError();
        Gen(1, &m_name);
        m_valid = alGetError() == AL_NO_ERROR;
        return m_valid;
    }
    ALuint Get() const { return m_name; }
    bool IsValid() const { return m_valid; }

private:
    ALuint m_name = 0;
    bool m_valid = false;
};

using CAlSourceHandle = CAlNameHandle<alGenSources, alDeleteSources>;
using CAlBufferHandle = CAlNameHandle<alGenBuffers, alDeleteBuffers>;

uint16_t ReadLe16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}
uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(ReadLe16(p)) | uint32_t(ReadLe16(p + 2)) << 16;
}

// What OpenAL needs to know of a WAVE format block. Only its first 14 bytes are
// read (all a format block is sure to have): the sample size follows from the
// block align, so bits-per-sample, which a 14-byte block lacks, is not needed.
struct SPcmFormat {
    ALenum m_alFormat = AL_NONE;
    ALsizei m_rate = 0;
    uint32_t m_blockAlign = 0;
};

bool ReadPcmFormat(const unsigned char* pBlock, SPcmFormat* pFormat) {
    constexpr uint16_t kWaveFormatPcm = 1;
    constexpr uint32_t kMaxRate = 384000;
    const uint16_t tag = ReadLe16(pBlock);
    const uint16_t channels = ReadLe16(pBlock + 2);
    const uint32_t rate = ReadLe32(pBlock + 4);
    const uint16_t blockAlign = ReadLe16(pBlock + 12);
    if (tag != kWaveFormatPcm || rate == 0 || rate > kMaxRate)
        return false;
    if (channels == 1 && blockAlign == 1)
        pFormat->m_alFormat = AL_FORMAT_MONO8;
    else if (channels == 1 && blockAlign == 2)
        pFormat->m_alFormat = AL_FORMAT_MONO16;
    else if (channels == 2 && blockAlign == 2)
        pFormat->m_alFormat = AL_FORMAT_STEREO8;
    else if (channels == 2 && blockAlign == 4)
        pFormat->m_alFormat = AL_FORMAT_STEREO16;
    else
        return false;
    pFormat->m_rate = ALsizei(rate);
    pFormat->m_blockAlign = blockAlign;
    return true;
}

class COpenALDevice;

class COpenALBuffer final : public IDirectSoundBuffer {
public:
    COpenALBuffer(COpenALDevice& device, const SPcmFormat& format, uint32_t bytes);

    bool Init();
    // The output went away: the names go with its context, and the memory is lost.
    void Drop();
    // The output is back: new names in the new context, filled again from the
    // copy kept here, when the buffer held anything.
    void Revive();
    COpenALBuffer* Next() const { return m_pNext; }

    HRESULT Lock(uint32_t writeCursor, uint32_t writeBytes, void** ppAudioPtr1,
                 uint32_t* pAudioBytes1, void** ppAudioPtr2, uint32_t* pAudioBytes2,
                 uint32_t flags) override {
        if (ppAudioPtr1 == nullptr || pAudioBytes1 == nullptr || m_locked)
            return DSERR_INVALIDPARAM;
        if (m_lost)
            return DSERR_BUFFERLOST;
        const bool whole = (flags & DSBLOCK_ENTIREBUFFER) != 0;
        const uint32_t start = whole ? 0 : writeCursor;
        const uint32_t bytes = whole ? m_bytes : writeBytes;
        // One region only: a range that would wrap round the buffer's end is refused.
        if (start >= m_bytes || bytes == 0 || bytes > m_bytes - start)
            return DSERR_INVALIDPARAM;
        m_lockStart = start;
        m_lockBytes = bytes;
        m_locked = true;
        *ppAudioPtr1 = m_pStaging.get() + start;
        *pAudioBytes1 = bytes;
        if (ppAudioPtr2 != nullptr)
            *ppAudioPtr2 = nullptr;
        if (pAudioBytes2 != nullptr)
            *pAudioBytes2 = 0;
        return DS_OK;
    }

    HRESULT Unlock(void* pAudioPtr1, uint32_t audioBytes1, void* pAudioPtr2,
                   uint32_t audioBytes2) override;
    HRESULT Restore() override;
    HRESULT SetCurrentPosition(uint32_t newPosition) override;
    HRESULT Play(uint32_t reserved1, uint32_t priority, uint32_t flags) override;
    uint32_t Release() override;

private:
    friend class COpenALDevice;
    ~COpenALBuffer() override;
    bool MakeNames();
    HRESULT Upload();
    ALint SourceState() const {
        ALint state = AL_STOPPED;
        alGetSourcei(m_source.Get(), AL_SOURCE_STATE, &state);
        return state;
    }

    COpenALDevice& m_device;
    const SPcmFormat m_format;
    const uint32_t m_bytes;
    // OpenAL takes whole sample frames only; a trailing partial frame is never heard.
    const uint32_t m_playableBytes;
    std::unique_ptr<unsigned char[]> m_pStaging;
    // Declared before the source, so the source goes first.
    CAlBufferHandle m_buffer;
    CAlSourceHandle m_source;
    uint32_t m_position = 0;
    uint32_t m_lockStart = 0;
    uint32_t m_lockBytes = 0;
    bool m_locked = false;
    bool m_attached = false;
    // What the owner committed through Unlock is in the staging copy.
    bool m_filled = false;
    bool m_lost = false;
    // The device's list of its buffers.
    COpenALBuffer* m_pPrev = nullptr;
    COpenALBuffer* m_pNext = nullptr;
};

class COpenALDevice final : public IDirectSound {
public:
    COpenALDevice() = default;

    HRESULT Open() { return m_output.OpenAtStart(); }
    void MakeCurrent() const { m_output.MakeCurrent(); }
    bool IsLost() const { return m_lost; }
    bool HasOutput() const { return m_output.IsOpen() != 0; }
    void Stroke(uint32_t soundingMs) { m_output.Stroke(soundingMs); }
    // Asked on every strike; the first to find the output gone reports it lost.
    bool StillConnected();
    // Opens a lost output again (no more than once a second) and revives every
    // buffer on it. True when the output is there.
    bool Restore();
    void Link(COpenALBuffer* pBuffer);
    void Unlink(COpenALBuffer* pBuffer);

    // Accepted and ignored: OpenAL mixes for every window alike.
    HRESULT SetCooperativeLevel(HWND, uint32_t) override { return DS_OK; }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* pDesc, IDirectSoundBuffer** ppBuffer,
                              void* pUnkOuter) override {
        if (ppBuffer == nullptr)
            return DSERR_INVALIDPARAM;
        *ppBuffer = nullptr;
        if (pDesc == nullptr || pUnkOuter != nullptr || pDesc->dwSize < sizeof(uint32_t) * 5 ||
            pDesc->lpwfxFormat == nullptr || (pDesc->dwFlags & ~DSBCAPS_STATIC) != 0)
            return DSERR_INVALIDPARAM;
        SPcmFormat format;
        if (!ReadPcmFormat(pDesc->lpwfxFormat, &format))
            return DSERR_BADFORMAT;
        if (pDesc->dwBufferBytes < format.m_blockAlign)
            return DSERR_INVALIDPARAM;
        MakeCurrent();
        COpenALBuffer* pBuffer =
            new (std::nothrow) COpenALBuffer(*this, format, pDesc->dwBufferBytes);
        if (pBuffer == nullptr)
            return DSERR_OUTOFMEMORY;
        ++m_liveBuffers;
        if (!pBuffer->Init()) {
            pBuffer->Release();
            return DSERR_ALLOCATED;
        }
        *ppBuffer = pBuffer;
        return DS_OK;
    }

    uint32_t Release() override {
        m_released = true;
        return TearDownIfUnused();
    }

    uint32_t BufferGone() {
        --m_liveBuffers;
        return TearDownIfUnused();
    }

private:
    ~COpenALDevice() override = default;
    void LoseOutput();
    void ReviveAll();

    // A buffer keeps its device alive: the context must outlast every AL name in it.
    uint32_t TearDownIfUnused() {
        const uint32_t remaining = uint32_t(m_liveBuffers) + (m_released ? 0u : 1u);
        if (remaining == 0)
            delete this;
        return remaining;
    }

    COpenALOutput m_output;
    COpenALBuffer* m_pFirstBuffer = nullptr;
    int m_liveBuffers = 0;
    bool m_released = false;
    bool m_lost = false;
};

bool COpenALDevice::StillConnected() {
    if (m_lost)
        return false;
    if (m_output.IsOpening()) {
        const HRESULT answer = m_output.TakeOpened();
        if (answer == kOpenPending)
            return true;
        if (answer == DS_OK) {
            ReviveAll();
            return true;
        }
        LoseOutput();
        return false;
    }
    if (m_output.IsConnected())
        return true;
    LoseOutput();
    return false;
}

void COpenALDevice::LoseOutput() {
    m_output.MakeCurrent();
    for (COpenALBuffer* pBuffer = m_pFirstBuffer; pBuffer != nullptr; pBuffer = pBuffer->Next())
        pBuffer->Drop();
    m_output.Close();
    m_lost = true;
}

bool COpenALDevice::Restore() {
    if (!m_lost)
        return true;
    if (!m_output.Reopen())
        return false;
    m_lost = false;
    ReviveAll();
    return true;
}

void COpenALDevice::ReviveAll() {
    for (COpenALBuffer* pBuffer = m_pFirstBuffer; pBuffer != nullptr; pBuffer = pBuffer->Next())
        pBuffer->Revive();
}

void COpenALDevice::Link(COpenALBuffer* pBuffer) {
    pBuffer->m_pNext = m_pFirstBuffer;
    if (m_pFirstBuffer != nullptr)
        m_pFirstBuffer->m_pPrev = pBuffer;
    m_pFirstBuffer = pBuffer;
}

void COpenALDevice::Unlink(COpenALBuffer* pBuffer) {
    if (pBuffer->m_pPrev != nullptr)
        pBuffer->m_pPrev->m_pNext = pBuffer->m_pNext;
    else
        m_pFirstBuffer = pBuffer->m_pNext;
    if (pBuffer->m_pNext != nullptr)
        pBuffer->m_pNext->m_pPrev = pBuffer->m_pPrev;
}

COpenALBuffer::COpenALBuffer(COpenALDevice& device, const SPcmFormat& format, uint32_t bytes)
    : m_device(device), m_format(format), m_bytes(bytes),
      m_playableBytes(bytes - bytes % format.m_blockAlign) {
    m_device.Link(this);
}

COpenALBuffer::~COpenALBuffer() {
    m_device.Unlink(this);
}

bool COpenALBuffer::Init() {
    m_pStaging.reset(new (std::nothrow) unsigned char[m_bytes]);
    if (m_pStaging == nullptr)
        return false;
    std::memset(m_pStaging.get(), 0, m_bytes);
    // Made while the output is away: lost from the start, until restored.
    if (m_device.IsLost()) {
        m_lost = true;
        return true;
    }
    // Made while the output still opens: filled here, named once it is there.
    if (!m_device.HasOutput())
        return true;
    return MakeNames();
}

bool COpenALBuffer::MakeNames() {
    m_source.Reset();
    m_buffer.Reset();
    m_attached = false;
    if (!m_buffer.Generate() || !m_source.Generate())
        return false;
    const ALuint source = m_source.Get();
    alSourcei(source, AL_SOURCE_RELATIVE, AL_TRUE);
    alSource3f(source, AL_POSITION, 0.0f, 0.0f, 0.0f);
    alSourcef(source, AL_ROLLOFF_FACTOR, 0.0f);
    return alGetError() == AL_NO_ERROR;
}

HRESULT COpenALBuffer::Unlock(void* pAudioPtr1, uint32_t audioBytes1, void* pAudioPtr2,
                              uint32_t audioBytes2) {
    if (!m_locked || pAudioPtr1 != m_pStaging.get() + m_lockStart || audioBytes1 > m_lockBytes ||
        (pAudioPtr2 != nullptr && audioBytes2 != 0))
        return DSERR_INVALIDPARAM;
    m_locked = false;
    m_filled = true;
    if (m_lost)
        return DSERR_BUFFERLOST;
    if (!m_source.IsValid())
        return DS_OK;
    m_device.MakeCurrent();
    return Upload();
}

HRESULT COpenALBuffer::Upload() {
    const ALuint source = m_source.Get();
    alGetError();
    // OpenAL refuses new data for a buffer a source holds: let go of it first.
    if (m_attached) {
        alSourceStop(source);
        alSourcei(source, AL_BUFFER, 0);
        m_attached = false;
    }
    alBufferData(m_buffer.Get(), m_format.m_alFormat, m_pStaging.get(), ALsizei(m_playableBytes),
                 m_format.m_rate);
    if (alGetError() != AL_NO_ERROR)
        return DSERR_GENERIC;
    alSourcei(source, AL_BUFFER, ALint(m_buffer.Get()));
    if (alGetError() != AL_NO_ERROR)
        return DSERR_GENERIC;
    m_attached = true;
    return DS_OK;
}

void COpenALBuffer::Drop() {
    m_source.Reset();
    m_buffer.Reset();
    m_attached = false;
    m_lost = true;
}

void COpenALBuffer::Revive() {
    // Names that cannot be made now are tried again by the owner's Restore.
    if (!MakeNames())
        return;
    // A buffer that never held anything is left to its owner to fill.
    if (m_filled && Upload() == DS_OK)
        m_lost = false;
}

HRESULT COpenALBuffer::Restore() {
    if (!m_lost)
        return DS_OK;
    if (!m_device.Restore())
        return DSERR_BUFFERLOST;
    if (!m_lost)
        return DS_OK;
    // Revived without its contents: the memory is back, for the owner to fill.
    m_device.MakeCurrent();
    if (!m_source.IsValid() && !MakeNames())
        return DSERR_BUFFERLOST;
    m_lost = false;
    return DS_OK;
}

HRESULT COpenALBuffer::SetCurrentPosition(uint32_t newPosition) {
    if (newPosition > m_bytes)
        return DSERR_INVALIDPARAM;
    m_position = newPosition;
    if (m_lost)
        return DSERR_BUFFERLOST;
    if (!m_attached)
        return DS_OK;
    m_device.MakeCurrent();
    const ALuint source = m_source.Get();
    const ALint state = SourceState();
    if (state == AL_PLAYING || state == AL_PAUSED) {
        // OpenAL refuses an offset at the very end: there is nothing left to hear.
        if (newPosition >= m_playableBytes)
            alSourceStop(source);
        else
            alSourcei(source, AL_BYTE_OFFSET, ALint(newPosition));
    }
    return DS_OK;
}

HRESULT COpenALBuffer::Play(uint32_t, uint32_t, uint32_t flags) {
    if (m_lost || !m_device.StillConnected())
        return DSERR_BUFFERLOST;
    if (!m_attached)
        return DS_OK;
    m_device.MakeCurrent();
    const bool looping = (flags & DSBPLAY_LOOPING) != 0;
    const uint32_t frames =
        m_position < m_playableBytes ? (m_playableBytes - m_position) / m_format.m_blockAlign : 0;
    m_device.Stroke(looping ? kSoundsForever
                            : uint32_t(uint64_t(frames) * 1000 / uint32_t(m_format.m_rate) + 1));
    const ALuint source = m_source.Get();
    alSourcei(source, AL_LOOPING, looping ? AL_TRUE : AL_FALSE);
    // A playing source already went to the position just set. alSourcePlay would
    // take it back to the start, so it is left alone.
    if (SourceState() == AL_PLAYING)
        return DS_OK;
    if (m_position >= m_playableBytes)
        return DS_OK;
    // Given again, in case the source stopped by itself after the position was set.
    alSourcei(source, AL_BYTE_OFFSET, ALint(m_position));
    alSourcePlay(source);
    return DS_OK;
}

uint32_t COpenALBuffer::Release() {
    COpenALDevice& device = m_device;
    device.MakeCurrent();
    delete this;
    device.BufferGone();
    return 0;
}

} // namespace

HRESULT OpenALDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter) {
    if (ppDevice == nullptr)
        return DSERR_INVALIDPARAM;
    *ppDevice = nullptr;
    // Only the default device is offered.
    if (pGuidDevice != nullptr || pUnkOuter != nullptr)
        return DSERR_INVALIDPARAM;
    COpenALDevice* pDevice = new (std::nothrow) COpenALDevice();
    if (pDevice == nullptr)
        return DSERR_OUTOFMEMORY;
    const HRESULT result = pDevice->Open();
    if (result != DS_OK && result != kOpenPending) {
        pDevice->Release();
        return result;
    }
    *ppDevice = pDevice;
    return DS_OK;
}

} // namespace kds
