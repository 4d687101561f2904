// SPDX-License-Identifier: MIT
#include "SoundVoice.h"

#include "Resources.h"
#include "WaveImage.h"

#include <cstring>

kds::IDirectSound* CSoundVoice::s_pDevice = nullptr;
int32_t CSoundVoice::s_instanceCount = 0;

namespace {

// Opening the device is retried this often, because a device held by another
// program or a driver still starting up often comes free within a few seconds.
constexpr int kOpenAttempts = 10;
constexpr uint32_t kOpenPauseMs = 500;

constexpr uint32_t kBufferDescBytes = 20;

} // namespace

CSoundVoice::CSoundVoice() : m_pData(nullptr), m_dataLength(0), m_pBuffer(nullptr), m_enabled(1) {
    ++s_instanceCount;
}

CSoundVoice::~CSoundVoice() {
    if (m_pBuffer != nullptr)
        m_pBuffer->Release();
    m_pBuffer = nullptr;
    --s_instanceCount;
    // The device outlives every buffer: only the last voice lets it go.
    if (s_instanceCount == 0 && s_pDevice != nullptr) {
        s_pDevice->Release();
        s_pDevice = nullptr;
    }
}

int CSoundVoice::Create(int resourceId, kds::HWND ownerWindow) {
    SResourceImage image;
    if (!FindResourceImage(kResTypeWave, resourceId, &image))
        return 0;
    return CreateFromMemory(image.m_pData, image.m_length, ownerWindow);
}

int CSoundVoice::CreateFromMemory(const unsigned char* image, uint32_t imageLength,
                                  kds::HWND ownerWindow) {
    const kds::HWND window = ownerWindow != nullptr ? ownerWindow : kds::CallGetMainWindow();

    if (s_pDevice == nullptr) {
        kds::HRESULT result = kds::DS_OK;
        for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
            if (attempt > 0)
                kds::CallSleep(kOpenPauseMs);
            kds::IDirectSound* pDevice = nullptr;
            result = kds::CallDirectSoundCreate(nullptr, &pDevice, nullptr);
            if (result == kds::DS_OK)
                s_pDevice = pDevice;
            if (result != kds::DSERR_ALLOCATED && result != kds::DSERR_NODRIVER)
                break;
        }
        if (result != kds::DS_OK || s_pDevice == nullptr) {
            s_pDevice = nullptr;
            return 0;
        }
        s_pDevice->SetCooperativeLevel(window, kds::DSSCL_NORMAL);
    }

    // A voice is created once; should it be created again, its old buffer goes
    // first, so that no buffer is filled from data it was not made for.
    if (m_pBuffer != nullptr) {
        m_pBuffer->Release();
        m_pBuffer = nullptr;
    }

    const unsigned char* pFormat = nullptr;
    if (!ParseWaveImage(image, imageLength, &pFormat, &m_pData, &m_dataLength))
        return 0;

    kds::DSBUFFERDESC desc;
    desc.dwSize = kBufferDescBytes;
    desc.dwFlags = kds::DSBCAPS_STATIC;
    desc.dwBufferBytes = m_dataLength;
    desc.dwReserved = 0;
    desc.lpwfxFormat = pFormat;
    kds::IDirectSoundBuffer* pBuffer = nullptr;
    if (s_pDevice->CreateSoundBuffer(&desc, &pBuffer, nullptr) != kds::DS_OK) {
        // Whatever a failing device left behind is not ours to release.
        m_pBuffer = nullptr;
        return 0;
    }
    m_pBuffer = pBuffer;

    if (!FillBuffer())
        return 0;
    return 1;
}

int CSoundVoice::FillBuffer() {
    if (m_pBuffer == nullptr)
        return 0;
    void* pRegion = nullptr;
    uint32_t regionBytes = 0;
    kds::HRESULT result =
        m_pBuffer->Lock(0, 0, &pRegion, &regionBytes, nullptr, nullptr, kds::DSBLOCK_ENTIREBUFFER);
    if (result == kds::DSERR_BUFFERLOST) {
        m_pBuffer->Restore();
        pRegion = nullptr;
        regionBytes = 0;
        result = m_pBuffer->Lock(0, 0, &pRegion, &regionBytes, nullptr, nullptr,
                                 kds::DSBLOCK_ENTIREBUFFER);
    }
    if (result != kds::DS_OK)
        return 0;
    // The buffer was made exactly m_dataLength bytes long; never write past what
    // the device handed out, whatever it did.
    const uint32_t bytes = m_dataLength < regionBytes ? m_dataLength : regionBytes;
    if (pRegion != nullptr && m_pData != nullptr && bytes != 0)
        std::memcpy(pRegion, m_pData, bytes);
    return m_pBuffer->Unlock(pRegion, regionBytes, nullptr, 0) == kds::DS_OK ? 1 : 0;
}

void CSoundVoice::Play(uint32_t start, int loop) {
    if (!IsValid() || m_enabled == 0)
        return;
    m_pBuffer->SetCurrentPosition(start > m_dataLength ? m_dataLength : start);
    const uint32_t flags = loop ? kds::DSBPLAY_LOOPING : 0;
    if (m_pBuffer->Play(0, 0, flags) == kds::DSERR_BUFFERLOST) {
        FillBuffer();
        m_pBuffer->Play(0, 0, flags);
    }
}

int CSoundVoice::IsValid() const {
    return s_pDevice != nullptr && m_pBuffer != nullptr && m_pData != nullptr && m_dataLength != 0
               ? 1
               : 0;
}

int CSoundVoice::IsDeviceOpen() {
    return s_pDevice != nullptr ? 1 : 0;
}

int CSoundVoice::InstanceCount() {
    return s_instanceCount;
}
