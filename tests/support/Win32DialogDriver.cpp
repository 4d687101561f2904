// SPDX-License-Identifier: MIT
// The dialog driver over the Win32 back end. Keys come through the keyboard
// input (SendInput), as only keys taken from it become help requests; each
// step then runs the thread's messages through the dialog manager's handling
// until what it sent has been handled, so that a script reads the outcome at
// once, as it does over Qt.
#include "DialogDriver.h"

#include "DrumApp.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// The program's application object, which the layer asks for its help and
// icons.
CDrumApp s_app;

// A script waiting for its dialog: the one given, or (none given) the next
// one to open above pBelow.
struct SRun {
    UINT_PTR m_timer;
    CDialog* m_pDialog;
    CDialog* m_pBelow;
    std::function<void(CDialog&)> m_script;
    DWORD m_start;
    DWORD m_guardMs;
    bool m_started;
    bool m_inScript;
};
std::vector<SRun*> s_runs;

// The window of the dialog's control id.
HWND Control(const CDialog& dialog, int id) {
    HWND hControl = nullptr;
    dialog.GetDlgItem(id, &hControl);
    return hControl;
}

bool IsListBox(HWND hControl) {
    char className[32] = {};
    GetClassNameA(hControl, className, sizeof className);
    return lstrcmpiA(className, "ListBox") == 0;
}

