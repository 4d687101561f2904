// SPDX-License-Identifier: MIT
// Kadenzo's dialog toolkit layer: the shape of the Windows dialog framework
// (application object, modal dialogs from templates, data exchange, message
// maps, list view, list box and the simpler controls) over Qt 6 Widgets. It
// gives the program's dialogs what they are written against and nothing more.
//
// Windows on the one user-interface thread only. Qt objects made here belong
// to the dialog window that holds them; a dialog's window lives for exactly one
// modal run, so the control objects of a dialog are bound to live widgets only
// inside DoModal.
#pragma once

#include "AfxKeys.h"
#include "DialogTemplates.h"
#include "KeyList.h"
#include "resource.h"

#include <cstdint>
#include <memory>
#include <string>

class QEventLoop;
class QWidget;
class QMenu;
class QPainter;

// ---------------------------------------------------------------------------
// Basic types and values, as the Windows headers name them.

using BOOL = int;
inline constexpr BOOL TRUE = 1;
inline constexpr BOOL FALSE = 0;
using UINT = unsigned int;
using WORD = uint16_t;
using INT_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using HWND = void*;

struct SIconImage; // a loaded icon, owned by the application object
using HICON = const SIconImage*;
using HCURSOR = HICON;
class CDC;
using HDC = CDC*;

// Window messages.
inline constexpr UINT WM_PAINT = 0x000F;
inline constexpr UINT WM_CLOSE = 0x0010;
inline constexpr UINT WM_ENDSESSION = 0x0016;
inline constexpr UINT WM_ICONERASEBKGND = 0x0027;
inline constexpr UINT WM_QUERYDRAGICON = 0x0037;
inline constexpr UINT WM_NOTIFY = 0x004E;
inline constexpr UINT WM_SETICON = 0x0080;
inline constexpr UINT WM_KEYDOWN = 0x0100;
inline constexpr UINT WM_INITDIALOG = 0x0110;
inline constexpr UINT WM_COMMAND = 0x0111;
inline constexpr UINT WM_SYSCOMMAND = 0x0112;

inline constexpr WPARAM ICON_SMALL = 0;
inline constexpr WPARAM ICON_BIG = 1;

// System commands (WM_SYSCOMMAND); the low four bits are the system's own.
inline constexpr UINT SC_MINIMIZE = 0xF020;
inline constexpr UINT SC_CLOSE = 0xF060;
inline constexpr UINT SC_KEYMENU = 0xF100;
inline constexpr UINT SC_RESTORE = 0xF120;

// Control notifications.
inline constexpr UINT NM_DBLCLK = static_cast<UINT>(-3);
inline constexpr UINT NM_RCLICK = static_cast<UINT>(-5);
inline constexpr UINT NM_SETFOCUS = static_cast<UINT>(-7);
inline constexpr UINT NM_KILLFOCUS = static_cast<UINT>(-8);
inline constexpr UINT LVN_KEYDOWN = static_cast<UINT>(-155);
inline constexpr UINT LBN_SELCHANGE = 1;
inline constexpr UINT LBN_DBLCLK = 2;
inline constexpr UINT BN_CLICKED = 0;

inline constexpr int LB_ERR = -1;
inline constexpr UINT LVNI_ALL = 0x0000;
inline constexpr UINT LVNI_SELECTED = 0x0002;
inline constexpr UINT LVIS_SELECTED = 0x0002;
inline constexpr int LVCFMT_LEFT = 0;
inline constexpr UINT MF_STRING = 0x0000;
inline constexpr UINT MF_SEPARATOR = 0x0800;

// The framework's standard help command (F1).
inline constexpr UINT ID_HELP = 0xE146;
// The system-menu command by which dialog programs conventionally open their
// About box; the framework's help opens it when the main window's menu has it.
inline constexpr UINT AFX_IDM_ABOUTBOX = 0x0010;

inline constexpr int SM_CXICON = 11;
inline constexpr int SM_CYICON = 12;
int GetSystemMetrics(int index);

// Virtual-key codes the layer reports (letters and digits are their ASCII codes).
inline constexpr UINT VK_BACK = 0x08;
inline constexpr UINT VK_TAB = 0x09;
inline constexpr UINT VK_RETURN = 0x0D;
inline constexpr UINT VK_ESCAPE = 0x1B;
inline constexpr UINT VK_SPACE = 0x20;
inline constexpr UINT VK_DELETE = 0x2E;
inline constexpr UINT VK_F1 = 0x70;

struct CPoint {
    int x = 0;
    int y = 0;
};

struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
};

struct NMHDR {
    HWND hwndFrom;
    UINT_PTR idFrom;
    UINT code;
};

// NM_DBLCLK and NM_RCLICK of a list view: the row hit, or -1 for none.
struct NMITEMACTIVATE {
    NMHDR hdr;
    int iItem;
    int iSubItem;
    CPoint ptAction;
};

