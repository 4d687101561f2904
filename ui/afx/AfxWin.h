// SPDX-License-Identifier: MIT
// Kadenzo's dialog toolkit layer: the shape of the Windows dialog framework
// (application object, modal dialogs from templates, data exchange, message
// maps, list view, list box and the simpler controls). It gives the program's
// dialogs what they are written against and nothing more; an implementation
// puts it on a toolkit: Win32 and the common controls on Windows (win32/),
// Qt 6 Widgets elsewhere (qt/).
//
// Windows on the one user-interface thread only. A dialog's window lives for
// exactly one modal run, so the control objects of a dialog are bound to live
// controls only inside DoModal. Each object holds the handle of what it stands
// for (m_hWnd, m_hMenu, m_hDC); what a handle names is the implementation's.
#pragma once

#include "AfxMessageMap.h"
#include "AfxWholeText.h"
#include "DialogTemplates.h"
#include "WinApi.h"
#include "resource.h"

#include <cstdint>
#include <memory>
#include <string>

// The framework's standard help command (F1).
inline constexpr UINT ID_HELP = 0xE146;
// The system-menu command by which dialog programs conventionally open their
// About box; the framework's help opens it when the main window's menu has it.
inline constexpr UINT AFX_IDM_ABOUTBOX = 0x0010;

#ifndef _WIN32
// Windows declares it itself; elsewhere the implementation answers it.
int GetSystemMetrics(int index);
#endif

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

// ---------------------------------------------------------------------------
// Windows and controls.

class CDialog;

class CMenu {
public:
    CMenu() = default;
    CMenu(const CMenu&) = delete;
    CMenu& operator=(const CMenu&) = delete;

    // MF_SEPARATOR, or MF_STRING with a command id and a text in menu notation.
    BOOL AppendMenu(UINT flags, UINT_PTR id = 0, const char* text = nullptr);
    int GetMenuItemCount() const;
    // The command id of an item; 0 for a separator, -1 past the end.
    UINT GetMenuItemID(int position) const;
    std::string GetMenuString(int position) const;

    void Attach(HMENU hMenu) { m_hMenu = hMenu; }

    HMENU m_hMenu = nullptr;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override = default;

    // Sends a message through the message map; what no entry takes goes to the
    // default processing (DefWindowProc).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The handle the platform knows the window by (the window handle on
    // Windows, the X11 window id under Qt on Linux, where a control's names it
    // to the layer alone). Null when there is none.
    HWND GetSafeHwnd() const;
    int GetDlgCtrlID() const { return m_id; }
    BOOL IsWindowEnabled() const;
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsIconic() const;
    void GetClientRect(CRect* pRect) const;
    void SetWindowText(const std::string& text);
    std::string GetWindowText() const;
    HICON SetIcon(HICON icon, BOOL bigIcon);
    void SetFocus();
    BOOL HasFocus() const;
    void Invalidate();
    void UpdateWindow();

    // The layer binds a control object to the control made from its template item.
    virtual void Attach(HWND hWnd, int id) {
        m_hWnd = hWnd;
        m_id = id;
    }
    virtual void Detach() { m_hWnd = nullptr; }

    // The window or control of the implementation this object stands for.
    HWND m_hWnd = nullptr;

protected:
    // Default processing of the window messages the program handles.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnEndSession(BOOL ending);

    int m_id = 0;
    HICON m_bigIcon = nullptr;
    HICON m_smallIcon = nullptr;
};

class CStatic : public CWnd {};

class CButton : public CWnd {};

class CEdit : public CWnd {
public:
    void SetSel(int start, int end);
};

// A list view: report view with column headers, icon view or list view,
// chosen by the template's LVS_ styles. Texts are the program's 8-bit texts;
// an item shows at most kAfxMaxShownText bytes of its text, and GetItemText
// gives back the whole text it was given.
class CListCtrl : public CWnd {
public:
    void Detach() override {
        m_wholeTexts.Clear();
        CWnd::Detach();
    }

