// SPDX-License-Identifier: MIT
// The list box object over the system's list box. It never sorts: entries go
// in by LB_INSERTSTRING, which leaves even a sorting list box's order alone.
// An entry whose text shows cut has the whole text kept beside the list.
#include "AfxToolkit.h"

int CListBox::GetCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0)) : 0;
}

int CListBox::InsertString(int index, const std::string& text) {
    const int count = GetCount();
    if (!m_hWnd || index < -1 || index > count)
        return LB_ERR;
    if (index == -1)
        index = count;
    const std::string shown = AfxShownText(text);
    const int inserted =
        static_cast<int>(::SendMessageA(m_hWnd, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(shown.c_str())));
    if (inserted < 0)
        return LB_ERR;
    m_wholeTexts.InsertRow(inserted);
    m_wholeTexts.Show(inserted, 0, text);
    return inserted;
}

int CListBox::DeleteString(int index) {
    if (!m_hWnd || index < 0 || index >= GetCount())
        return LB_ERR;
    m_wholeTexts.DeleteRow(index);
    return static_cast<int>(::SendMessageA(m_hWnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void CListBox::ResetContent() {
    if (!m_hWnd)
        return;
    m_wholeTexts.Clear();
    ::SendMessageA(m_hWnd, LB_RESETCONTENT, 0, 0);
}

int CListBox::GetText(int index, std::string& text) const {
    if (!m_hWnd || index < 0 || index >= GetCount())
        return LB_ERR;
    if (const std::string* pWhole = m_wholeTexts.Whole(index, 0)) {
        text = *pWhole;
        return static_cast<int>(text.size());
    }
    const int length =
        static_cast<int>(::SendMessageA(m_hWnd, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0));
    text = AfxReadText(length, [this, index](char* pBuffer, int) {
        return static_cast<int>(::SendMessageA(m_hWnd, LB_GETTEXT, static_cast<WPARAM>(index),
                                               reinterpret_cast<LPARAM>(pBuffer)));
    });
    return static_cast<int>(text.size());
}

int CListBox::GetCurSel() const {
    return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, LB_GETCURSEL, 0, 0)) : LB_ERR;
}

int CListBox::SetCurSel(int index) {
    // The program's own selection: the list box reports no LBN_SELCHANGE.
    if (!m_hWnd)
        return LB_ERR;
    return static_cast<int>(::SendMessageA(m_hWnd, LB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int CListBox::GetCaretIndex() const {
    return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, LB_GETCARETINDEX, 0, 0)) : LB_ERR;
}

int CListBox::SetCaretIndex(int index, BOOL scroll) {
    if (!m_hWnd)
        return LB_ERR;
    return static_cast<int>(::SendMessageA(m_hWnd, LB_SETCARETINDEX, static_cast<WPARAM>(index),
                                           MAKELPARAM(scroll ? TRUE : FALSE, 0)));
}