// LVN_KEYDOWN: the key's virtual-key code and the key message's flags word,
// whose low byte is the key's scan code (see AfxKeys.h).
struct NMLVKEYDOWN {
    NMHDR hdr;
    WORD wVKey;
    UINT flags;
};

// ---------------------------------------------------------------------------
// Message maps. Each class with handlers declares DECLARE_MESSAGE_MAP() and
// lists them between BEGIN_MESSAGE_MAP and END_MESSAGE_MAP; a message goes to
// the first entry that fits, the class's own before its base's.

struct SMessage {
    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
};

class CCmdTarget;
using AFX_PMSG = LRESULT (*)(CCmdTarget* pTarget, const SMessage& msg);

struct SMessageMapEntry {
    UINT m_message;
    UINT m_code; // notification code (WM_NOTIFY, WM_COMMAND)
    UINT m_id;   // control or command id (WM_NOTIFY, WM_COMMAND)
    AFX_PMSG m_pfn;
};

struct SMessageMap {
    const SMessageMap* (*m_pfnGetBaseMap)();
    const SMessageMapEntry* m_pEntries;
};

#define DECLARE_MESSAGE_MAP()                                                                      \
protected:                                                                                         \
    static const SMessageMap* GetThisMessageMap();                                                 \
    const SMessageMap* GetMessageMap() const override;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                     \
    const SMessageMap* theClass::GetMessageMap() const {                                           \
        return GetThisMessageMap();                                                                \
    }                                                                                              \
    const SMessageMap* theClass::GetThisMessageMap() {                                             \
        using ThisClass [[maybe_unused]] = theClass;                                               \
        using TheBaseClass = baseClass;                                                            \
        static const SMessageMapEntry kEntries[] = {

#define END_MESSAGE_MAP()                                                                          \
    { 0, 0, 0, nullptr }                                                                           \
    }                                                                                              \
    ;                                                                                              \
    static const SMessageMap kMap = {&TheBaseClass::GetThisMessageMap, kEntries};                  \
    return &kMap;                                                                                  \
    }

#define ON_WM_SYSCOMMAND()                                                                         \
    {WM_SYSCOMMAND, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnSysCommand(static_cast<UINT>(m.m_wParam), m.m_lParam);      \
         return 0;                                                                                 \
     }},
#define ON_WM_PAINT()                                                                              \
    {WM_PAINT, 0, 0, [](CCmdTarget* p, const SMessage&) -> LRESULT {                               \
         static_cast<ThisClass*>(p)->OnPaint();                                                    \
         return 0;                                                                                 \
     }},
#define ON_WM_QUERYDRAGICON()                                                                      \
    {WM_QUERYDRAGICON, 0, 0, [](CCmdTarget* p, const SMessage&) -> LRESULT {                       \
         return reinterpret_cast<LRESULT>(static_cast<ThisClass*>(p)->OnQueryDragIcon());          \
     }},
#define ON_WM_KEYDOWN()                                                                            \
    {WM_KEYDOWN, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                           \
         static_cast<ThisClass*>(p)->OnKeyDown(static_cast<UINT>(m.m_wParam),                      \
                                               static_cast<UINT>(m.m_lParam & 0xFFFF),             \
                                               static_cast<UINT>((m.m_lParam >> 16) & 0xFFFF));    \
         return 0;                                                                                 \
     }},
#define ON_WM_ENDSESSION()                                                                         \
    {WM_ENDSESSION, 0, 0, [](CCmdTarget* p, const SMessage& m) -> LRESULT {                        \
         static_cast<ThisClass*>(p)->OnEndSession(static_cast<BOOL>(m.m_wParam));                  \
         return 0;                                                                                 \
     }},
#define ON_NOTIFY(notifyCode, id, memberFxn)                                                       \
    {WM_NOTIFY, static_cast<UINT>(notifyCode), static_cast<UINT>(id),                              \
     [](CCmdTarget* p, const SMessage& m) -> LRESULT {                                             \
         LRESULT result = 0;                                                                       \
         static_cast<ThisClass*>(p)->memberFxn(reinterpret_cast<NMHDR*>(m.m_lParam), &result);     \
         return result;                                                                            \
     }},
#define ON_CONTROL(notifyCode, id, memberFxn)                                                      \
    {WM_COMMAND, static_cast<UINT>(notifyCode), static_cast<UINT>(id),                             \
     [](CCmdTarget* p, const SMessage&) -> LRESULT {                                               \
         static_cast<ThisClass*>(p)->memberFxn();                                                  \
         return 0;                                                                                 \
     }},
#define ON_COMMAND(id, memberFxn) ON_CONTROL(0, id, memberFxn)
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_LBN_SELCHANGE(id, memberFxn) ON_CONTROL(LBN_SELCHANGE, id, memberFxn)
#define ON_LBN_DBLCLK(id, memberFxn) ON_CONTROL(LBN_DBLCLK, id, memberFxn)

