// SPDX-License-Identifier: MIT
#include "KeyDefDlg.h"

#include "KeyNames.h"
#include "SoundNameDlg.h"

// The four inputs are the opener's to set, m_key is set by OnInitDialog.
CKeyDefDlg::CKeyDefDlg(CWnd* pParent) : CDialog(IDD_KEYDEF, pParent) {}

CKeyDefDlg::~CKeyDefDlg() = default;

void CKeyDefDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_SOUND_LIST, m_soundList);
    DDX_Control(pDX, IDC_KEY_BOX, m_keyBox);
}

BEGIN_MESSAGE_MAP(CKeyDefDlg, CDialog)
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_BOX, OnKeyDownKeyBox)
ON_LBN_SELCHANGE(IDC_SOUND_LIST, OnSelChangeSoundList)
ON_LBN_DBLCLK(IDC_SOUND_LIST, OnDblClkSoundList)
ON_BN_CLICKED(IDC_SAVE_SET, OnSaveSet)
END_MESSAGE_MAP()

BOOL CKeyDefDlg::OnInitDialog() {
    CDialog::OnInitDialog();

    // Entry i is sound i: every handler relies on it.
    for (int i = 0; i < m_count; ++i)
        m_soundList.InsertString(i, m_pNames[i]);
    // The program's own selection reports nothing, so opening plays nothing.
    m_soundList.SetCurSel(m_sound);
    m_soundList.SetCaretIndex(m_sound, TRUE);

    m_key = kNoKey;
    m_keyBox.InsertColumn(0, "A");
    // The focus goes to the first tab stop, "Set Key && Exit": the user clicks
    // the key box first, as the instructions say.
    return TRUE;
}

void CKeyDefDlg::OnKeyDownKeyBox(NMHDR* pNMHDR, LRESULT* pResult) {
    // Every key-down replaces the key captured before, repetitions included;
    // the key is only named, never played.
    const auto* pKeyDown = reinterpret_cast<const NMLVKEYDOWN*>(pNMHDR);
    m_key = static_cast<int32_t>(pKeyDown->flags & 0xFF);
    m_keyBox.DeleteAllItems();
    m_keyBox.InsertItem(0, KeyName(static_cast<ScanCode>(m_key)));
    *pResult = 0;
}

void CKeyDefDlg::OnSelChangeSoundList() {
    const int selection = m_soundList.GetCurSel();
    // A change that leaves nothing selected chooses nothing: the opener would
    // otherwise be handed no sound at all.
    if (selection == LB_ERR)
        return;
    m_sound = selection;
    m_pKit->PlaySound(m_sound);
}

void CKeyDefDlg::OnDblClkSoundList() {
    // After a rename no entry is selected; there is then nothing to rename.
    const int selected = m_soundList.GetCurSel();
    if (selected == LB_ERR)
        return;
    CSoundNameDlg dlg;
    m_soundList.GetText(selected, dlg.m_name);
    if (dlg.DoModal() != IDOK)
        return;
    const int index = m_soundList.GetCurSel();
    if (index == LB_ERR)
        return;
    // The program's own deletion and insertion: no selection change is
    // reported, so nothing plays and m_sound keeps the sound chosen last.
    m_soundList.DeleteString(index);
    m_soundList.InsertString(index, dlg.m_name);
}

void CKeyDefDlg::OnSaveSet() {
    // The kit's names reach "drums.set" only when the program ends.
    for (int i = 0; i < m_count; ++i)
        m_soundList.GetText(i, m_pNames[i]);
}
