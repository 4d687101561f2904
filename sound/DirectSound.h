// SPDX-License-Identifier: MIT
// The small sound-device interface the voices are written against: the
// operations, flags and status codes of a DirectSound device and its static
// buffers. The real back end (OpenAL Soft) and the test fake both implement it.
//
// It lives in a namespace of its own, so that a back end over the system's own
// DirectSound can implement it with <dsound.h> beside it. There the codes and
// flags are macros of the same names and values: a file that includes
// <dsound.h> first gets theirs, and the names below are left undeclared.
#pragma once

#include <cstdint>

namespace kds {

using HRESULT = int32_t;
// The window the device is bound to, as the platform knows it.
using HWND = void*;

#ifndef DS_OK
inline constexpr HRESULT DS_OK = 0;
#endif
#ifndef DSERR_ALLOCATED
inline constexpr HRESULT DSERR_ALLOCATED = static_cast<HRESULT>(0x8878000Au);
#endif
#ifndef DSERR_NODRIVER
inline constexpr HRESULT DSERR_NODRIVER = static_cast<HRESULT>(0x88780078u);
#endif
#ifndef DSERR_BUFFERLOST
inline constexpr HRESULT DSERR_BUFFERLOST = static_cast<HRESULT>(0x88780096u);
#endif
// Codes of our own back end for failures the device interface has no better word for.
#ifndef DSERR_INVALIDPARAM
inline constexpr HRESULT DSERR_INVALIDPARAM = static_cast<HRESULT>(0x80070057u);
#endif
#ifndef DSERR_OUTOFMEMORY
inline constexpr HRESULT DSERR_OUTOFMEMORY = static_cast<HRESULT>(0x8007000Eu);
#endif
#ifndef DSERR_BADFORMAT
inline constexpr HRESULT DSERR_BADFORMAT = static_cast<HRESULT>(0x88780064u);
#endif
#ifndef DSERR_GENERIC
inline constexpr HRESULT DSERR_GENERIC = static_cast<HRESULT>(0x80004005u);
#endif

#ifndef DSSCL_NORMAL
inline constexpr uint32_t DSSCL_NORMAL = 1;
#endif
#ifndef DSBCAPS_STATIC
inline constexpr uint32_t DSBCAPS_STATIC = 2;
#endif
#ifndef DSBLOCK_ENTIREBUFFER
inline constexpr uint32_t DSBLOCK_ENTIREBUFFER = 2;
#endif
#ifndef DSBPLAY_LOOPING
inline constexpr uint32_t DSBPLAY_LOOPING = 1;
#endif

// The buffer description in its 20-byte form. lpwfxFormat points at the WAVE
// format block inside the image, unchanged and not necessarily aligned, so it is
// kept as bytes and read field by field.
struct DSBUFFERDESC {
    uint32_t dwSize;
    uint32_t dwFlags;
    uint32_t dwBufferBytes;
    uint32_t dwReserved;
    const unsigned char* lpwfxFormat;
};

class IDirectSoundBuffer {
public:
    virtual HRESULT Lock(uint32_t writeCursor, uint32_t writeBytes, void** ppAudioPtr1,
                         uint32_t* pAudioBytes1, void** ppAudioPtr2, uint32_t* pAudioBytes2,
                         uint32_t flags) = 0;
    virtual HRESULT Unlock(void* pAudioPtr1, uint32_t audioBytes1, void* pAudioPtr2,
                           uint32_t audioBytes2) = 0;
    virtual HRESULT Restore() = 0;
    virtual HRESULT SetCurrentPosition(uint32_t newPosition) = 0;
    virtual HRESULT Play(uint32_t reserved1, uint32_t priority, uint32_t flags) = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IDirectSoundBuffer() = default;
};

class IDirectSound {
public:
    virtual HRESULT SetCooperativeLevel(HWND window, uint32_t level) = 0;
    virtual HRESULT CreateSoundBuffer(const DSBUFFERDESC* pDesc, IDirectSoundBuffer** ppBuffer,
                                      void* pUnkOuter) = 0;
    virtual uint32_t Release() = 0;

protected:
    virtual ~IDirectSound() = default;
};

// The device-creation function: default device when pGuidDevice is null.
using PFN_DIRECTSOUNDCREATE = HRESULT (*)(const void* pGuidDevice, IDirectSound** ppDevice,
                                          void* pUnkOuter);
using PFN_SLEEP = void (*)(uint32_t milliseconds);
using PFN_GETMAINWINDOW = HWND (*)();

// Seams. Each setter takes null to restore the default: the OpenAL Soft back
// end, a real sleep, and no main window.
void SetDirectSoundCreate(PFN_DIRECTSOUNDCREATE pCreate);
void SetSleepFunction(PFN_SLEEP pSleep);
void SetMainWindowHook(PFN_GETMAINWINDOW pGetMainWindow);

// What the voices call; each goes through the seam currently set.
HRESULT CallDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter);
void CallSleep(uint32_t milliseconds);
HWND CallGetMainWindow();

// The device-creation function of DirectSound itself (Windows only).
HRESULT SystemDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter);
// The OpenAL Soft back end's device-creation function (Linux only).
HRESULT OpenALDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter);
// Names the OpenAL Soft back end's stream for the desktop's mixers, with the
// icon of the program's desktop entry (Linux only). Called once, before any
// thread starts; a name the user set wins.
void NameOpenALStream(const char* pName, const char* pIconName);

} // namespace kds