    int InsertColumn(int column, const std::string& heading, int format = LVCFMT_LEFT,
                     int width = -1);
    int DeleteAllItems();
    // Inserts at item (clamped to the end); returns the new row, or -1.
    int InsertItem(int item, const std::string& text);
    int SetItemText(int item, int subItem, const std::string& text);
    std::string GetItemText(int item, int subItem) const;
    int GetItemCount() const;
    // The first row after `start` (-1: from the top) in the state asked for.
    int GetNextItem(int start, UINT flags) const;
    BOOL SetItemState(int item, UINT state, UINT mask);

private:
    CAfxWholeTexts m_wholeTexts;
};

// A list box that never sorts: entry i stays where the program put it. Only
// the user's changes of the selection are reported (LBN_SELCHANGE). An entry
// shows at most kAfxMaxShownText bytes of its text; GetText gives it whole.
class CListBox : public CWnd {
public:
    void Detach() override {
        m_wholeTexts.Clear();
        CWnd::Detach();
    }

    int GetCount() const;
    // Inserts at index (-1: at the end); returns the index, or LB_ERR.
    int InsertString(int index, const std::string& text);
    int AddString(const std::string& text) { return InsertString(-1, text); }
    // Returns the number of entries left, or LB_ERR.
    int DeleteString(int index);
    void ResetContent();
    int GetText(int index, std::string& text) const;
    int GetCurSel() const;
    // Selects an entry and scrolls it into view; -1 clears the selection.
    // Returns LB_ERR for -1 or an index out of range, as Windows does.
    int SetCurSel(int index);
    int GetCaretIndex() const;
    // Makes index the focused entry without selecting it; with scroll, scrolls
    // until it is at least partly visible.
    int SetCaretIndex(int index, BOOL scroll = TRUE);

private:
    CAfxWholeTexts m_wholeTexts;
};

// ---------------------------------------------------------------------------
// Data exchange.

class CDataExchange {
public:
    CDataExchange(CDialog* pDialog, BOOL saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(pDialog) {}
    BOOL m_bSaveAndValidate;
    CDialog* m_pDlgWnd;
};

// Binds a control object to the dialog's control with that id (once per run).
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
// Moves a text between a member and a static text or an edit box. A box shows
// at most kAfxMaxShownText bytes of the text; read back while it still shows
// them unchanged, it gives the whole text, and once edited, the text as typed.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

// ---------------------------------------------------------------------------
// Painting.

class CDC {
public:
    HDC GetSafeHdc() const { return m_hDC; }
    BOOL DrawIcon(int x, int y, HICON icon);

    // Null when there is nothing to paint on.
    HDC m_hDC = nullptr;

protected:
    CDC() = default;
};

// Valid inside a WM_PAINT handler only, as on Windows.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;
};

// ---------------------------------------------------------------------------
// Modal dialogs.

class CDialogWindow; // the implementation's window of one modal run
// Destroys a run's window, the implementation's way.
struct SDialogWindowDeleter {
    void operator()(CDialogWindow* pWindow) const;
};

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* pParent = nullptr);
    // A dialog from a template the caller keeps alive (tests, tools).
    explicit CDialog(const SDialogTemplate* pTemplate, CWnd* pParent = nullptr);
    ~CDialog() override;

    // Runs the dialog: builds its window from the template, initialises it, shows
    // it centred over its owner and returns the value EndDialog was given
    // (IDOK, IDCANCEL), or -1 when the window could not be made.
    virtual INT_PTR DoModal();
    void EndDialog(int result);
    BOOL UpdateData(BOOL saveAndValidate = TRUE);
    // Dialog units to pixels, from the dialog font's metrics.
    void MapDialogRect(CRect* pRect) const;
    // The window's system menu (on Linux a menu standing in for it: Minimize,
    // Close); null when the template has no system menu or no window exists.
    CMenu* GetSystemMenu(BOOL revert);
    // The handle of the control with that id, null when there is none.
    void GetDlgItem(int id, HWND* phWnd) const;
    const SDialogTemplate* GetTemplate() const { return m_pTemplate; }
    // The dialog's modal run in progress, for the layer's window.
    BOOL IsRunning() const { return m_pWindow != nullptr; }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // F1, pressed in the control with that id (0: in the window itself). A
    // list view that is no report (a key box) hears every key as a key to
    // report, F1 included; anywhere else F1 is the dialog's help command, and
    // without a handler of its own the application's.
    void OnHelpKey(int fromId);

    // Ends every dialog that is open, the topmost first, each as with Cancel.
    static void CancelAllModal();
    // The topmost dialog in a modal run, or null.
    static CDialog* GetActiveModal();

