// SPDX-License-Identifier: MIT
// The window procedure of a modal run: every message of the dialog window
// goes through the dialog's message map, and what no entry takes to the
// dialog manager. The list views are watched for the flags of their keys.
#include "AfxWin32.h"

#include <cstring>

namespace {

// The run a dialog window belongs to hangs on the window by this name.
const char kRunProperty[] = "Kadenzo.AfxRun";
constexpr UINT_PTR kKeySubclassId = 1;

// A list view reports a key-down with the key's virtual-key code, but the
// flags word in its notification is not the key message's (Wine puts 0 there,
// and current Windows documents it as always 0). The key message it was
// handed carries it: recorded here, put into the notification by Dispatch.
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

CDialogWindow* CDialogWindow::FromHandle(HWND hWnd) {
    return hWnd ? static_cast<CDialogWindow*>(GetPropA(hWnd, kRunProperty)) : nullptr;
}

CDialogWindow* CDialogWindow::OfControl(HWND hControl) {
    // The parent proper: GetParent would give a popup's owner.
    return hControl ? FromHandle(GetAncestor(hControl, GA_PARENT)) : nullptr;
}

void CDialogWindow::Subclass(HWND hWnd) {
    m_hWnd = hWnd;
    SetPropA(hWnd, kRunProperty, this);
    m_pfnSuper = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc)));
    m_live = true;
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

LRESULT CDialogWindow::CallDefault(UINT message, WPARAM wParam, LPARAM lParam) {
    if (!m_pfnSuper || !m_hWnd)
        return 0;
    return CallWindowProcA(m_pfnSuper, m_hWnd, message, wParam, lParam);
}

LRESULT CALLBACK CDialogWindow::WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam) {
    CDialogWindow* pSelf = FromHandle(hWnd);
    if (!pSelf)
        return ::DefWindowProcA(hWnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // The last message: the window goes back to the dialog manager alone.
        const WNDPROC pfnSuper = pSelf->m_pfnSuper;
        SetWindowLongPtrA(hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(pfnSuper));
        RemovePropA(hWnd, kRunProperty);
        pSelf->m_live = false;
        pSelf->m_pfnSuper = nullptr;
        return CallWindowProcA(pfnSuper, hWnd, message, wParam, lParam);
    }
    if (message == WM_DESTROY)
        pSelf->m_live = false;
    // Once the run has ended nothing of the program's runs: the focus leaving
    // the controls of a window that goes is no news to its handlers.
    if (!pSelf->m_live || pSelf->m_pDialog->m_ended)
        return pSelf->CallDefault(message, wParam, lParam);
    return pSelf->Dispatch(message, wParam, lParam);
}

LRESULT CDialogWindow::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_NOTIFY:
        if (lParam && reinterpret_cast<const NMHDR*>(lParam)->code == LVN_KEYDOWN)
            return DispatchKeyDown(wParam, lParam);
        break;
    case WM_HELP: {
        // F1, passed up from the control with the focus.
        const auto* pInfo = reinterpret_cast<const HELPINFO*>(lParam);
        const HWND hFrom = (pInfo && pInfo->iContextType == HELPINFO_WINDOW)
                               ? static_cast<HWND>(pInfo->hItemHandle)
                               : nullptr;
        m_pDialog->OnHelpKey(hFrom && hFrom != m_hWnd ? GetDlgCtrlID(hFrom) : 0);
        return TRUE;
    }
    case WM_CLOSE:
        // Closed from outside while dialogs are open above it (the console's
        // Ctrl+C, a task manager): every open dialog ends as with Cancel.
        if (CDialog::GetActiveModal() != m_pDialog) {
            CDialog::CancelAllModal();
            return 0;
        }
        break;
    default:
        break;
    }
    return m_pDialog->SendMessage(message, wParam, lParam);
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

const CAfxEditText* CDialogWindow::KeptText(HWND hControl) const {
    for (const SKeptText& kept : m_keptTexts) {
        if (kept.m_hWnd == hControl)
            return &kept.m_text;
    }
    return nullptr;
}

std::string CDialogWindow::KeepText(HWND hControl, const std::string& text) {
    CAfxEditText edit;
    std::string shown = edit.Show(text);
    const bool cut = shown.size() != text.size();
    for (size_t i = 0; i < m_keptTexts.size(); ++i) {
        if (m_keptTexts[i].m_hWnd != hControl)
            continue;
        if (cut) {
            m_keptTexts[i].m_text = std::move(edit);
        } else {
            m_keptTexts[i] = std::move(m_keptTexts.back());
            m_keptTexts.pop_back();
        }
        return shown;
    }
    if (cut)
        m_keptTexts.push_back(SKeptText{hControl, std::move(edit)});
    return shown;
}

SItemTexts* CDialogWindow::NewItemTexts() {
    m_itemTexts.push_back(std::make_unique<SItemTexts>());
    return m_itemTexts.back().get();
}

void CDialogWindow::ReleaseItemTexts(SItemTexts* pTexts) {
    for (size_t i = 0; i < m_itemTexts.size(); ++i) {
        if (m_itemTexts[i].get() == pTexts) {
            m_itemTexts[i] = std::move(m_itemTexts.back());
            m_itemTexts.pop_back();
            return;
        }
    }
}