class CCmdTarget {
public:
    CCmdTarget() = default;
    virtual ~CCmdTarget() = default;
    CCmdTarget(const CCmdTarget&) = delete;
    CCmdTarget& operator=(const CCmdTarget&) = delete;

    // Runs the handler of the command (WM_COMMAND with this id and code) if the
    // message map has one; returns whether it had.
    BOOL OnCmdMsg(UINT id, UINT code);

protected:
    static const SMessageMap* GetThisMessageMap();
    virtual const SMessageMap* GetMessageMap() const;
    // The handler entry for a message, or null.
    const SMessageMapEntry* FindEntry(UINT message, UINT code, UINT id) const;
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

    QMenu* GetQMenu() const { return m_pMenu; }
    void Attach(QMenu* pMenu) { m_pMenu = pMenu; }

private:
    QMenu* m_pMenu = nullptr;
};

class CWnd : public CCmdTarget {
public:
    CWnd() = default;
    ~CWnd() override = default;

    // Sends a message through the message map; what no entry takes goes to the
    // default processing (DefWindowProc).
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The native handle of the window (X11 window id on Linux), null when none.
    HWND GetSafeHwnd() const;
    QWidget* GetWidget() const { return m_pWidget; }
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

    // The layer binds a control object to the widget made from its template item.
    virtual void Attach(QWidget* pWidget, int id);
    virtual void Detach();

protected:
    // Default processing of the window messages the program handles.
    void OnSysCommand(UINT id, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags);
    void OnEndSession(BOOL ending);

    QWidget* m_pWidget = nullptr;
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
// chosen by the template's LVS_ styles. Texts are the program's 8-bit texts.
class CListCtrl : public CWnd, public IKeyList {
public:
    ~CListCtrl() override = default;

    int InsertColumn(int column, const std::string& heading, int format = LVCFMT_LEFT,
                     int width = -1);
    int DeleteAllItems() override;
    // Inserts at item (clamped to the end); returns the new row, or -1.
    int InsertItem(int item, const std::string& text) override;
    int SetItemText(int item, int subItem, const std::string& text) override;
    std::string GetItemText(int item, int subItem) const;
    int GetItemCount() const;
    // The first row after `start` (-1: from the top) in the state asked for.
    int GetNextItem(int start, UINT flags) const;
    BOOL SetItemState(int item, UINT state, UINT mask);
};

// A list box that never sorts: entry i stays where the program put it. Only
// the user's changes of the selection are reported (LBN_SELCHANGE).
class CListBox : public CWnd {
public:
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
// Moves a text between a member and a static text or an edit box.
void DDX_Text(CDataExchange* pDX, int id, std::string& value);

// ---------------------------------------------------------------------------
// Painting.

class CDC {
public:
    QPainter* GetPainter() const { return m_pPainter; }
    HDC GetSafeHdc() { return this; }
    BOOL DrawIcon(int x, int y, HICON icon);
    void FillWindowBackground(const CRect& rect);

protected:
    CDC() = default;
    QPainter* m_pPainter = nullptr;
    QWidget* m_pWidget = nullptr;
};

// Valid inside a WM_PAINT handler only, as on Windows.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(CWnd* pWnd);
    ~CPaintDC();
    CPaintDC(const CPaintDC&) = delete;
    CPaintDC& operator=(const CPaintDC&) = delete;

private:
    std::unique_ptr<QPainter> m_painter;
};

// ---------------------------------------------------------------------------
// Modal dialogs.

class CDialogWindow; // the Qt window of one modal run

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
    // The menu standing in for the system menu: Minimize, Close; null when
    // the template has no system menu or no window exists.
    CMenu* GetSystemMenu(BOOL revert);
    QWidget* GetDlgItem(int id) const;
    const SDialogTemplate* GetTemplate() const { return m_pTemplate; }
    // The dialog's modal run in progress, for the layer's window.
    BOOL IsRunning() const { return m_pWindow != nullptr; }

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

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

    void DestroyWindow();

    const SDialogTemplate* m_pTemplate;
    CWnd* m_pParentWnd;
    std::unique_ptr<CDialogWindow> m_pWindow;
    QEventLoop* m_pLoop = nullptr;
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
    static constexpr int kMaxIcons = 4;
    std::unique_ptr<SIconImage> m_icons[kMaxIcons];
    UINT m_iconIds[kMaxIcons] = {};
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// The program's entry: sets up the toolkit, the handling of SIGINT, SIGTERM and
// SIGHUP (each ends every open dialog as with Cancel) and of the desktop
// session's request to save (WM_ENDSESSION to the main window), then runs the
// application object's InitInstance.
int AfxWinMain(int argc, char** argv);

// Sets up the same signal handling for a QApplication the caller made (tests).
// Returns 1 on success.
int AfxInstallTerminationHandler();
