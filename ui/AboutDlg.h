// SPDX-License-Identifier: MIT
// The About box, opened from the drum pad window's system menu (or F1).
#pragma once

#include "AfxWin.h"

class CAboutDlg : public CDialog {
public:
    CAboutDlg();

    enum { IDD = IDD_ABOUTBOX };

protected:
    void DoDataExchange(CDataExchange* pDX) override;

    DECLARE_MESSAGE_MAP()
};
