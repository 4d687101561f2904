// SPDX-License-Identifier: MIT
// Driving the Win32 toolkit layer from inside a modal run, for the cases that
// belong to Win32 alone (the rest run on both toolkits, DialogDriver.h): a
// dialog that runs a script of steps, one per tick of a timer, so that what a
// step posts passes through the dialog manager's own loop before the next
// step looks; and a probe over any template.
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

protected:
    BOOL OnInitDialog() override;

private:
    static void CALLBACK OnTick(HWND hWnd, UINT message, UINT_PTR id, DWORD time);
    void Tick();

    size_t m_next = 0;
    bool m_inStep = false;
    DWORD m_stepStart = 0;
};

// A dialog over any template that records the session's end it was told
// of, and answers the drag icon asked for; the key list and the sound name
// bound where the template has them.
class CProbeDlg : public CScriptedDlg {
public:
    using CScriptedDlg::CScriptedDlg;

    CListCtrl m_keyList;
    std::string m_name;
    HICON m_dragIcon = nullptr;
    int m_sessionEnds = 0;

    HWND Item(int id) const;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnEndSession(BOOL ending);
    HCURSOR OnQueryDragIcon();

    DECLARE_MESSAGE_MAP()
};

std::string ClassOf(HWND hWnd);
