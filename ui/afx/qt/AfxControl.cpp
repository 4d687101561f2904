// SPDX-License-Identifier: MIT
// The road of a control's notifications and commands to its dialog.
#include "AfxControl.h"

#include "AfxDialogWindow.h"

LRESULT IAfxControl::Notify(NMHDR* pHeader) {
    if (!m_pWindow->IsLive())
        return 0;
    pHeader->hwndFrom = nullptr;
    pHeader->idFrom = static_cast<UINT_PTR>(m_id);
    return m_pWindow->Dialog()->SendMessage(WM_NOTIFY, static_cast<WPARAM>(m_id),
                                            reinterpret_cast<LPARAM>(pHeader));
}

void IAfxControl::Command(UINT code) {
    if (!m_pWindow->IsLive())
        return;
    const WPARAM wParam = (static_cast<WPARAM>(code & 0xFFFF) << 16) | (m_id & 0xFFFF);
    m_pWindow->Dialog()->SendMessage(WM_COMMAND, wParam, 0);
}
