// SPDX-License-Identifier: MIT
// Qt key events as Windows key messages: flags word, virtual key, dialog keys.
#include "AfxKeyEvents.h"

#include "AfxKeys.h"

#include <QKeyEvent>

uint16_t AfxKeyFlags(const QKeyEvent& event) {
    uint16_t flags = 0;
    const quint32 native = event.nativeScanCode();
    // X11 and Wayland report the kernel's key code plus 8; synthetic events
    // carry 0 and have no key code at all.
    if (native >= 8)
        flags = AfxScanFlagsFromKernelKeyCode(native - 8);
    if (event.isAutoRepeat())
        flags |= KF_REPEAT;
    if (event.modifiers() & Qt::AltModifier)
        flags |= KF_ALTDOWN;
    return flags;
}

UINT AfxVirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Print:
        return 0x2C;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
        return 0x12;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_Meta:
        return 0x5B;
    case Qt::Key_Menu:
        return 0x5D;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    default:
        return 0;
    }
}

bool AfxIsDialogKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Alt:
    case Qt::Key_F10:
        return true;
    default:
        return (event.modifiers() & Qt::AltModifier) != 0;
    }
}
