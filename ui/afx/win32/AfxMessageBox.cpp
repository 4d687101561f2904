// SPDX-License-Identifier: MIT
// The ownerless message box on Win32.
#include "AfxWin.h"

int AfxMessageBox(const char* text, const char* caption, UINT type) {
    // Task-modal: no window of the program's may be there to own it, yet the
    // box must keep any that are from taking input meanwhile.
    const int pressed = MessageBoxA(nullptr, text, caption, type | MB_TASKMODAL | MB_SETFOREGROUND);
    return pressed == IDOK || pressed == IDRETRY || pressed == IDCANCEL ? pressed : 0;
}
