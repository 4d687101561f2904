// SPDX-License-Identifier: MIT
// The sound device on Windows: DirectSound itself, behind the interface the
// voices are written against. dsound.dll is loaded when the first device opens
// and its creation function found by its export number, so the program starts
// (silent) where DirectSound is missing.
#include <windows.h>

#include <dsound.h>

#include "DirectSound.h"

#include <cstring>
#include <new>

namespace kds {

namespace {

using PFN_SYSTEMDIRECTSOUNDCREATE = ::HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
// GetProcAddress hands back a generic function pointer; going through a plain
// function type keeps -Wcast-function-type quiet about the real one.
using PFN_PLAIN = void (*)();

// dsound.dll stays loaded while any device made from it is alive.
HMODULE g_dsoundModule = nullptr;
int g_deviceCount = 0;

void ReleaseModuleReference() {
    if (--g_deviceCount == 0 && g_dsoundModule != nullptr) {
        FreeLibrary(g_dsoundModule);
        g_dsoundModule = nullptr;
    }
}

class CSystemBuffer final : public IDirectSoundBuffer {
public:
    explicit CSystemBuffer(::IDirectSoundBuffer* pBuffer) : m_pBuffer(pBuffer) {}

    HRESULT Lock(uint32_t writeCursor, uint32_t writeBytes, void** ppAudioPtr1,
                 uint32_t* pAudioBytes1, void** ppAudioPtr2, uint32_t* pAudioBytes2,
                 uint32_t flags) override {
        DWORD bytes1 = 0;
        DWORD bytes2 = 0;
        const ::HRESULT result =
            m_pBuffer->Lock(writeCursor, writeBytes, ppAudioPtr1, &bytes1, ppAudioPtr2,
                            ppAudioPtr2 != nullptr ? &bytes2 : nullptr, flags);
        if (pAudioBytes1 != nullptr)
            *pAudioBytes1 = bytes1;
        if (pAudioBytes2 != nullptr)
            *pAudioBytes2 = bytes2;
        return result;
    }
    HRESULT Unlock(void* pAudioPtr1, uint32_t audioBytes1, void* pAudioPtr2,
                   uint32_t audioBytes2) override {
        return m_pBuffer->Unlock(pAudioPtr1, audioBytes1, pAudioPtr2, audioBytes2);
    }
    HRESULT Restore() override { return m_pBuffer->Restore(); }
    HRESULT SetCurrentPosition(uint32_t newPosition) override {
        return m_pBuffer->SetCurrentPosition(newPosition);
    }
    HRESULT Play(uint32_t reserved1, uint32_t priority, uint32_t flags) override {
        return m_pBuffer->Play(reserved1, priority, flags);
    }
    uint32_t Release() override {
        m_pBuffer->Release();
        delete this;
        return 0;
    }

private:
    ~CSystemBuffer() override = default;
    ::IDirectSoundBuffer* m_pBuffer;
};

class CSystemDevice final : public IDirectSound {
public:
    explicit CSystemDevice(::IDirectSound* pDevice) : m_pDevice(pDevice) {}

    HRESULT SetCooperativeLevel(HWND window, uint32_t level) override {
        return m_pDevice->SetCooperativeLevel(static_cast<::HWND>(window), level);
    }

    HRESULT CreateSoundBuffer(const DSBUFFERDESC* pDesc, IDirectSoundBuffer** ppBuffer,
                              void* pUnkOuter) override {
        if (ppBuffer == nullptr)
            return DSERR_INVALIDPARAM;
        *ppBuffer = nullptr;
        if (pDesc == nullptr || pDesc->lpwfxFormat == nullptr)
            return DSERR_INVALIDPARAM;
        // The format block sits unaligned inside the image; the fields of PCM
        // (the first 16 bytes) are all DirectSound reads for it, and cbSize
        // stays 0 as PCM wants.
        WAVEFORMATEX format{};
        std::memcpy(&format, pDesc->lpwfxFormat, 16);
        // The description as DirectX 3 defined it: 20 bytes on 32-bit Windows,
        // 24 on 64-bit, where the format pointer is wider. DirectSound accepts
        // this size and the later, longer one, and no other.
        DSBUFFERDESC1 desc{};
        desc.dwSize = sizeof desc;
        desc.dwFlags = pDesc->dwFlags;
        desc.dwBufferBytes = pDesc->dwBufferBytes;
        desc.dwReserved = pDesc->dwReserved;
        desc.lpwfxFormat = &format;
        ::IDirectSoundBuffer* pSystemBuffer = nullptr;
        const ::HRESULT result =
            m_pDevice->CreateSoundBuffer(reinterpret_cast<const ::DSBUFFERDESC*>(&desc),
                                         &pSystemBuffer, static_cast<LPUNKNOWN>(pUnkOuter));
        if (result != DS_OK || pSystemBuffer == nullptr)
            return result != DS_OK ? result : DSERR_GENERIC;
        CSystemBuffer* pBuffer = new (std::nothrow) CSystemBuffer(pSystemBuffer);
        if (pBuffer == nullptr) {
            pSystemBuffer->Release();
            return DSERR_OUTOFMEMORY;
        }
        *ppBuffer = pBuffer;
        return DS_OK;
    }

    uint32_t Release() override {
        m_pDevice->Release();
        delete this;
        ReleaseModuleReference();
        return 0;
    }

private:
    ~CSystemDevice() override = default;
    ::IDirectSound* m_pDevice;
};

} // namespace

HRESULT SystemDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter) {
    if (ppDevice == nullptr)
        return DSERR_INVALIDPARAM;
    *ppDevice = nullptr;
    if (g_dsoundModule == nullptr) {
        g_dsoundModule = LoadLibraryA("dsound.dll");
        if (g_dsoundModule == nullptr)
            return DSERR_NODRIVER;
    }
    const auto pCreate = reinterpret_cast<PFN_SYSTEMDIRECTSOUNDCREATE>(
        reinterpret_cast<PFN_PLAIN>(GetProcAddress(g_dsoundModule, MAKEINTRESOURCEA(1))));
    ::IDirectSound* pSystemDevice = nullptr;
    const ::HRESULT result = pCreate != nullptr
                                 ? pCreate(static_cast<LPCGUID>(pGuidDevice), &pSystemDevice,
                                           static_cast<LPUNKNOWN>(pUnkOuter))
                                 : ::HRESULT(DSERR_NODRIVER);
    if (result != DS_OK || pSystemDevice == nullptr) {
        if (g_deviceCount == 0) {
            FreeLibrary(g_dsoundModule);
            g_dsoundModule = nullptr;
        }
        return result != DS_OK ? result : DSERR_GENERIC;
    }
    CSystemDevice* pDevice = new (std::nothrow) CSystemDevice(pSystemDevice);
    if (pDevice == nullptr) {
        pSystemDevice->Release();
        return DSERR_OUTOFMEMORY;
    }
    ++g_deviceCount;
    *ppDevice = pDevice;
    return DS_OK;
}

} // namespace kds
