// SPDX-License-Identifier: MIT
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr UINT kTickMs = 20;
// A step that is not done by then has failed; the dialogs are cancelled.
constexpr DWORD kStepTimeoutMs = 15000;

} // namespace

BOOL CScriptedDlg::OnInitDialog() {
    const BOOL result = CDialog::OnInitDialog();
    if (m_onInit)
        m_onInit();
    m_next = 0;
    m_stepStart = GetTickCount();
    SetTimer(m_hWnd, reinterpret_cast<UINT_PTR>(this), kTickMs, &OnTick);
    return result;
}

void CALLBACK CScriptedDlg::OnTick(HWND, UINT, UINT_PTR id, DWORD) {
    reinterpret_cast<CScriptedDlg*>(id)->Tick();
}

void CScriptedDlg::Tick() {
    // A step that runs a nested dialog is still running while that dialog's
    // loop hands out this timer's ticks.
    if (m_inStep || !IsRunning())
        return;
    if (m_next >= m_steps.size()) {
        if (GetTickCount() - m_stepStart > kStepTimeoutMs) {
            ADD_FAILURE() << "the script ended but the dialog stayed open";
            CDialog::CancelAllModal();
        }
        return;
    }
    m_inStep = true;
    const size_t index = m_next;
    const bool done = m_steps[index]();
    m_inStep = false;
    if (done) {
        ++m_next;
        m_stepStart = GetTickCount();
    } else if (GetTickCount() - m_stepStart > kStepTimeoutMs) {
        ADD_FAILURE() << "step " << index << " never came true";
        m_next = m_steps.size();
        CDialog::CancelAllModal();
    }
}

// ---------------------------------------------------------------------------

BEGIN_MESSAGE_MAP(CProbeDlg, CScriptedDlg)
ON_WM_ENDSESSION()
ON_WM_QUERYDRAGICON()
END_MESSAGE_MAP()

void CProbeDlg::DoDataExchange(CDataExchange* pDX) {
    CScriptedDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_KEY_LIST, m_keyList);
    DDX_Text(pDX, IDC_SOUND_NAME, m_name);
}

void CProbeDlg::OnEndSession(BOOL ending) {
    if (ending)
        ++m_sessionEnds;
    CScriptedDlg::OnEndSession(ending);
}

HCURSOR CProbeDlg::OnQueryDragIcon() {
    return m_dragIcon;
}

HWND CProbeDlg::Item(int id) const {
    HWND hItem = nullptr;
    GetDlgItem(id, &hItem);
    return hItem;
}

// ---------------------------------------------------------------------------

std::string ClassOf(HWND hWnd) {
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return name;
}
