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
    m_visibleDuringInit = IsWindowVisible(m_hWnd) != FALSE;
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
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_BOX, OnNotice)
ON_NOTIFY(LVN_KEYDOWN, IDC_DRUM_BOX, OnNotice)
ON_NOTIFY(LVN_KEYDOWN, IDC_KEY_LIST, OnNotice)
ON_NOTIFY(NM_DBLCLK, IDC_KEY_LIST, OnNotice)
ON_NOTIFY(NM_RCLICK, IDC_KEY_LIST, OnNotice)
ON_NOTIFY(NM_SETFOCUS, IDC_DRUM_BOX, OnNotice)
ON_NOTIFY(NM_KILLFOCUS, IDC_DRUM_BOX, OnNotice)
ON_LBN_SELCHANGE(IDC_SOUND_LIST, OnSelChangeSoundList)
ON_LBN_DBLCLK(IDC_SOUND_LIST, OnDblClkSoundList)
ON_BN_CLICKED(IDC_SAVE_SET, OnSaveSet)
ON_WM_SYSCOMMAND()
ON_WM_ENDSESSION()
ON_WM_QUERYDRAGICON()
ON_COMMAND(ID_HELP, OnHelp)
END_MESSAGE_MAP()

void CProbeDlg::DoDataExchange(CDataExchange* pDX) {
    CScriptedDlg::DoDataExchange(pDX);
    // Each template has some of these; the others bind nothing.
    DDX_Control(pDX, IDC_KEY_LIST, m_keyList);
    DDX_Control(pDX, IDC_DRUM_BOX, m_drumBox);
    DDX_Control(pDX, IDC_KEY_BOX, m_keyBox);
    DDX_Control(pDX, IDC_SOUND_LIST, m_soundList);
    DDX_Text(pDX, IDC_SOUND_NAME, m_name);
    DDX_Text(pDX, IDC_ERROR_TEXT, m_error);
    DDX_Text(pDX, IDC_LAST_STROKE, m_lastStroke);
    DDX_Text(pDX, IDC_STATUS_TEXT, m_status);
}

void CProbeDlg::OnOK() {
    ++m_okCount;
    CScriptedDlg::OnOK();
}

void CProbeDlg::OnNotice(NMHDR* pHeader, LRESULT* pResult) {
    SNotice notice = {WM_NOTIFY, pHeader->code, static_cast<int>(pHeader->idFrom), 0, 0, -1, -1};
    if (pHeader->code == LVN_KEYDOWN) {
        const auto* pKeyDown = reinterpret_cast<const NMLVKEYDOWN*>(pHeader);
        notice.m_flags = pKeyDown->flags;
        notice.m_virtualKey = pKeyDown->wVKey;
    } else if (pHeader->code == NM_DBLCLK || pHeader->code == NM_RCLICK) {
        notice.m_item = reinterpret_cast<const NMITEMACTIVATE*>(pHeader)->iItem;
        notice.m_selected = m_keyList.GetNextItem(-1, LVNI_SELECTED);
    }
    m_notices.push_back(notice);
    *pResult = 0;
}

void CProbeDlg::Command(UINT code, int id) {
    SNotice notice = {WM_COMMAND, code, id, 0, 0, -1, -1};
    if (id == IDC_SOUND_LIST)
        notice.m_selected = m_soundList.GetCurSel();
    m_notices.push_back(notice);
}

void CProbeDlg::OnSelChangeSoundList() {
    Command(LBN_SELCHANGE, IDC_SOUND_LIST);
}

void CProbeDlg::OnDblClkSoundList() {
    Command(LBN_DBLCLK, IDC_SOUND_LIST);
}

void CProbeDlg::OnSaveSet() {
    Command(BN_CLICKED, IDC_SAVE_SET);
}

void CProbeDlg::OnSysCommand(UINT id, LPARAM lParam) {
    m_notices.push_back(SNotice{WM_SYSCOMMAND, id, 0, 0, 0, -1, -1});
    CScriptedDlg::OnSysCommand(id, lParam);
}

void CProbeDlg::OnEndSession(BOOL ending) {
    m_notices.push_back(SNotice{WM_ENDSESSION, static_cast<UINT>(ending), 0, 0, 0, -1, -1});
    CScriptedDlg::OnEndSession(ending);
}

HCURSOR CProbeDlg::OnQueryDragIcon() {
    return m_dragIcon;
}

int CProbeDlg::Count(UINT message, UINT code, int id) const {
    int count = 0;
    for (const SNotice& notice : m_notices) {
        if (notice.m_message == message && notice.m_code == code && notice.m_id == id)
            ++count;
    }
    return count;
}

HWND CProbeDlg::Item(int id) const {
    HWND hItem = nullptr;
    GetDlgItem(id, &hItem);
    return hItem;
}

// ---------------------------------------------------------------------------

void PostKey(HWND hTarget, UINT virtualKey, UINT scanCode, bool extended) {
    const LPARAM flags = static_cast<LPARAM>(scanCode & 0xFF) << 16 | (extended ? 1 << 24 : 0);
    PostMessageA(hTarget, WM_KEYDOWN, virtualKey, flags | 1);
    PostMessageA(hTarget, WM_KEYUP, virtualKey, flags | 1 | 3L << 30);
}

void PostClick(HWND hTarget, int x, int y, bool right, bool doubleClick) {
    const LPARAM at = MAKELPARAM(x, y);
    const UINT down = right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN;
    const UINT up = right ? WM_RBUTTONUP : WM_LBUTTONUP;
    const WPARAM held = right ? MK_RBUTTON : MK_LBUTTON;
    PostMessageA(hTarget, down, held, at);
    PostMessageA(hTarget, up, 0, at);
    if (doubleClick) {
        PostMessageA(hTarget, right ? WM_RBUTTONDBLCLK : WM_LBUTTONDBLCLK, held, at);
        PostMessageA(hTarget, up, 0, at);
    }
}

POINT RowCentre(HWND hList, int row, bool listBox) {
    RECT rect = {};
    if (listBox) {
        SendMessageA(hList, LB_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&rect));
    } else {
        rect.left = LVIR_BOUNDS;
        SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&rect));
    }
    // Left of the middle: inside the first column, where a row is hit.
    return POINT{rect.left + 10, (rect.top + rect.bottom) / 2};
}

RECT WorkArea() {
    RECT work = {};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool CentredOver(HWND hWnd, const RECT& area) {
    RECT window = {};
    GetWindowRect(hWnd, &window);
    const LONG dx = (window.left + window.right) - (area.left + area.right);
    const LONG dy = (window.top + window.bottom) - (area.top + area.bottom);
    return dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2;
}

std::string ClassOf(HWND hWnd) {
    char name[64] = {};
    GetClassNameA(hWnd, name, sizeof name);
    return name;
}
