// SPDX-License-Identifier: MIT
// The list view object over the common controls' list view, through its ANSI
// messages. The whole texts of cells that show cut are kept beside the list.
#include "AfxToolkit.h"

int CListCtrl::InsertColumn(int column, const std::string& heading, int format, int width) {
    if (!m_hWnd)
        return -1;
    LVCOLUMNA lvColumn = {};
    lvColumn.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    lvColumn.fmt = format;
    lvColumn.pszText = const_cast<char*>(heading.c_str());
    lvColumn.iSubItem = column;
    if (width >= 0) {
        // Widths come in pixels at 96 dpi. The manifest declares the program
        // DPI-aware, so Windows scales the templates but not these pixels:
        // they follow the window's DPI here, to stay in proportion.
        const HDC hdc = ::GetDC(m_hWnd);
        const int dpi = hdc ? ::GetDeviceCaps(hdc, LOGPIXELSX) : 96;
        if (hdc)
            ::ReleaseDC(m_hWnd, hdc);
        lvColumn.mask |= LVCF_WIDTH;
        lvColumn.cx = ::MulDiv(width, dpi, 96);
    }
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_INSERTCOLUMNA, static_cast<WPARAM>(column),
                                           reinterpret_cast<LPARAM>(&lvColumn)));
}

int CListCtrl::DeleteAllItems() {
    if (!m_hWnd)
        return FALSE;
    m_wholeTexts.Clear();
    return static_cast<int>(::SendMessageA(m_hWnd, LVM_DELETEALLITEMS, 0, 0));
}

int CListCtrl::InsertItem(int item, const std::string& text) {
    if (!m_hWnd || item < 0)
        return -1;
    const std::string shown = AfxShownText(text);
    LVITEMA row = {};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<char*>(shown.c_str());
    const int inserted = static_cast<int>(
        ::SendMessageA(m_hWnd, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&row)));
    if (inserted >= 0) {
        m_wholeTexts.InsertRow(inserted);
        m_wholeTexts.Show(inserted, 0, text);
    }
    return inserted;
}

int CListCtrl::SetItemText(int item, int subItem, const std::string& text) {
    if (!m_hWnd || item < 0 || item >= GetItemCount() || subItem < 0)
        return FALSE;
    const std::string shown = AfxShownText(text);
    LVITEMA row = {};
    row.iSubItem = subItem;
    row.pszText = const_cast<char*>(shown.c_str());
    if (!::SendMessageA(m_hWnd, LVM_SETITEMTEXTA, static_cast<WPARAM>(item),
                        reinterpret_cast<LPARAM>(&row)))
        return FALSE;
    m_wholeTexts.Show(item, subItem, text);
    return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    if (!m_hWnd || item < 0 || item >= GetItemCount() || subItem < 0)
        return std::string();
    if (const std::string* pWhole = m_wholeTexts.Whole(item, subItem))
        return *pWhole;
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
