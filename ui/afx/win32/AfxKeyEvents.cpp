// SPDX-License-Identifier: MIT
// The key messages of the list views. A list view reports a key-down with the
// key's virtual-key code, but the flags word in its notification is not the
// key message's (Wine puts 0 there, and current Windows documents it as
// always 0). The key message it was handed carries it: recorded here, put
// into the notification on its way to the dialog.
#include "AfxDialogWindow.h"

#include <cstring>

namespace {

constexpr UINT_PTR kKeySubclassId = 1;

LRESULT CALLBACK ListViewProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam,
                              UINT_PTR idSubclass, DWORD_PTR refData) {
    auto* pWindow = reinterpret_cast<CDialogWindow*>(refData);
    switch (message) {
    case WM_KEYDOWN: {
        pWindow->RecordKey(hWnd, wParam, lParam);
        const LRESULT result = DefSubclassProc(hWnd, message, wParam, lParam);
        pWindow->ForgetKey(hWnd);
        return result;
    }
    case WM_NCDESTROY:
        RemoveWindowSubclass(hWnd, &ListViewProc, idSubclass);
        break;
    default:
        break;
    }
    return DefSubclassProc(hWnd, message, wParam, lParam);
}

bool IsListView(HWND hWnd) {
    char className[32] = {};
    GetClassNameA(hWnd, className, sizeof className);
    return lstrcmpiA(className, WC_LISTVIEWA) == 0;
}

} // namespace

void CDialogWindow::WatchListViewKeys() {
    int count = 0;
    for (HWND hChild = GetWindow(m_hWnd, GW_CHILD); hChild && count < kMaxListViews;
         hChild = GetWindow(hChild, GW_HWNDNEXT)) {
        if (!IsListView(hChild))
            continue;
        if (SetWindowSubclass(hChild, &ListViewProc, kKeySubclassId,
                              reinterpret_cast<DWORD_PTR>(this)))
            m_keys[count++].m_hWnd = hChild;
    }
}

void CDialogWindow::RecordKey(HWND hListView, WPARAM virtualKey, LPARAM lParam) {
    for (SKeyRecord& record : m_keys) {
        if (record.m_hWnd == hListView) {
            record.m_virtualKey = virtualKey;
            record.m_flags = HIWORD(lParam);
            record.m_pending = true;
        }
    }
}

void CDialogWindow::ForgetKey(HWND hListView) {
    for (SKeyRecord& record : m_keys) {
        if (record.m_hWnd == hListView)
            record.m_pending = false;
    }
}

LRESULT CDialogWindow::DispatchKeyDown(WPARAM wParam, LPARAM lParam) {
    // A copy: the list view's own notification stays as it sent it.
    NMLVKEYDOWN keyDown;
    std::memcpy(&keyDown, reinterpret_cast<const void*>(lParam), sizeof keyDown);
    const HWND hFrom = keyDown.hdr.hwndFrom;
    const WORD virtualKey = keyDown.wVKey;
    for (const SKeyRecord& record : m_keys) {
        if (record.m_hWnd == hFrom && record.m_pending && record.m_virtualKey == virtualKey)
            keyDown.flags = record.m_flags;
    }
    return m_pDialog->SendMessage(WM_NOTIFY, wParam, reinterpret_cast<LPARAM>(&keyDown));
}
