// SPDX-License-Identifier: MIT
// A window or control object over its window handle, and the default
// processing of the messages the program handles.
#include "AfxWin32.h"

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

// ---------------------------------------------------------------------------
// The system menu, the real one of the window.

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    return m_hMenu && ::AppendMenuA(m_hMenu, flags, id, text);
}

int CMenu::GetMenuItemCount() const {
    return m_hMenu ? ::GetMenuItemCount(m_hMenu) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    MENUITEMINFOA item = {};
    item.cbSize = sizeof item;
    item.fMask = MIIM_FTYPE | MIIM_ID;
    if (!m_hMenu || position < 0 ||
        !GetMenuItemInfoA(m_hMenu, static_cast<UINT>(position), TRUE, &item))
        return static_cast<UINT>(-1);
    return (item.fType & MFT_SEPARATOR) ? 0 : item.wID;
}

std::string CMenu::GetMenuString(int position) const {
    if (!m_hMenu || position < 0)
        return std::string();
    const UINT at = static_cast<UINT>(position);
    const int length = ::GetMenuStringA(m_hMenu, at, nullptr, 0, MF_BYPOSITION);
    return AfxReadText(length, [this, at](char* pBuffer, int size) {
        return ::GetMenuStringA(m_hMenu, at, pBuffer, size, MF_BYPOSITION);
    });
}
