// SPDX-License-Identifier: MIT
// The application object: the one instance, its main window, its icons and
// its help.
#include "AfxBackEnd.h"

namespace {
CWinApp* s_pApp = nullptr;
} // namespace

CWinApp::CWinApp(const char* /*appName*/) {
    if (!s_pApp)
        s_pApp = this;
}

CWinApp::~CWinApp() {
    DestroyIcons();
    if (s_pApp == this)
        s_pApp = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

void CWinApp::OnHelp() {
    // No help content belongs to the program: F1 shows its About box, reached
    // the way the user reaches it, from the main window and nowhere above it.
    auto* pMain = dynamic_cast<CDialog*>(m_pMainWnd);
    if (!pMain || CDialog::GetActiveModal() != pMain)
        return;
    CMenu* pMenu = pMain->GetSystemMenu(FALSE);
    if (!pMenu)
        return;
    for (int i = 0; i < pMenu->GetMenuItemCount(); ++i) {
        if (pMenu->GetMenuItemID(i) == AFX_IDM_ABOUTBOX) {
            pMain->SendMessage(WM_SYSCOMMAND, AFX_IDM_ABOUTBOX, 0);
            return;
        }
    }
}

HICON CWinApp::LoadIcon(UINT id) {
    int freeSlot = -1;
    for (int i = 0; i < kMaxIcons; ++i) {
        if (m_icons[i] && m_iconIds[i] == id)
            return m_icons[i];
        if (!m_icons[i] && freeSlot < 0)
            freeSlot = i;
    }
    HICON icon = freeSlot >= 0 ? AfxLoadIconResource(id) : nullptr;
    if (icon) {
        m_icons[freeSlot] = icon;
        m_iconIds[freeSlot] = id;
    }
    return icon;
}

void CWinApp::DestroyIcons() {
    for (HICON& icon : m_icons) {
        if (icon)
            AfxFreeIcon(icon);
        icon = nullptr;
    }
}

CWinApp* AfxGetApp() {
    return s_pApp;
}

CWnd* AfxGetMainWnd() {
    return s_pApp ? s_pApp->m_pMainWnd : nullptr;
}