// Handles the thread's messages as the dialog manager's loop would, until
// that message has come (none: until the queue is empty), the window active
// at the start has gone away (a key that ended its dialog), or for at most two
// seconds.
void Pump(UINT doneMessage = 0, WPARAM doneParam = 0) {
    const DWORD start = GetTickCount();
    const HWND hActive = GetActiveWindow();
    bool done = doneMessage == 0;
    bool keyDown = false;
    for (;;) {
        MSG message;
        if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            // A key whose release a dialog it opened took in its own loop.
            const bool released = keyDown && !(GetKeyState(static_cast<int>(doneParam)) & 0x8000);
            if (done || released || !IsWindowVisible(hActive) || GetTickCount() - start > 2000)
                return;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
            continue;
        }
        if (message.message == doneMessage && message.wParam == doneParam)
            done = true;
        if (doneMessage == WM_KEYUP && message.wParam == doneParam &&
            (message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN))
            keyDown = true;
        HWND hDialog = GetActiveWindow();
        if (!hDialog || !IsDialogMessageA(hDialog, &message)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

void CALLBACK OnTick(HWND, UINT, UINT_PTR timer, DWORD) {
    SRun* pRun = nullptr;
    for (SRun* pEach : s_runs) {
        if (pEach->m_timer == timer)
            pRun = pEach;
    }
    if (!pRun || pRun->m_inScript)
        return;
    if (GetTickCount() - pRun->m_start > pRun->m_guardMs) {
        KillTimer(nullptr, timer);
        ADD_FAILURE() << (pRun->m_started ? "the modal run did not end"
                                          : "the awaited dialog never came");
        CDialog::CancelAllModal();
        return;
    }
    if (pRun->m_started)
        return;
    CDialog* pTop = CDialog::GetActiveModal();
    const bool awaited = pRun->m_pDialog ? pTop == pRun->m_pDialog : pTop != pRun->m_pBelow;
    if (!pTop || !awaited || !pTop->m_hWnd || !IsWindowVisible(pTop->m_hWnd))
        return;
    pRun->m_started = true;
    pRun->m_inScript = true;
    SetForegroundWindow(pTop->m_hWnd);
    Pump();
    pRun->m_script(*pTop);
    pRun->m_inScript = false;
    if (!pRun->m_pDialog) {
        // A script for the next dialog runs once, and its record goes with it.
        KillTimer(nullptr, timer);
        std::erase(s_runs, pRun);
        delete pRun;
    }
}

} // namespace

INT_PTR DriveModal(CDialog& dialog, const std::function<void()>& script, int guardMs) {
    SRun run{SetTimer(nullptr, 0, 10, &OnTick),
             &dialog,
             nullptr,
             [&script](CDialog&) { script(); },
             GetTickCount(),
             static_cast<DWORD>(guardMs),
             false,
             false};
    s_runs.push_back(&run);
    const INT_PTR result = dialog.DoModal();
    KillTimer(nullptr, run.m_timer);
    std::erase(s_runs, &run);
    EXPECT_TRUE(run.m_started || result == -1);
    return result;
}

void WhenNextOpens(const std::function<void(CDialog&)>& script) {
    s_runs.push_back(new SRun{SetTimer(nullptr, 0, 10, &OnTick), nullptr, CDialog::GetActiveModal(),
                              script, GetTickCount(), 10000, false, false});
}

void FocusControl(const CDialog& dialog, int id) {
    const HWND hControl = Control(dialog, id);
    // As the dialog manager moves it, so that a push button given the focus
    // becomes the default one, as a click or Tab makes it.
    SendMessageA(dialog.m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(hControl), TRUE);
    Pump();
}

namespace {

// The key down (repeated) and up, Shift around them when shifted.
void SendKeys(UINT virtualKey, UINT scanFlags, bool shifted, int downs) {
    std::vector<INPUT> keys;
    const auto add = [&keys](UINT key, UINT scan, bool up) {
        INPUT input = {};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = static_cast<WORD>(key);
        input.ki.wScan = static_cast<WORD>(scan & 0xFF);
        input.ki.dwFlags =
            ((scan & KF_EXTENDED) ? KEYEVENTF_EXTENDEDKEY : 0) | (up ? KEYEVENTF_KEYUP : 0);
        keys.push_back(input);
    };
    if (shifted)
        add(VK_SHIFT, 42, false);
    for (int i = 0; i < downs; ++i)
        add(virtualKey, scanFlags, false);
    add(virtualKey, scanFlags, true);
    if (shifted)
        add(VK_SHIFT, 42, true);
    SendInput(static_cast<UINT>(keys.size()), keys.data(), sizeof keys[0]);
    Pump(WM_KEYUP, virtualKey);
    Pump();
}

} // namespace

void StrikeKey(UINT virtualKey, UINT scanFlags, bool shifted) {
    SendKeys(virtualKey, scanFlags, shifted, 1);
}

void HoldKey(UINT virtualKey, UINT scanFlags, int repeats) {
    SendKeys(virtualKey, scanFlags, false, repeats + 1);
}

void TypeText(const std::string& text) {
    HWND hFocus = GetFocus();
    for (char c : text)
        PostMessageA(hFocus, WM_CHAR, static_cast<BYTE>(c), 1);
    Pump();
}

void TypeCharacters(const std::u16string& text) {
    // In Unicode, as a keyboard of any layout types them: the system turns
    // each into the window's character set.
    for (char16_t c : text)
        PostMessageW(GetFocus(), WM_CHAR, c, 1);
    Pump();
}

void TypeInto(const CDialog& dialog, int id, const std::string& text) {
    FocusControl(dialog, id);
    SendMessageA(GetFocus(), EM_SETSEL, 0, -1);
    if (text.empty())
        StrikeKey(VK_BACK, 14);
    else
        TypeText(text);
}

void PasteText(const std::string& text) {
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        if (HGLOBAL hText = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
            char* pText = static_cast<char*>(GlobalLock(hText));
            std::memcpy(pText, text.c_str(), text.size() + 1);
            GlobalUnlock(hText);
            SetClipboardData(CF_TEXT, hText);
        }
        CloseClipboard();
    }
    SendMessageA(GetFocus(), WM_PASTE, 0, 0);
    Pump();
}

int FocusedControl(const CDialog& dialog) {
    HWND hFocus = GetFocus();
    return hFocus && dialog.m_hWnd && IsChild(dialog.m_hWnd, hFocus) ? GetDlgCtrlID(hFocus) : 0;
}

