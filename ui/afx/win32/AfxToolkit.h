// SPDX-License-Identifier: MIT
// The Win32 implementation's side of the layer, beside the back-end interface:
// dialog templates in memory, the window the console's events go to, and
// texts read through the ANSI functions, as bytes in the system's code page.
// Internal to the implementation.
#pragma once

#include "AfxBackEnd.h"

#include <string>
#include <vector>

// A dialog template in memory, as the resource compiler would have stored it
// (DLGTEMPLATEEX), for dialogs made from templates the caller keeps.
std::vector<WORD> AfxBuildDialogTemplate(const SDialogTemplate& dialogTemplate);

// The window of the run beneath all others, for the console's events, which
// arrive on a thread of their own: set by the run that has none beneath it,
// cleared when that window goes.
void AfxSetBottomWindow(HWND hWnd);
void AfxForgetBottomWindow(HWND hWnd);

// Text of any length through a Get...TextA call that takes a buffer size and
// returns the length copied.
template <typename FGetText> std::string AfxReadText(int length, FGetText getText) {
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = getText(text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}
