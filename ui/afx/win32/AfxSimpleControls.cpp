// SPDX-License-Identifier: MIT
// The simple controls on Win32: the system's static text, button and edit box.
#include "AfxToolkit.h"

void CEdit::SetSel(int start, int end) {
    if (m_hWnd)
        ::SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}
