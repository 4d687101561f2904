// SPDX-License-Identifier: MIT
#include "DirectSound.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <chrono>
#include <thread>
#endif

namespace kds {

namespace {

// The platform's own device and sleep: DirectSound and Sleep on Windows, the
// OpenAL Soft back end and the standard library's sleep elsewhere.
#ifdef _WIN32
constexpr PFN_DIRECTSOUNDCREATE kPlatformCreate = &SystemDirectSoundCreate;
void RealSleep(uint32_t milliseconds) {
    ::Sleep(milliseconds);
}
#else
constexpr PFN_DIRECTSOUNDCREATE kPlatformCreate = &OpenALDirectSoundCreate;
void RealSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}
#endif

PFN_DIRECTSOUNDCREATE g_pCreate = kPlatformCreate;
PFN_SLEEP g_pSleep = &RealSleep;
PFN_GETMAINWINDOW g_pGetMainWindow = nullptr;

} // namespace

void SetDirectSoundCreate(PFN_DIRECTSOUNDCREATE pCreate) {
    g_pCreate = pCreate != nullptr ? pCreate : kPlatformCreate;
}

void SetSleepFunction(PFN_SLEEP pSleep) {
    g_pSleep = pSleep != nullptr ? pSleep : &RealSleep;
}

void SetMainWindowHook(PFN_GETMAINWINDOW pGetMainWindow) {
    g_pGetMainWindow = pGetMainWindow;
}

HRESULT CallDirectSoundCreate(const void* pGuidDevice, IDirectSound** ppDevice, void* pUnkOuter) {
    return g_pCreate(pGuidDevice, ppDevice, pUnkOuter);
}

void CallSleep(uint32_t milliseconds) {
    g_pSleep(milliseconds);
}

HWND CallGetMainWindow() {
    return g_pGetMainWindow != nullptr ? g_pGetMainWindow() : nullptr;
}

} // namespace kds
