// SPDX-License-Identifier: MIT
// A dialog's modal run on Win32: the stack of runs, each run the dialog
// manager's own, and the data exchange with the controls' texts.
#include "AfxWin32.h"

#include <algorithm>
#include <atomic>

namespace {

// The dialogs in a modal run, the one beneath first. Runs nest; this deep is
// far beyond anything the program opens.
constexpr int kMaxModalDepth = 16;
CDialog* s_modalStack[kMaxModalDepth] = {};
int s_modalDepth = 0;
// Set once the program is being ended from outside: no new dialog opens.
bool s_endingAll = false;
// The window of the run beneath all others, for the termination handler,
// which runs on a thread of its own.
std::atomic<HWND> s_bottomWindow{nullptr};

// The common controls' window classes, registered once before the first run.
void InitControls() {
    static bool s_done = false;
    if (s_done)
        return;
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof controls;
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
    s_done = InitCommonControlsEx(&controls) != FALSE;
}

// Console events (Ctrl+C, the console closing) arrive on a thread of their
// own: they close the bottom window, which the user-interface thread then
// takes as the end of every open dialog.
BOOL WINAPI OnConsoleEvent(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    HWND hWnd = s_bottomWindow.load();
    if (!hWnd)
        return FALSE;
    PostMessageA(hWnd, WM_CLOSE, 0, 0);
    return TRUE;
}

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
    // A menu runs a loop of its own that must end first.
    EndMenu();
    for (int i = s_modalDepth - 1; i >= 0; --i) {
        CDialog* pDialog = s_modalStack[i];
        if (pDialog->m_pWindow && !pDialog->m_ended)
            pDialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
}

INT_PTR CDialog::DoModal() {
    if (!m_pTemplate || m_pWindow || s_endingAll || s_modalDepth >= kMaxModalDepth)
        return -1;
    InitControls();

    // Owned by the window open beneath it, which takes no input until the
    // run ends; the dialog manager disables and enables it.
    m_pBelow = m_pParentWnd ? dynamic_cast<CDialog*>(m_pParentWnd) : GetActiveModal();
    HWND hOwner = nullptr;
    if (m_pBelow)
        hOwner = m_pBelow->m_hWnd;
    else if (m_pParentWnd)
        hOwner = m_pParentWnd->m_hWnd;
    m_pWindow = std::make_unique<CDialogWindow>(this);
    m_result = -1;
    m_ended = FALSE;
    s_modalStack[s_modalDepth++] = this;
    m_pWindow->Run(hOwner);
    --s_modalDepth;
    if (s_modalDepth == 0)
        s_endingAll = false;
    DestroyWindow();
    // A run that never began (no template in the resources, no window made)
    // ended nowhere: that is the failure value.
    return m_ended ? m_result : -1;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = TRUE;
    if (m_pWindow && m_hWnd)
        ::EndDialog(m_hWnd, result);
}

void CDialog::DestroyWindow() {
    if (!m_pWindow)
        return;
    for (int i = 0; i < m_boundCount; ++i)
        m_bound[i]->Detach();
    m_boundCount = 0;
    m_sysMenu.Attach(nullptr);
    if (s_bottomWindow.load() == m_hWnd)
        s_bottomWindow.store(nullptr);
    m_pWindow.reset();
    m_hWnd = nullptr;
}

void CDialog::MapDialogRect(CRect* pRect) const {
    if (!m_hWnd)
        return;
    RECT rect = {pRect->left, pRect->top, pRect->right, pRect->bottom};
    ::MapDialogRect(m_hWnd, &rect);
    *pRect = CRect{rect.left, rect.top, rect.right, rect.bottom};
}

void CDialog::GetDlgItem(int id, HWND* phWnd) const {
    // Many controls share IDC_STATIC: it names none of them.
    *phWnd = (m_hWnd && id != IDC_STATIC) ? ::GetDlgItem(m_hWnd, id) : nullptr;
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

// ---------------------------------------------------------------------------
// The run's window, as the dialog manager makes it.

CDialogWindow::~CDialogWindow() = default;

INT_PTR CDialogWindow::Run(HWND hOwner) {
    HINSTANCE hInstance = GetModuleHandleA(nullptr);
    const SDialogTemplate& data = *m_pDialog->m_pTemplate;
    // The program's own templates come from the resources, as the resource
    // compiler stored them; any other is stored the same way in memory.
    if (FindDialogTemplate(data.m_id) == &data) {
        return DialogBoxParamA(hInstance, MAKEINTRESOURCEA(data.m_id), hOwner, &DialogProc,
                               reinterpret_cast<LPARAM>(this));
    }
    m_memoryTemplate = AfxBuildDialogTemplate(data);
    return DialogBoxIndirectParamA(hInstance,
                                   reinterpret_cast<LPCDLGTEMPLATEA>(m_memoryTemplate.data()),
                                   hOwner, &DialogProc, reinterpret_cast<LPARAM>(this));
}

INT_PTR CALLBACK CDialogWindow::DialogProc(HWND hWnd, UINT message, WPARAM, LPARAM lParam) {
    // Everything else reaches the dialog through WindowProc; what comes here
    // is what the dialog manager does by default.
    if (message != WM_INITDIALOG)
        return FALSE;
    return reinterpret_cast<CDialogWindow*>(lParam)->Initialise(hWnd);
}

BOOL CDialogWindow::Initialise(HWND hWnd) {
    Subclass(hWnd);
    m_pDialog->m_hWnd = hWnd;
    m_pDialog->m_sysMenu.Attach(::GetSystemMenu(hWnd, FALSE));
    if (!s_bottomWindow.load())
        s_bottomWindow.store(hWnd);

    RECT before = {};
    GetWindowRect(hWnd, &before);
    const BOOL focusFirst = m_pDialog->OnInitDialog();
    RECT after = {};
    GetWindowRect(hWnd, &after);
    // A dialog its initialisation placed itself stays where it was put.
    if (!m_pDialog->m_ended && EqualRect(&before, &after))
        Centre();
    // The dialog manager shows the window now, and with TRUE puts the focus
    // on the first tab stop.
    return focusFirst;
}

void CDialogWindow::Centre() {
    RECT window = {};
    GetWindowRect(m_hWnd, &window);
    HWND hOwner = GetWindow(m_hWnd, GW_OWNER);
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoA(MonitorFromWindow(hOwner ? hOwner : m_hWnd, MONITOR_DEFAULTTOPRIMARY),
                    &monitor);
    const RECT work = monitor.rcWork;
    // Over the owner's window, or in the work area when there is none.
    RECT area = work;
    if (hOwner && !IsIconic(hOwner))
        GetWindowRect(hOwner, &area);
    const LONG width = window.right - window.left;
    const LONG height = window.bottom - window.top;
    LONG x = (area.left + area.right - width) / 2;
    LONG y = (area.top + area.bottom - height) / 2;
    // Never beyond the work area, and the caption always on it.
    x = std::max(work.left, std::min(x, work.right - width));
    y = std::max(work.top, std::min(y, work.bottom - height));
    SetWindowPos(m_hWnd, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int AfxInstallTerminationHandler() {
    return SetConsoleCtrlHandler(&OnConsoleEvent, TRUE) ? 1 : 0;
}
