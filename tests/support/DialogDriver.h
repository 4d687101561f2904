// SPDX-License-Identifier: MIT
// Driving the layer's dialogs the same way over either toolkit, for the tests
// that run on both: a modal run with a script inside it, keys struck on the
// keyboard, text typed, a button pushed, and what a control shows. Each back
// end implements it once (QtDialogDriver.cpp, Win32DialogDriver.cpp).
#pragma once

#include "AfxWin.h"

#include <functional>
#include <string>

// Runs the dialog modally; the script runs inside the dialog's own loop once
// its window is shown and active. A run the script leaves open fails the test
// and is cancelled after guardMs.
INT_PTR DriveModal(CDialog& dialog, const std::function<void()>& script, int guardMs = 20000);

// Runs the script once inside the next dialog that opens above the one
// active now, when its window is shown and active.
void WhenNextOpens(const std::function<void(CDialog&)>& script);
template <class TDialog> void WhenOpens(const std::function<void(TDialog&)>& script) {
    WhenNextOpens([script](CDialog& dialog) { script(dynamic_cast<TDialog&>(dialog)); });
}

// Gives the control the keyboard focus.
void FocusControl(const CDialog& dialog, int id);
// A key pressed and released on the keyboard, into the control with the focus:
// its virtual key, and its set-1 scan code with KF_EXTENDED where it has it;
// shifted: with Shift held.
void StrikeKey(UINT virtualKey, UINT scanFlags, bool shifted = false);
// A key held down until the keyboard repeats it that many times, then released.
void HoldKey(UINT virtualKey, UINT scanFlags, int repeats);
// Characters typed into the control with the focus: as the program's bytes,
// or as the keyboard gives them, in Unicode.
void TypeText(const std::string& text);
void TypeCharacters(const std::u16string& text);
// The edit box's text replaced by the user: focused, all selected, the text
// typed over it (an empty one: deleted).
void TypeInto(const CDialog& dialog, int id, const std::string& text);
// The text put on the clipboard and pasted into the control with the focus.
void PasteText(const std::string& text);
void PushButton(const CDialog& dialog, int id);
// The window's close box; an item of its window menu chosen.
void CloseWindow(const CDialog& dialog);
void ChooseWindowMenuItem(const CDialog& dialog, UINT id);
// A click on a row of a list box or list view, scrolled into view first, or
// (kBelowRows) on the empty space below the rows.
enum class EClick { Left, Right, Double };
inline constexpr int kBelowRows = -1;
void ClickRow(const CDialog& dialog, int id, int row, EClick click = EClick::Left);
// The id of the dialog's control with the focus; 0 for none.
int FocusedControl(const CDialog& dialog);

// Where a dialog's window stands: shown; its centre that of its owner's window
// (none: of the screen's work area); owned by that window; open to the user's
// input (a window beneath a modal run is not).
bool IsShown(const CWnd& window);
bool IsCentredOver(const CWnd& window, const CWnd* pOwner);
bool IsOwnedBy(const CWnd& window, const CWnd& owner);
bool TakesInput(const CWnd& window);

// What the user sees, as the program's bytes: the text of a static text or
// edit box; a row's text in a list box (column 0) or a cell of a list view.
std::string ShownText(const CDialog& dialog, int id);
// The characters a static text or edit box shows.
std::u16string ShownCharacters(const CDialog& dialog, int id);
std::string ShownCell(const CDialog& dialog, int id, int row, int column = 0);
