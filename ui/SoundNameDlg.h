// SPDX-License-Identifier: MIT
// The sound name dialog: one line for a sound's new name, refused while blank.
#pragma once

#include "AfxWin.h"

#include <string>

class CSoundNameDlg : public CDialog {
public:
    explicit CSoundNameDlg(CWnd* pParent = nullptr);
    ~CSoundNameDlg() override;

    enum { IDD = IDD_SOUNDNAME };

    std::string m_name;  // in: the current name; out after IDOK: the text as typed
    std::string m_error; // the error line, empty until a blank name is refused

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    void OnOK() override;

    DECLARE_MESSAGE_MAP()
};
