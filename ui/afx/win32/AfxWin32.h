// SPDX-License-Identifier: MIT
// The Win32 implementation's side of the layer. A dialog's modal run is the
// dialog manager's own (DialogBoxParamA over the template in the resources);
// CDialogWindow is what the layer keeps for that run: the window procedure
// that sends the dialog's messages through its message map, the flags of the
// key messages its list views received, and the whole texts of what its
// static texts and edit boxes show cut. Texts cross as bytes in the system's
// code page through the ANSI functions. Internal to the implementation.
#pragma once

#include "AfxBackEnd.h"

#include <string>
#include <vector>

class CDialogWindow {
public:
    explicit CDialogWindow(CDialog* pDialog) : m_pDialog(pDialog) {}
    ~CDialogWindow();
    CDialogWindow(const CDialogWindow&) = delete;
    CDialogWindow& operator=(const CDialogWindow&) = delete;

    // The modal run of a dialog, owned by pOwner's window (none when null):
    // the dialog manager's modal loop over the template.
    static void RunModal(CDialog& dialog, CWnd* pOwner);
    HWND Handle() const { return m_hWnd; }

    // The run of a dialog window, or of the dialog a control belongs to; null
    // for windows that are not the layer's.
    static CDialogWindow* FromHandle(HWND hWnd);
    static CDialogWindow* OfControl(HWND hControl);

    // The dialog window's default processing: the dialog manager's own.
    LRESULT CallDefault(UINT message, WPARAM wParam, LPARAM lParam);

    // The whole text behind a static text or edit box whose text shows cut;
    // null when the control shows all of it.
    const CAfxEditText* KeptText(HWND hControl) const;
    // The part of text the control is to show; keeps the whole when it is cut.
    std::string KeepText(HWND hControl, const std::string& text);

    // Puts the flags word of the key message a list view received into its
    // key-down notification.
    void RecordKey(HWND hListView, WPARAM virtualKey, LPARAM lParam);
    void ForgetKey(HWND hListView);

private:
    static constexpr int kMaxListViews = 8;
    struct SKeyRecord {
        HWND m_hWnd = nullptr;
        WPARAM m_virtualKey = 0;
        UINT m_flags = 0;
        bool m_pending = false;
    };
    struct SKeptText {
        HWND m_hWnd;
        CAfxEditText m_text;
    };

    static INT_PTR CALLBACK DialogProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
    BOOL Initialise(HWND hWnd);
    // Takes the dialog window's messages, and the key messages of its list views.
    void Subclass(HWND hWnd);
    void WatchListViewKeys();
    void Centre();
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DispatchKeyDown(WPARAM wParam, LPARAM lParam);

    CDialog* m_pDialog;
    HWND m_hWnd = nullptr;
    WNDPROC m_pfnSuper = nullptr;
    bool m_live = false;
    std::vector<WORD> m_memoryTemplate;
    SKeyRecord m_keys[kMaxListViews];
    std::vector<SKeptText> m_keptTexts;
};

// A dialog template in memory, as the resource compiler would have stored it
// (DLGTEMPLATEEX), for dialogs made from templates the caller keeps.
std::vector<WORD> AfxBuildDialogTemplate(const SDialogTemplate& dialogTemplate);

// The window of the run beneath all others, for the console's events, which
// arrive on a thread of their own: set by the run that has none beneath it,
// cleared when that window goes.
void AfxSetBottomWindow(HWND hWnd);
void AfxForgetBottomWindow(HWND hWnd);

// Text of any length through a Get...TextA call that takes a buffer size and
// returns the length copied.
template <typename FGetText> std::string AfxReadText(int length, FGetText getText) {
    if (length <= 0)
        return std::string();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const int copied = getText(text.data(), length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}
