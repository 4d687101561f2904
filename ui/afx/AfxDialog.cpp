// SPDX-License-Identifier: MIT
// What a modal dialog does whatever toolkit runs it: its default OK and Cancel,
// F1, the data exchange, and the binding of control objects to its controls.
#include "AfxBackEnd.h"

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_pWindow)
        return FALSE;
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

CMenu* CDialog::GetSystemMenu(BOOL /*revert*/) {
    return m_sysMenu.m_hMenu ? &m_sysMenu : nullptr;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // A dialog's close is its Cancel.
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

void CDialog::OnHelpKey(int fromId) {
    for (int i = 0; m_pTemplate && fromId != 0 && i < m_pTemplate->m_itemCount; ++i) {
        const SDialogItem& item = m_pTemplate->m_pItems[i];
        if (item.m_id == fromId && item.m_kind == EControlKind::ListView &&
            (item.m_style & LVS_TYPEMASK) != LVS_REPORT)
            return;
    }
    if (!OnCmdMsg(ID_HELP, 0)) {
        if (CWinApp* pApp = AfxGetApp())
            pApp->OnCmdMsg(ID_HELP, 0);
    }
}

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    CDialog* pDialog = pDX->m_pDlgWnd;
    HWND hWnd = nullptr;
    pDialog->GetDlgItem(id, &hWnd);
    if (!hWnd || control.m_hWnd == hWnd)
        return;
    if (pDialog->m_boundCount >= CDialog::kMaxBound)
        return;
    control.Attach(hWnd, id);
    pDialog->m_bound[pDialog->m_boundCount++] = &control;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    HWND hControl = nullptr;
    pDX->m_pDlgWnd->GetDlgItem(id, &hControl);
    if (!hControl)
        return;
    if (pDX->m_bSaveAndValidate)
        value = AfxGetControlText(hControl);
    else
        AfxSetControlText(hControl, value);
}

void CWnd::SetWindowText(const std::string& text) {
    if (m_hWnd)
        AfxSetControlText(m_hWnd, text);
}

std::string CWnd::GetWindowText() const {
    return m_hWnd ? AfxGetControlText(m_hWnd) : std::string();
}
