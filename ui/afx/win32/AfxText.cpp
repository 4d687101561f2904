// SPDX-License-Identifier: MIT
// Texts of static texts and edit boxes: the program's bytes in the system's
// code page, through the ANSI functions, as they are; a long text shows cut
// and is kept whole beside the control for what the program reads back.
#include "AfxWin32.h"

namespace {

bool IsEditBox(HWND hWnd) {
    char className[16] = {};
    GetClassNameA(hWnd, className, sizeof className);
    return lstrcmpiA(className, "Edit") == 0;
}

std::string ShownText(HWND hWnd) {
    return AfxReadText(GetWindowTextLengthA(hWnd), [hWnd](char* pBuffer, int size) {
        return ::GetWindowTextA(hWnd, pBuffer, size);
    });
}

} // namespace

size_t AfxShownLength(const std::string& text) {
    const size_t end = std::min(text.find('\0'), text.size());
    if (end <= kAfxMaxShownChars)
        return end;
    size_t pos = 0;
    for (size_t chars = 0; pos < end && chars < kAfxMaxShownChars; ++chars) {
        const bool doubleByte = IsDBCSLeadByte(static_cast<BYTE>(text[pos])) && pos + 1 < end;
        pos += doubleByte ? 2 : 1;
    }
    return pos;
}

void AfxSetControlText(HWND hControl, const std::string& text) {
    const size_t shownLength = AfxShownLength(text);
    const std::string shown = text.substr(0, shownLength);
    // The drum path writes both its texts on every stroke: only a change
    // reaches the control, which would repaint otherwise.
    if (ShownText(hControl) != shown)
        ::SetWindowTextA(hControl, shown.c_str());
    const bool editBox = IsEditBox(hControl);
    if (editBox)
        ::SendMessageA(hControl, EM_SETMODIFY, FALSE, 0);
    if (CDialogWindow* pWindow = CDialogWindow::OfControl(hControl))
        pWindow->KeepText(hControl, text, shownLength < text.size());
}

std::string AfxGetControlText(HWND hControl) {
    if (CDialogWindow* pWindow = CDialogWindow::OfControl(hControl)) {
        // A name the user did not edit is the whole name, however little of
        // it shows; an edited one is taken as typed.
        const std::string* pKept = pWindow->KeptText(hControl);
        if (pKept && !(IsEditBox(hControl) && ::SendMessageA(hControl, EM_GETMODIFY, 0, 0)))
            return *pKept;
    }
    return ShownText(hControl);
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_hWnd)
        AfxSetControlText(m_hWnd, text);
}

std::string CWnd::GetWindowText() const {
    return m_hWnd ? AfxGetControlText(m_hWnd) : std::string();
}

void CEdit::SetSel(int start, int end) {
    if (m_hWnd)
        ::SendMessageA(m_hWnd, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}
