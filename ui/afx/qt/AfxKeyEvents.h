// SPDX-License-Identifier: MIT
// Qt's key events as the key messages of Windows. Internal to the implementation.
#pragma once

#include "WinApi.h"

#include <cstdint>

class QKeyEvent;

// The flags word of a key message for a Qt key event (scan code, extended and
// repeat bits), and its virtual-key code.
uint16_t AfxKeyFlags(const QKeyEvent& event);
UINT AfxVirtualKey(const QKeyEvent& event);
// Keys the dialog keeps for itself and never hands a control as a key-down:
// Tab, Enter, Esc, and the system keys (Alt, F10, anything with Alt held).
bool AfxIsDialogKey(const QKeyEvent& event);
