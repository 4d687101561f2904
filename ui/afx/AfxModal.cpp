// SPDX-License-Identifier: MIT
// A dialog's modal run, whatever toolkit runs it: the stack of runs, their
// beginning and ending, and the ending of every run at once from outside.
#include "AfxBackEnd.h"

namespace {

// The dialogs in a modal run, the one beneath first. Runs nest; this deep is
// far beyond anything the program opens.
constexpr int kMaxModalDepth = 16;
CDialog* s_modalStack[kMaxModalDepth] = {};
int s_modalDepth = 0;
// Set once the program is being ended from outside: no new dialog opens.
bool s_endingAll = false;

} // namespace

CDialog::CDialog(UINT templateId, CWnd* pParent)
    : m_pTemplate(FindDialogTemplate(static_cast<int>(templateId))), m_pParentWnd(pParent) {}

CDialog::CDialog(const SDialogTemplate* pTemplate, CWnd* pParent)
    : m_pTemplate(pTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() {
    DestroyWindow();
}

CDialog* CDialog::GetActiveModal() {
    return s_modalDepth > 0 ? s_modalStack[s_modalDepth - 1] : nullptr;
}

void CDialog::CancelAllModal() {
    s_endingAll = true;
    CancelRunsDownTo(0);
}

void CDialog::CancelRunsDownTo(int depth) {
    // A menu or other popup runs a loop of its own that must end first.
    AfxCloseMenus();
    for (int i = s_modalDepth - 1; i >= depth; --i) {
        CDialog* pDialog = s_modalStack[i];
        if (pDialog->m_pWindow && !pDialog->m_ended)
            pDialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
}

void CDialog::CancelAsGone() {
    for (int i = 0; i < s_modalDepth; ++i) {
        if (s_modalStack[i] != this)
            continue;
        if (i == 0)
            CancelAllModal();
        else
            CancelRunsDownTo(i);
        return;
    }
}

INT_PTR CDialog::DoModal() {
    if (!m_pTemplate || m_pWindow || s_endingAll || s_modalDepth >= kMaxModalDepth ||
        !AfxToolkitReady())
        return -1;
    // Owned by the window open beneath it, which takes no input until the run
    // ends.
    m_pBelow = m_pParentWnd ? dynamic_cast<CDialog*>(m_pParentWnd) : GetActiveModal();
    m_result = -1;
    m_ended = FALSE;
    s_modalStack[s_modalDepth++] = this;
    AfxRunModal(*this, m_pBelow ? m_pBelow : m_pParentWnd);
    if (--s_modalDepth == 0)
        s_endingAll = false;
    DestroyWindow();
    // A run that never began (no template in the resources, no window made)
    // ended nowhere: that is the failure value.
    return m_ended ? m_result : -1;
}

BOOL CDialog::BeginRun(HWND hWnd, HMENU hSysMenu) {
    m_hWnd = hWnd;
    m_sysMenu.Attach(hSysMenu);
    return OnInitDialog();
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = TRUE;
    if (m_pWindow)
        AfxEndRun(*m_pWindow, result);
}

void CDialog::DestroyWindow() {
    if (!m_pWindow)
        return;
    for (int i = 0; i < m_boundCount; ++i)
        m_bound[i]->Detach();
    m_boundCount = 0;
    m_sysMenu.Attach(nullptr);
    m_pWindow.reset();
    m_hWnd = nullptr;
}

int AfxMessageBox(const char* text, const char* caption, UINT type) {
    if (!AfxToolkitReady())
        return 0;
    const int pressed = AfxShowMessageBox(text, caption, type);
    return pressed == IDOK || pressed == IDRETRY || pressed == IDCANCEL ? pressed : 0;
}
