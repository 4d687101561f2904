// SPDX-License-Identifier: MIT
// What the layer asks of a toolkit. The shared files decide what the
// framework's shape means: the modal stack and its cancelling, how a run
// begins and ends, data exchange, F1, the whole texts behind the parts
// shown, the application's icons. A back end (qt/, win32/) only does what
// needs its toolkit: these operations, its CDialogWindow (a run's window,
// built from the template, with its loop and dialog keys), and the members
// of the window and control objects that stand on a handle (CWnd, CMenu,
// CListCtrl, CListBox, CPaintDC, CDialog::GetDlgItem and MapDialogRect),
// with the program's entry and its termination handling. Internal to the
// layer.
#pragma once

#include "AfxWin.h"

#include <string>

// Whether the toolkit can make windows now.
BOOL AfxToolkitReady();
// Runs one modal run of the dialog: builds its window from the template,
// owned by pOwner's window (none when null), has CDialog::BeginRun called
// once the window exists, shows it and runs its loop until AfxEndRun.
void AfxRunModal(CDialog& dialog, CWnd* pOwner);
void AfxEndRun(CDialogWindow& window, int result);
// Closes the menus and other popups that run loops of their own.
void AfxCloseMenus();

// The text of a static text, an edit box or a button as the program's bytes
// (a window's title for a window): shown as AfxShownText has it, read back
// whole unless edited (AfxWholeText.h).
void AfxSetControlText(HWND hControl, const std::string& text);
std::string AfxGetControlText(HWND hControl);

// A plain message box that belongs to no window, as AfxMessageBox (AfxWin.h)
// describes it, once the toolkit is ready: the button pressed, or 0 when the
// program is being ended and asks nothing.
int AfxShowMessageBox(const char* text, const char* caption, UINT type);

// An icon resource of the program, and its release.
HICON AfxLoadIconResource(UINT id);
void AfxFreeIcon(HICON icon);
