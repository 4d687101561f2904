// SPDX-License-Identifier: MIT
// The sound device over OpenAL Soft: one context on the default output device,
// and for each static buffer one OpenAL buffer played by its own source.
//
// Everything runs on the calling thread except OpenAL Soft's mixer, which plays
// started sources on its own. A strike (SetCurrentPosition, Play) allocates
// nothing: it only sets source properties.
#include "DirectSound.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace kds {

namespace {

// Room for every voice of the kit sounding at once (28 sounds of five voices),
// whichever of them are stereo.
constexpr ALCint kSourceRoom = 140;

// Owners of the OpenAL handles: each releases its handle exactly once. AL names
// (sources, buffers) are released while their context is current; the objects
// that hold them see to that.
class CAlcDeviceHandle {
public:
    explicit CAlcDeviceHandle(ALCdevice* pDevice = nullptr) : m_pDevice(pDevice) {}
    ~CAlcDeviceHandle() {
        if (m_pDevice != nullptr)
            alcCloseDevice(m_pDevice);
    }
    CAlcDeviceHandle(CAlcDeviceHandle&& other) noexcept : m_pDevice(other.m_pDevice) {
        other.m_pDevice = nullptr;
    }
    CAlcDeviceHandle(const CAlcDeviceHandle&) = delete;
    CAlcDeviceHandle& operator=(const CAlcDeviceHandle&) = delete;
    CAlcDeviceHandle& operator=(CAlcDeviceHandle&&) = delete;
    ALCdevice* Get() const { return m_pDevice; }

private:
    ALCdevice* m_pDevice;
};

class CAlcContextHandle {
public:
    explicit CAlcContextHandle(ALCcontext* pContext = nullptr) : m_pContext(pContext) {}
    ~CAlcContextHandle() {
        if (m_pContext == nullptr)
            return;
        if (alcGetCurrentContext() == m_pContext)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_pContext);
    }
    CAlcContextHandle(CAlcContextHandle&& other) noexcept : m_pContext(other.m_pContext) {
        other.m_pContext = nullptr;
    }
    CAlcContextHandle(const CAlcContextHandle&) = delete;
    CAlcContextHandle& operator=(const CAlcContextHandle&) = delete;
    CAlcContextHandle& operator=(CAlcContextHandle&&) = delete;
    ALCcontext* Get() const { return m_pContext; }

private:
    ALCcontext* m_pContext;
};

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
    bool Generate() {
        alGetError();
        Gen(1, &m_name);
        m_valid = alGetError() == AL_NO_ERROR;
        return m_valid;
    }
    ALuint Get() const { return m_name; }

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
    COpenALBuffer(COpenALDevice& device, const SPcmFormat& format, uint32_t bytes)
        : m_device(device), m_format(format), m_bytes(bytes),
          m_playableBytes(bytes - bytes % format.m_blockAlign) {}

    bool Init();

    HRESULT Lock(uint32_t writeCursor, uint32_t writeBytes, void** ppAudioPtr1,
                 uint32_t* pAudioBytes1, void** ppAudioPtr2, uint32_t* pAudioBytes2,
                 uint32_t flags) override {
        if (ppAudioPtr1 == nullptr || pAudioBytes1 == nullptr || m_locked)
            return DSERR_INVALIDPARAM;
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
    // Buffers over OpenAL are never lost: there is nothing to restore.
    HRESULT Restore() override { return DS_OK; }
    HRESULT SetCurrentPosition(uint32_t newPosition) override;
    HRESULT Play(uint32_t reserved1, uint32_t priority, uint32_t flags) override;
    uint32_t Release() override;

private:
    ~COpenALBuffer() override = default;
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
};

class COpenALDevice final : public IDirectSound {
public:
    COpenALDevice(CAlcDeviceHandle device, CAlcContextHandle context)
        : m_device(std::move(device)), m_context(std::move(context)) {}

    void MakeCurrent() const {
        if (alcGetCurrentContext() != m_context.Get())
            alcMakeContextCurrent(m_context.Get());
    }

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

    // A buffer keeps its device alive: the context must outlast every AL name in it.
    uint32_t TearDownIfUnused() {
        const uint32_t remaining = uint32_t(m_liveBuffers) + (m_released ? 0u : 1u);
        if (remaining == 0)
            delete this;
        return remaining;
    }

    // Declared before the context, so the context goes first.
    CAlcDeviceHandle m_device;
    CAlcContextHandle m_context;
    int m_liveBuffers = 0;
    bool m_released = false;
};

bool COpenALBuffer::Init() {
    m_pStaging.reset(new (std::nothrow) unsigned char[m_bytes]);
    if (m_pStaging == nullptr)
        return false;
    std::memset(m_pStaging.get(), 0, m_bytes);
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
    m_device.MakeCurrent();
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

HRESULT COpenALBuffer::SetCurrentPosition(uint32_t newPosition) {
    if (newPosition > m_bytes)
        return DSERR_INVALIDPARAM;
    m_position = newPosition;
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
    if (!m_attached)
        return DS_OK;
    m_device.MakeCurrent();
    const ALuint source = m_source.Get();
    alSourcei(source, AL_LOOPING, (flags & DSBPLAY_LOOPING) != 0 ? AL_TRUE : AL_FALSE);
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

bool NoPlaybackDeviceListed() {
    // The full list, where offered: the short one always names OpenAL Soft itself.
    const ALCenum list = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT")
                             ? ALC_ALL_DEVICES_SPECIFIER
                             : ALC_DEVICE_SPECIFIER;
    const ALCchar* pList = alcGetString(nullptr, list);
    return pList == nullptr || pList[0] == '\0';
}

} // namespace

HRESULT OpenALDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter) {
    if (ppDevice == nullptr)
        return DSERR_INVALIDPARAM;
    *ppDevice = nullptr;
    // Only the default device is offered.
    if (pGuidDevice != nullptr || pUnkOuter != nullptr)
        return DSERR_INVALIDPARAM;
    CAlcDeviceHandle device(alcOpenDevice(nullptr));
    // OpenAL Soft reports every failed open alike. With no device to be had at all
    // there is no driver; otherwise the device is taken to be busy.
    if (device.Get() == nullptr)
        return NoPlaybackDeviceListed() ? DSERR_NODRIVER : DSERR_ALLOCATED;

    ALCint attributes[] = {ALC_MONO_SOURCES, kSourceRoom, ALC_STEREO_SOURCES, kSourceRoom, 0, 0, 0};
    // The samples play as they are: no head-related filtering.
    if (alcIsExtensionPresent(device.Get(), "ALC_SOFT_HRTF")) {
        attributes[4] = ALC_HRTF_SOFT;
        attributes[5] = ALC_FALSE;
    }
    // A device that opens but will not start is as good as busy: try again later.
    CAlcContextHandle context(alcCreateContext(device.Get(), attributes));
    if (context.Get() == nullptr || !alcMakeContextCurrent(context.Get()))
        return DSERR_ALLOCATED;
    // Sources sit at the listener and move with it, so nothing is placed in space.
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListenerf(AL_GAIN, 1.0f);

    COpenALDevice* pDevice =
        new (std::nothrow) COpenALDevice(std::move(device), std::move(context));
    if (pDevice == nullptr)
        return DSERR_OUTOFMEMORY;
    *ppDevice = pDevice;
    return DS_OK;
}

} // namespace kds
