// SPDX-License-Identifier: MIT
// The console's Ctrl+C, Ctrl+Break and closing, on a thread of their own:
// each closes the bottom window, which the user-interface thread then takes
// as the end of every open dialog.
#include "AfxToolkit.h"

#include <atomic>

namespace {

std::atomic<HWND> s_bottomWindow{nullptr};

BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    HWND hWnd = s_bottomWindow.load();
    if (!hWnd)
        return FALSE;
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

} // namespace

void AfxSetBottomWindow(HWND hWnd) {
    HWND hNone = nullptr;
    s_bottomWindow.compare_exchange_strong(hNone, hWnd);
}

void AfxForgetBottomWindow(HWND hWnd) {
    s_bottomWindow.compare_exchange_strong(hWnd, nullptr);
}

int AfxInstallTerminationHandler() {
    return SetConsoleCtrlHandler(&OnConsoleEvent, TRUE) ? 1 : 0;
}
