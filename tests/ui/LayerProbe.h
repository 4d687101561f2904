// SPDX-License-Identifier: MIT
// A dialog over any of the program's templates, for the tests that drive the
// layer on both toolkits: its controls bound to objects (those the template
// has), whether its window showed before its initialisation ended, the help
// commands and list view key-downs it received recorded.
#pragma once

#include "AfxWin.h"

#include <string>
#include <vector>

class CLayerProbeDlg : public CDialog {
public:
    using CDialog::CDialog;

    CListCtrl m_keyList;
    CListBox m_soundList;
    CEdit m_nameEdit;
    std::string m_name;
    std::string m_error;
    bool m_shownInInit = true;
    // The sound list's selection at each change the user made; its double-clicks.
    std::vector<int> m_selections;
    int m_doubleClicks = 0;
    // The key list's double- and right-clicks: the row hit, and the row
    // selected when the click was reported.
    struct SClick {
        UINT m_code;
        int m_item;
        int m_selected;
    };
    std::vector<SClick> m_clicks;
    int m_saveClicks = 0;
    int m_helpCount = 0;
    int m_keyDowns = 0;
    // The last key-down's control and flags word.
    UINT_PTR m_keyFrom = 0;
    UINT m_keyFlags = 0;

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_KEY_LIST, m_keyList);
        DDX_Control(pDX, IDC_SOUND_LIST, m_soundList);
        DDX_Control(pDX, IDC_SOUND_NAME, m_nameEdit);
        DDX_Text(pDX, IDC_SOUND_NAME, m_name);
        DDX_Text(pDX, IDC_ERROR_TEXT, m_error);
    }
    void OnHelp() { ++m_helpCount; }
    void OnSelChange() { m_selections.push_back(m_soundList.GetCurSel()); }
    void OnDblClk() { ++m_doubleClicks; }
    void OnSave() { ++m_saveClicks; }
    void OnClick(NMHDR* pHeader, LRESULT* pResult) {
        m_clicks.push_back(SClick{pHeader->code, reinterpret_cast<NMITEMACTIVATE*>(pHeader)->iItem,
                                  m_keyList.GetNextItem(-1, LVNI_SELECTED)});
        *pResult = 0;
    }
    void OnKeyDown(NMHDR* pHeader, LRESULT* pResult) {
        ++m_keyDowns;
        m_keyFrom = pHeader->idFrom;
        m_keyFlags = reinterpret_cast<const NMLVKEYDOWN*>(pHeader)->flags;
        *pResult = 0;
    }

    DECLARE_MESSAGE_MAP()
};
