// SPDX-License-Identifier: MIT
// The drum pad window: the key list of bindings, the drum box that takes the
// strokes, the last-stroke display and the status line. It owns the drum kit.
#pragma once

#include "AfxWin.h"
#include "DrumKit.h"
#include "KeyListCtrl.h"

#include <cstdint>
#include <string>

class CDrumPadDlg : public CDialog {
public:
    explicit CDrumPadDlg(CWnd* pParent = nullptr);
    ~CDrumPadDlg() override;

    enum { IDD = IDD_DRUMPAD };

    CListCtrl m_drumBox;
    CKeyListCtrl m_keyList;
    std::string m_lastStroke;
    std::string m_status;
    HICON m_hIcon;
    CDrumKit m_kit;
    int32_t m_lastSound;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    void OnRClickKeyList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKeyDownDrumBox(NMHDR* pNMHDR, LRESULT* pResult);
    void OnDblClkKeyList(NMHDR* pNMHDR, LRESULT* pResult);
    void OnKillFocusDrumBox(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSetFocusDrumBox(NMHDR* pNMHDR, LRESULT* pResult);
    void OnEndSession(BOOL bEnding);

    DECLARE_MESSAGE_MAP()
};
