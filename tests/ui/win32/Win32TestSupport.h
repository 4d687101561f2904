// SPDX-License-Identifier: MIT
// Driving the Win32 toolkit layer from inside a modal run: a dialog that runs
// a script of steps, one per tick of a timer, so that the keys and clicks a
// step posts pass through the dialog manager's own loop before the next step
// looks; and a probe dialog that records what its message map receives.
#pragma once

#include "AfxWin.h"

#include <functional>
#include <string>
#include <vector>

// A step returns true when done; false to be tried again at the next tick.
using FStep = std::function<bool()>;

class CScriptedDlg : public CDialog {
public:
    explicit CScriptedDlg(UINT templateId) : CDialog(templateId) {}
    explicit CScriptedDlg(const SDialogTemplate* pTemplate) : CDialog(pTemplate) {}

    std::vector<FStep> m_steps;
    // Runs inside OnInitDialog, after the framework's, before the window shows.
    std::function<void()> m_onInit;
    bool m_visibleDuringInit = true;

protected:
    BOOL OnInitDialog() override;

private:
    static void CALLBACK OnTick(HWND hWnd, UINT message, UINT_PTR id, DWORD time);
    void Tick();

    size_t m_next = 0;
    bool m_inStep = false;
    DWORD m_stepStart = 0;
};

// What the probe's message map received.
struct SNotice {
    UINT m_message; // WM_NOTIFY, WM_COMMAND, WM_SYSCOMMAND, WM_ENDSESSION
    UINT m_code;    // notification code, or the command id of WM_SYSCOMMAND
    int m_id;       // the control
    UINT m_flags;   // LVN_KEYDOWN: the flags word
    WORD m_virtualKey;
    int m_item;     // NM_DBLCLK, NM_RCLICK: the row hit
    int m_selected; // the row or entry selected when the notice arrived
};

// A dialog over any of the program's templates with handlers for every
// notification the program's dialogs take, each recorded.
class CProbeDlg : public CScriptedDlg {
public:
    using CScriptedDlg::CScriptedDlg;

    CListCtrl m_keyList;
    CListCtrl m_drumBox;
    CListCtrl m_keyBox;
    CListBox m_soundList;
    std::string m_name;
    std::string m_error;
    std::string m_lastStroke;
    std::string m_status;
    std::vector<SNotice> m_notices;
    int m_okCount = 0;
    int m_helpCount = 0;
    HICON m_dragIcon = nullptr;

    int Count(UINT message, UINT code, int id) const;
    HWND Item(int id) const;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    void OnNotice(NMHDR* pHeader, LRESULT* pResult);
    void OnSelChangeSoundList();
    void OnDblClkSoundList();
    void OnSaveSet();
    void OnHelp() { ++m_helpCount; }
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnEndSession(BOOL ending);
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()

private:
    void Command(UINT code, int id);
};

// Input as the dialog manager's loop receives it from the keyboard and mouse:
// posted to the control, so that the dialog keys are taken before it.
void PostKey(HWND hTarget, UINT virtualKey, UINT scanCode, bool extended = false);
void PostClick(HWND hTarget, int x, int y, bool right = false, bool doubleClick = false);
// The centre of a list view row or a list box entry, in its client coordinates.
POINT RowCentre(HWND hList, int row, bool listBox);

// The work area of the primary monitor, and whether a window's centre is
// that of another rectangle (within a pixel of rounding).
RECT WorkArea();
bool CentredOver(HWND hWnd, const RECT& area);
std::string ClassOf(HWND hWnd);
