// SPDX-License-Identifier: MIT
// A menu object over its QMenu: items carry their command id as data.
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QMenu>

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    QMenu* pMenu = AfxMenuFromHandle(m_hMenu);
    if (!pMenu)
        return FALSE;
    if (flags & MF_SEPARATOR) {
        pMenu->addSeparator();
        return TRUE;
    }
    // Menu items read the template notation as Qt does: '&' marks the mnemonic.
    QAction* pAction = pMenu->addAction(AfxTextFromBytes(text ? text : ""));
    pAction->setData(static_cast<uint>(id));
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    const QMenu* pMenu = AfxMenuFromHandle(m_hMenu);
    return pMenu ? static_cast<int>(pMenu->actions().size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    const QMenu* pMenu = AfxMenuFromHandle(m_hMenu);
    if (!pMenu || position < 0 || position >= pMenu->actions().size())
        return static_cast<UINT>(-1);
    const QAction* pAction = pMenu->actions().at(position);
    return pAction->isSeparator() ? 0 : pAction->data().toUInt();
}

std::string CMenu::GetMenuString(int position) const {
    const QMenu* pMenu = AfxMenuFromHandle(m_hMenu);
    if (!pMenu || position < 0 || position >= pMenu->actions().size())
        return std::string();
    return AfxBytesFromText(pMenu->actions().at(position)->text());
}
