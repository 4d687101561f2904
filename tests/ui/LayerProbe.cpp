// SPDX-License-Identifier: MIT
#include "LayerProbe.h"

#include "DialogDriver.h"

BOOL CLayerProbeDlg::OnInitDialog() {
    const BOOL focusFirst = CDialog::OnInitDialog();
    m_shownInInit = IsShown(*this);
    return focusFirst;
}

BEGIN_MESSAGE_MAP(CLayerProbeDlg, CDialog)
ON_COMMAND(ID_HELP, OnHelp)
ON_LBN_SELCHANGE(IDC_SOUND_LIST, OnSelChange)
ON_LBN_DBLCLK(IDC_SOUND_LIST, OnDblClk)
ON_BN_CLICKED(IDC_SAVE_SET, OnSave)
ON_NOTIFY(NM_DBLCLK, IDC_KEY_LIST, OnClick)
ON_NOTIFY(NM_RCLICK, IDC_KEY_LIST, OnClick)
ON_NOTIFY(LVN_KEYDOWN, IDC_DRUM_BOX, OnKeyDown)
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_LIST, OnKeyDown)
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_BOX, OnKeyDown)
END_MESSAGE_MAP()
