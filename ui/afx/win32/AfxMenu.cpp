// SPDX-License-Identifier: MIT
// A menu object over its menu handle: the system menu, the real one of the
// window.
#include "AfxToolkit.h"

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
