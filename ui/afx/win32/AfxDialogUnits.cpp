// SPDX-License-Identifier: MIT
// Dialog units on Win32: the dialog manager's own, from the dialog's font.
#include "AfxToolkit.h"

void CDialog::MapDialogRect(CRect* pRect) const {
    if (!m_hWnd)
        return;
    RECT rect = {pRect->left, pRect->top, pRect->right, pRect->bottom};
    ::MapDialogRect(m_hWnd, &rect);
    *pRect = CRect{rect.left, rect.top, rect.right, rect.bottom};
}
