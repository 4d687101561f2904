// SPDX-License-Identifier: MIT
// Texts of static texts and edit boxes: the program's bytes in the system's
// code page, through the ANSI functions, as they are; a long text shows cut
// and is kept whole beside the control for what the program reads back.
#include "AfxDialogWindow.h"

namespace {

std::string ShownText(HWND hWnd) {
    return AfxReadText(GetWindowTextLengthA(hWnd), [hWnd](char* pBuffer, int size) {
        return ::GetWindowTextA(hWnd, pBuffer, size);
    });
}

} // namespace

size_t AfxCharacterStart(const std::string& text, size_t at) {
    // Whether a byte leads a double-byte character depends on what comes
    // before it: walk from the start.
    size_t start = 0;
    for (size_t pos = 0; pos <= at && pos < text.size();) {
        start = pos;
        const bool doubleByte =
            IsDBCSLeadByte(static_cast<BYTE>(text[pos])) && pos + 1 < text.size();
        pos += doubleByte ? 2 : 1;
    }
    return start;
}

void AfxSetControlText(HWND hControl, const std::string& text) {
    CDialogWindow* pWindow = CDialogWindow::OfControl(hControl);
    const std::string shown = pWindow ? pWindow->KeepText(hControl, text) : AfxShownText(text);
    // The drum path writes both its texts on every stroke: only a change
    // reaches the control, which would repaint otherwise.
    if (ShownText(hControl) != shown)
        ::SetWindowTextA(hControl, shown.c_str());
}

std::string AfxGetControlText(HWND hControl) {
    // A text that still shows as it was put there is the whole text, however
    // little of it shows; an edited one is taken as typed.
    if (CDialogWindow* pWindow = CDialogWindow::OfControl(hControl)) {
        if (const CAfxEditText* pKept = pWindow->KeptText(hControl))
            return pKept->Read(ShownText(hControl));
    }
    return ShownText(hControl);
}
