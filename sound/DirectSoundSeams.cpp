// SPDX-License-Identifier: MIT
#include "DirectSound.h"

#include <chrono>
#include <thread>

namespace kds {

namespace {

void RealSleep(uint32_t milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

PFN_DIRECTSOUNDCREATE g_pCreate = &OpenALDirectSoundCreate;
PFN_SLEEP g_pSleep = &RealSleep;
PFN_GETMAINWINDOW g_pGetMainWindow = nullptr;

} // namespace

void SetDirectSoundCreate(PFN_DIRECTSOUNDCREATE pCreate) {
    g_pCreate = pCreate != nullptr ? pCreate : &OpenALDirectSoundCreate;
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
