// SPDX-License-Identifier: MIT
// The Win32 window of one modal run of a CDialog. The run is the dialog
// manager's own (DialogBoxParamA over the template in the resources);
// CDialogWindow is what the layer keeps for it: the window procedure that
// sends the dialog's messages through its message map, the flags of the key
// messages its list views received, and the whole texts of what its static
// texts and edit boxes show cut. Internal to the implementation.
#pragma once

#include "AfxToolkit.h"

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
