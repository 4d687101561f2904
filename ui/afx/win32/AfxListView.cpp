// SPDX-License-Identifier: MIT
// The list view object over the common controls' list view, through its ANSI
// messages. A row whose texts show cut keeps the whole texts as its lParam.
#include "AfxWin32.h"

namespace {

SItemTexts* KeptTexts(HWND hView, int item) {
    LVITEMA row = {};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    if (!::SendMessageA(hView, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&row)))
        return nullptr;
    return reinterpret_cast<SItemTexts*>(row.lParam);
}

// Keeps or forgets the whole text of one column of a row.
void KeepColumn(HWND hView, int item, int subItem, const std::string& text, bool cut) {
    CDialogWindow* pWindow = CDialogWindow::OfControl(hView);
    if (!pWindow || subItem >= SItemTexts::kMaxColumns)
        return;
    SItemTexts* pTexts = KeptTexts(hView, item);
    if (!pTexts && !cut)
        return;
    if (!pTexts) {
        pTexts = pWindow->NewItemTexts();
        LVITEMA row = {};
        row.mask = LVIF_PARAM;
        row.iItem = item;
        row.lParam = reinterpret_cast<LPARAM>(pTexts);
        ::SendMessageA(hView, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&row));
    }
    const unsigned bit = 1u << subItem;
    if (cut) {
        pTexts->m_columns[subItem] = text;
        pTexts->m_present |= bit;
    } else {
        pTexts->m_columns[subItem].clear();
        pTexts->m_present &= ~bit;
    }
}

} // namespace

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width) {
    if (!m_hWnd)
        return -1;
    LVCOLUMNA lvColumn = {};
    lvColumn.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    lvColumn.fmt = format;
    lvColumn.pszText = const_cast<char*>(heading.c_str());
    lvColumn.iSubItem = column;
    if (width >= 0) {
        lvColumn.mask |= LVCF_WIDTH;
        lvColumn.cx = width;
    }
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                                           reinterpret_cast<LPARAM>(&lvColumn)));
}

int CListCtrl::DeleteAllItems() {
    if (!m_hWnd)
        return FALSE;
    if (CDialogWindow* pWindow = CDialogWindow::OfControl(m_hWnd)) {
        for (int i = GetItemCount() - 1; i >= 0; --i) {
            if (SItemTexts* pTexts = KeptTexts(m_hWnd, i))
                pWindow->ReleaseItemTexts(pTexts);
        }
    }
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0));
}

int CListCtrl::InsertItem(int item, const std::string& text) {
    if (!m_hWnd || item < 0)
        return -1;
    const size_t shownLength = AfxShownLength(text);
    const std::string shown = text.substr(0, shownLength);
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<char*>(shown.c_str());
    const int inserted = static_cast<int>(
        ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    if (inserted >= 0 && shownLength < text.size())
        KeepColumn(m_hWnd, inserted, 0, text, true);
    return inserted;
}

int CListCtrl::SetItemText(int item, int subItem, const std::string& text) {
    if (!m_hWnd || item < 0 || item >= GetItemCount() || subItem < 0)
        return FALSE;
    const size_t shownLength = AfxShownLength(text);
    const std::string shown = text.substr(0, shownLength);
    LVITEMA row = {};
    row.iSubItem = subItem;
    row.pszText = const_cast<char*>(shown.c_str());
    if (!::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(&row)))
        return FALSE;
    KeepColumn(m_hWnd, item, subItem, text, shownLength < text.size());
    return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    if (!m_hWnd || item < 0 || item >= GetItemCount() || subItem < 0)
        return std::string();
    if (const SItemTexts* pTexts = KeptTexts(m_hWnd, item)) {
        if (subItem < SItemTexts::kMaxColumns && (pTexts->m_present & (1u << subItem)))
            return pTexts->m_columns[subItem];
    }
    // Shown texts are short: the cap's room is enough.
    char buffer[kAfxMaxShownText + 1] = {};
    LVITEMA row = {};
    row.iSubItem = subItem;
    row.pszText = buffer;
    row.cchTextMax = static_cast<int>(sizeof buffer);
    const int length = static_cast<int>(::SendMessageA(
        m_hWnd, LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&row)));
    return std::string(row.pszText, static_cast<size_t>(length > 0 ? length : 0));
}

int CListCtrl::GetItemCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, LVM_GETITEMCOUNT, 0, 0)) : 0;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    if (!m_hWnd)
        return -1;
    return static_cast<int>(
        ::SendMessageA(m_hWnd, LVM_GETNEXTITEM, static_cast<WPARAM>(start), MAKELPARAM(flags, 0)));
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    if (!m_hWnd)
        return FALSE;
    LVITEMA row = {};
    row.state = state;
    row.stateMask = mask;
    return static_cast<BOOL>(::SendMessageA(m_hWnd, LVM_SETITEMSTATE, static_cast<WPARAM>(item),
                                            reinterpret_cast<LPARAM>(&row)));
}
