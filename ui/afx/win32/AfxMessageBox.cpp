// SPDX-License-Identifier: MIT
// The ownerless message box on Win32.
#include "AfxToolkit.h"

int AfxShowMessageBox(const char* text, const char* caption, UINT type) {
    // Task-modal: no window of the program's may be there to own it, yet the
    // box must keep any that are from taking input meanwhile.
    return MessageBoxA(nullptr, text, caption, type | MB_TASKMODAL | MB_SETFOREGROUND);
}
