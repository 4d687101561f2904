// SPDX-License-Identifier: MIT
// A dialog's modal run on Win32: the dialog manager's own, over the template
// in the resources or one stored in memory, centred over its owner once the
// dialog is initialised.
#include "AfxDialogWindow.h"

#include <algorithm>

BOOL AfxToolkitReady() {
    // The common controls' window classes, registered once before the first run.
    static BOOL s_done = FALSE;
    if (!s_done) {
        INITCOMMONCONTROLSEX controls = {};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES;
        s_done = InitCommonControlsEx(&controls);
    }
    // A run goes ahead without them: its template then makes no window.
    return TRUE;
}

void AfxRunModal(CDialog& dialog, CWnd* pOwner) {
    CDialogWindow::RunModal(dialog, pOwner);
}

void AfxEndRun(CDialogWindow& window, int result) {
    if (window.Handle())
        ::EndDialog(window.Handle(), result);
}

void SDialogWindowDeleter::operator()(CDialogWindow* pWindow) const {
    AfxForgetBottomWindow(pWindow->Handle());
    delete pWindow;
}

void AfxCloseMenus() {
    EndMenu();
}

void CDialogWindow::RunModal(CDialog& dialog, CWnd* pOwner) {
    dialog.m_pWindow.reset(new CDialogWindow(&dialog));
    // The owner takes no input until the run ends; the dialog manager
    // disables and enables it.
    const HWND hOwner = pOwner ? pOwner->m_hWnd : nullptr;
    HINSTANCE hInstance = GetModuleHandleA(nullptr);
    const SDialogTemplate& data = *dialog.m_pTemplate;
    CDialogWindow* pSelf = dialog.m_pWindow.get();
    // The program's own templates come from the resources, as the resource
    // compiler stored them; any other is stored the same way in memory.
    if (FindDialogTemplate(data.m_id) == &data) {
        DialogBoxParamA(hInstance, MAKEINTRESOURCEA(data.m_id), hOwner, &DialogProc,
                        reinterpret_cast<LPARAM>(pSelf));
        return;
    }
    pSelf->m_memoryTemplate = AfxBuildDialogTemplate(data);
    DialogBoxIndirectParamA(hInstance,
                            reinterpret_cast<LPCDLGTEMPLATEA>(pSelf->m_memoryTemplate.data()),
                            hOwner, &DialogProc, reinterpret_cast<LPARAM>(pSelf));
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
    AfxSetBottomWindow(hWnd);

    RECT before = {};
    GetWindowRect(hWnd, &before);
    const BOOL focusFirst = m_pDialog->BeginRun(hWnd, ::GetSystemMenu(hWnd, FALSE));
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
