// SPDX-License-Identifier: MIT
// The window of a modal run: the template it is built from, and its window
// procedure, through which every message of the dialog window goes to the
// dialog's message map, and what no entry takes to the dialog manager.
#include "AfxDialogWindow.h"

namespace {

// The predefined control classes, by the atoms a template names them with.
constexpr WORD kButtonAtom = 0x0080;
constexpr WORD kEditAtom = 0x0081;
constexpr WORD kStaticAtom = 0x0082;
constexpr WORD kListBoxAtom = 0x0083;

class CTemplateWriter {
public:
    void Word(WORD value) { m_words.push_back(value); }
    void Dword(DWORD value) {
        Word(LOWORD(value));
        Word(HIWORD(value));
    }
    void Short(int value) { Word(static_cast<WORD>(static_cast<int16_t>(value))); }
    // A text in the system's code page, stored as UTF-16 with its NUL.
    void Text(const char* text) {
        const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
        const size_t start = m_words.size();
        m_words.resize(start + static_cast<size_t>(length > 0 ? length : 1), 0);
        if (length > 0) {
            MultiByteToWideChar(CP_ACP, 0, text, -1, reinterpret_cast<wchar_t*>(&m_words[start]),
                                length);
        }
    }
    void Ordinal(WORD value) {
        Word(0xFFFF);
        Word(value);
    }
    void AlignDword() {
        if (m_words.size() % 2 != 0)
            Word(0);
    }
    std::vector<WORD> Take() { return std::move(m_words); }

private:
    std::vector<WORD> m_words;
};

void WriteItem(CTemplateWriter& out, const SDialogItem& item) {
    out.AlignDword();
    out.Dword(0); // help id
    out.Dword(item.m_exStyle);
    DWORD style = WS_CHILD | WS_VISIBLE | item.m_style;
    if (item.m_kind == EControlKind::Icon)
        style |= SS_ICON;
    out.Dword(style);
    out.Short(item.m_x);
    out.Short(item.m_y);
    out.Short(item.m_cx);
    out.Short(item.m_cy);
    out.Dword(static_cast<DWORD>(item.m_id));
    switch (item.m_kind) {
    case EControlKind::Static:
    case EControlKind::Icon:
        out.Ordinal(kStaticAtom);
        break;
    case EControlKind::PushButton:
        out.Ordinal(kButtonAtom);
        break;
    case EControlKind::Edit:
        out.Ordinal(kEditAtom);
        break;
    case EControlKind::ListBox:
        out.Ordinal(kListBoxAtom);
        break;
    case EControlKind::ListView:
        out.Text(WC_LISTVIEWA);
        break;
    }
    // An icon control names its icon resource by number.
    if (item.m_kind == EControlKind::Icon)
        out.Ordinal(static_cast<WORD>(item.m_imageId));
    else
        out.Text(item.m_text);
    out.Word(0); // no creation data
}

// The run a dialog window belongs to hangs on the window by this name.
const char kRunProperty[] = "Kadenzo.AfxRun";
} // namespace

std::vector<WORD> AfxBuildDialogTemplate(const SDialogTemplate& dialogTemplate) {
    CTemplateWriter out;
    out.Word(1);      // version
    out.Word(0xFFFF); // the extended template's signature
    out.Dword(0);     // help id
    out.Dword(dialogTemplate.m_exStyle);
    out.Dword(dialogTemplate.m_style | DS_SETFONT);
    out.Word(static_cast<WORD>(dialogTemplate.m_itemCount));
    out.Short(0);
    out.Short(0);
    out.Short(dialogTemplate.m_cx);
    out.Short(dialogTemplate.m_cy);
    out.Word(0); // no menu
    out.Word(0); // the dialog class
    out.Text(dialogTemplate.m_title);
    out.Word(static_cast<WORD>(dialogTemplate.m_pointSize));
    out.Word(FW_NORMAL);
    out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET)); // not italic; the charset
    out.Text(dialogTemplate.m_fontName);
    for (int i = 0; i < dialogTemplate.m_itemCount; ++i)
        WriteItem(out, dialogTemplate.m_pItems[i]);
    return out.Take();
}

CDialogWindow::~CDialogWindow() = default;

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
    WatchListViewKeys();
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

void CDialog::GetDlgItem(int id, HWND* phWnd) const {
    // Many controls share IDC_STATIC: it names none of them.
    *phWnd = (m_hWnd && id != IDC_STATIC) ? ::GetDlgItem(m_hWnd, id) : nullptr;
}