void CloseWindow(const CDialog& dialog) {
    PostMessageA(dialog.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    Pump();
}

void ChooseWindowMenuItem(const CDialog& dialog, UINT id) {
    PostMessageA(dialog.m_hWnd, WM_SYSCOMMAND, id, 0);
    Pump();
}

void PushButton(const CDialog& dialog, int id) {
    const HWND hButton = Control(dialog, id);
    SendMessageA(hButton, BM_CLICK, 0, 0);
    Pump();
}

void ClickRow(const CDialog& dialog, int id, int row, EClick click) {
    const HWND hList = Control(dialog, id);
    RECT rect = {};
    if (row == kBelowRows) {
        GetClientRect(hList, &rect);
        rect.top = rect.bottom - 20;
    } else if (IsListBox(hList)) {
        SendMessageA(hList, LB_SETTOPINDEX, static_cast<WPARAM>(row), 0);
        SendMessageA(hList, LB_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&rect));
    } else {
        SendMessageA(hList, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
        rect.left = LVIR_BOUNDS;
        SendMessageA(hList, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&rect));
    }
    // Left of the middle: inside the first column, where a row is hit.
    const LPARAM at = MAKELPARAM(rect.left + 10, (rect.top + rect.bottom) / 2);
    const bool right = click == EClick::Right;
    const UINT up = right ? WM_RBUTTONUP : WM_LBUTTONUP;
    PostMessageA(hList, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                 at);
    PostMessageA(hList, up, 0, at);
    if (click == EClick::Double) {
        PostMessageA(hList, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(hList, up, 0, at);
    }
    Pump();
}

std::string ShownText(const CDialog& dialog, int id) {
    const HWND hControl = Control(dialog, id);
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hControl)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(hControl, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::u16string ShownCharacters(const CDialog& dialog, int id) {
    const HWND hControl = Control(dialog, id);
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(hControl)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(hControl, text.data(), static_cast<int>(text.size()))));
    return std::u16string(text.begin(), text.end());
}

std::string ShownCell(const CDialog& dialog, int id, int row, int column) {
    const HWND hControl = Control(dialog, id);
    char buffer[4096] = {};
    if (IsListBox(hControl)) {
        const LRESULT length = SendMessageA(hControl, LB_GETTEXT, static_cast<WPARAM>(row),
                                            reinterpret_cast<LPARAM>(buffer));
        return length > 0 ? std::string(buffer, static_cast<size_t>(length)) : std::string();
    }
    LVITEMA cell = {};
    cell.iSubItem = column;
    cell.pszText = buffer;
    cell.cchTextMax = sizeof buffer;
    const LRESULT length = SendMessageA(hControl, LVM_GETITEMTEXTA, static_cast<WPARAM>(row),
                                        reinterpret_cast<LPARAM>(&cell));
    return length > 0 ? std::string(cell.pszText, static_cast<size_t>(length)) : std::string();
}

bool IsShown(const CWnd& window) {
    return window.m_hWnd && IsWindowVisible(window.m_hWnd);
}

bool IsCentredOver(const CWnd& window, const CWnd* pOwner) {
    RECT area = {};
    if (pOwner)
        GetWindowRect(pOwner->m_hWnd, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    RECT frame = {};
    GetWindowRect(window.m_hWnd, &frame);
    // Twice the centres' distance, within a pixel of rounding.
    const LONG dx = (frame.left + frame.right) - (area.left + area.right);
    const LONG dy = (frame.top + frame.bottom) - (area.top + area.bottom);
    return window.m_hWnd && dx >= -2 && dx <= 2 && dy >= -2 && dy <= 2;
}

bool IsOwnedBy(const CWnd& window, const CWnd& owner) {
    return window.m_hWnd && GetWindow(window.m_hWnd, GW_OWNER) == owner.m_hWnd;
}

bool TakesInput(const CWnd& window) {
    return window.m_hWnd && IsWindowEnabled(window.m_hWnd);
}
