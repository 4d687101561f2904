// SPDX-License-Identifier: MIT
// A window or control object over its window handle, and the default
// processing of the messages the program handles.
#include "AfxDialogWindow.h"

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_hWnd)
        return 0;
    // A dialog's default is the dialog manager's; a control's its own class's.
    if (CDialogWindow* pWindow = CDialogWindow::FromHandle(m_hWnd))
        return pWindow->CallDefault(message, wParam, lParam);
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}

HWND CWnd::GetSafeHwnd() const {
    return m_hWnd;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_hWnd && ::IsWindowEnabled(m_hWnd);
}

BOOL CWnd::EnableWindow(BOOL enable) {
    return m_hWnd ? ::EnableWindow(m_hWnd, enable) : FALSE;
}

BOOL CWnd::IsIconic() const {
    return m_hWnd && ::IsIconic(m_hWnd);
}

void CWnd::GetClientRect(CRect* pRect) const {
    *pRect = CRect{};
    RECT client = {};
    if (m_hWnd && ::GetClientRect(m_hWnd, &client))
        *pRect = CRect{client.left, client.top, client.right, client.bottom};
}

void CWnd::SetFocus() {
    if (m_hWnd)
        ::SetFocus(m_hWnd);
}

BOOL CWnd::HasFocus() const {
    return m_hWnd && ::GetFocus() == m_hWnd;
}

void CWnd::Invalidate() {
    if (m_hWnd)
        InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CWnd::UpdateWindow() {
    if (m_hWnd)
        ::UpdateWindow(m_hWnd);
}
