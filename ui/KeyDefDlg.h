// SPDX-License-Identifier: MIT
// The key definition dialog: captures one key in its key box, lets the user
// audition and choose a sound, and renames sounds in its working copy of the
// kit's names. Its opener binds the key to the sound after an IDOK ending.
#pragma once

#include "AfxWin.h"
#include "DrumKit.h"

#include <cstdint>
#include <string>

class CKeyDefDlg : public CDialog {
public:
    explicit CKeyDefDlg(CWnd* pParent = nullptr);
    ~CKeyDefDlg() override;

    enum { IDD = IDD_KEYDEF };

    // Inputs, set by the opener between construction and the run; the
    // constructor leaves them alone. m_key and m_sound are the outputs.
    std::string* m_pNames;
    int32_t m_count;
    int32_t m_key;
    int32_t m_sound;
    CDrumKit* m_pKit;
    CListBox m_soundList;
    CListCtrl m_keyBox;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnKeyDownKeyBox(NMHDR* pNMHDR, LRESULT* pResult);
    void OnSelChangeSoundList();
    void OnDblClkSoundList();
    void OnSaveSet();

    DECLARE_MESSAGE_MAP()
};
