// SPDX-License-Identifier: MIT
// The list box object over the system's list box. It never sorts: entries go
// in by LB_INSERTSTRING, which leaves even a sorting list box's order alone.
// An entry whose text shows cut keeps the whole text as its item data.
#include "AfxWin32.h"

namespace {

SItemTexts* KeptTexts(HWND hList, int index) {
    const LRESULT data = ::SendMessageA(hList, LB_GETITEMDATA, static_cast<WPARAM>(index), 0);
    return data == LB_ERR ? nullptr : reinterpret_cast<SItemTexts*>(data);
}

void ReleaseKept(HWND hList, int index) {
    if (SItemTexts* pTexts = KeptTexts(hList, index)) {
        if (CDialogWindow* pWindow = CDialogWindow::OfControl(hList))
            pWindow->ReleaseItemTexts(pTexts);
    }
}

} // namespace

int CListBox::GetCount() const {
    return m_hWnd ? static_cast<int>(::SendMessageA(m_hWnd, LB_GETCOUNT, 0, 0)) : 0;
}

int CListBox::InsertString(int index, const std::string& text) {
    if (!m_hWnd)
        return LB_ERR;
    const size_t shownLength = AfxShownLength(text);
    const std::string shown = text.substr(0, shownLength);
    const int inserted =
        static_cast<int>(::SendMessageA(m_hWnd, LB_INSERTSTRING, static_cast<WPARAM>(index),
                                        reinterpret_cast<LPARAM>(shown.c_str())));
    if (inserted < 0 || shownLength == text.size())
        return inserted < 0 ? LB_ERR : inserted;
    if (CDialogWindow* pWindow = CDialogWindow::OfControl(m_hWnd)) {
        SItemTexts* pTexts = pWindow->NewItemTexts();
        pTexts->m_columns[0] = text;
        pTexts->m_present = 1;
        ::SendMessageA(m_hWnd, LB_SETITEMDATA, static_cast<WPARAM>(inserted),
                       reinterpret_cast<LPARAM>(pTexts));
    }
    return inserted;
}

int CListBox::DeleteString(int index) {
    if (!m_hWnd || index < 0 || index >= GetCount())
        return LB_ERR;
    ReleaseKept(m_hWnd, index);
    return static_cast<int>(::SendMessageA(m_hWnd, LB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void CListBox::ResetContent() {
    if (!m_hWnd)
        return;
    for (int i = GetCount() - 1; i >= 0; --i)
        ReleaseKept(m_hWnd, i);
    ::SendMessageA(m_hWnd, LB_RESETCONTENT, 0, 0);
}

int CListBox::GetText(int index, std::string& text) const {
    if (!m_hWnd || index < 0 || index >= GetCount())
        return LB_ERR;
    if (const SItemTexts* pTexts = KeptTexts(m_hWnd, index)) {
        text = pTexts->m_columns[0];
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