protected:
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange(CDataExchange* pDX);

    static const SMessageMap* GetThisMessageMap();
    const SMessageMap* GetMessageMap() const override;

private:
    friend class CDialogWindow;
    friend void DDX_Control(CDataExchange* pDX, int id, CWnd& control);
    static constexpr int kMaxBound = 32;

    // The run's window exists: binds the dialog to it and initialises the
    // dialog; returns what OnInitDialog returned.
    BOOL BeginRun(HWND hWnd, HMENU hSysMenu);
    void DestroyWindow();
    // The window was destroyed from outside: the dialog ends as with Cancel,
    // after those above it; the one beneath all ends every dialog, as
    // CancelAllModal does, so that the program ends.
    void CancelAsGone();
    // Ends the dialogs in a modal run from the topmost down to the one at
    // depth (0: the one beneath all), each as with Cancel.
    static void CancelRunsDownTo(int depth);

    const SDialogTemplate* m_pTemplate;
    CWnd* m_pParentWnd;
    std::unique_ptr<CDialogWindow, SDialogWindowDeleter> m_pWindow;
    CMenu m_sysMenu;
    CWnd* m_bound[kMaxBound] = {};
    int m_boundCount = 0;
    int m_result = -1;
    BOOL m_ended = FALSE;
    CDialog* m_pBelow = nullptr;
};

// ---------------------------------------------------------------------------
// The application.

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(const char* appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance();
    virtual int ExitInstance();

    HICON LoadIcon(UINT id);
    // The three-dimensional look for dialog controls: the toolkit's style already
    // draws it, so there is nothing to switch on.
    BOOL Enable3dControlsStatic() { return TRUE; }

    CWnd* m_pMainWnd = nullptr;

    // The framework's help handler: opens the About entry of the main window's
    // system menu, when it has one and no dialog is open above it.
    void OnHelp();

    DECLARE_MESSAGE_MAP()

private:
    // Releases what LoadIcon made.
    void DestroyIcons();

    static constexpr int kMaxIcons = 4;
    HICON m_icons[kMaxIcons] = {};
    UINT m_iconIds[kMaxIcons] = {};
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// The program's entry: sets up the toolkit, the handling of SIGINT, SIGTERM and
// SIGHUP (on Windows the console's Ctrl+C and close; each ends every open
// dialog as with Cancel), of a dialog window destroyed from outside (the
// dialog ends as with Cancel, after those above it) and of the desktop
// session's request to save (WM_ENDSESSION to the main window), then runs the
// application object's InitInstance.
int AfxWinMain(int argc, char** argv);

// Sets up the same signal handling for a toolkit application the caller made
// (tests).
// Returns 1 on success.
int AfxInstallTerminationHandler();

#ifndef _WIN32
// A message box's buttons, icon and answers, as Windows numbers them.
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_RETRYCANCEL = 0x5;
inline constexpr UINT MB_ICONWARNING = 0x30;
inline constexpr int IDRETRY = 4;
#endif

// Shows a message box that belongs to no window (the program's own may be gone
// already): text, caption, and the buttons type names (MB_OK or MB_RETRYCANCEL,
// with MB_ICONWARNING or not). Returns the button pressed (IDOK, IDRETRY or
// IDCANCEL; closing the box counts as Cancel, or OK where it has only OK), or
// 0 when no box can be shown: there is no display, or the program has been
// told to end (a termination signal).
int AfxMessageBox(const char* text, const char* caption, UINT type);
