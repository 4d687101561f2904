// SPDX-License-Identifier: MIT
// Modal runs on Win32: dialogs from the real templates in the resources,
// their controls where the dialog manager places them, a run ended before it
// shows, the system menu, the icons, the session end;
// the key list's columns at the window's DPI.
#include "Resources.h"
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

const char* ClassOfKind(EControlKind kind) {
    switch (kind) {
    case EControlKind::PushButton:
        return "Button";
    case EControlKind::Edit:
        return "Edit";
    case EControlKind::ListBox:
        return "ListBox";
    case EControlKind::ListView:
        return "SysListView32";
    default:
        return "Static";
    }
}

// The About box's template, kept in memory without its system menu.
const SDialogTemplate* WithoutSystemMenu() {
    static SDialogTemplate plain = *FindDialogTemplate(IDD_ABOUTBOX);
    plain.m_style &= ~WS_SYSMENU;
    return &plain;
}

class RealTemplate : public testing::TestWithParam<int> {};

TEST_P(RealTemplate, OpensCentredWithItsControlsWhereTheTemplatePutsThem) {
    const SDialogTemplate* pData = FindDialogTemplate(GetParam());
    ASSERT_NE(pData, nullptr);
    CProbeDlg dlg(static_cast<UINT>(GetParam()));
    dlg.m_steps = {[&] {
        // The template's own font, whatever Wine draws it with.
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(dlg.m_hWnd, WM_GETFONT, 0, 0)), sizeof font,
                   &font);
        EXPECT_STREQ(font.lfFaceName, pData->m_fontName);
        char title[128] = {};
        GetWindowTextA(dlg.m_hWnd, title, sizeof title);
        EXPECT_STREQ(title, pData->m_title);
        // The controls in template order, placed in dialog units.
        HWND hChild = GetWindow(dlg.m_hWnd, GW_CHILD);
        for (int i = 0; i < pData->m_itemCount; ++i) {
            const SDialogItem& item = pData->m_pItems[i];
            SCOPED_TRACE(i);
            if (!hChild) {
                ADD_FAILURE() << "fewer controls than the template has";
                break;
            }
            EXPECT_EQ(ClassOf(hChild), ClassOfKind(item.m_kind));
            EXPECT_EQ(GetDlgCtrlID(hChild), item.m_id);
            // The dialog manager gives a bordered edit box a sunken
            // edge in place of its border.
            uint32_t style = static_cast<uint32_t>(GetWindowLongA(hChild, GWL_STYLE));
            if (GetWindowLongA(hChild, GWL_EXSTYLE) & WS_EX_CLIENTEDGE)
                style |= WS_BORDER;
            // A list box shows its scroll bar only when it needs one.
            const uint32_t fixed = item.m_style & ~static_cast<uint32_t>(WS_VSCROLL);
            EXPECT_EQ(style & fixed, fixed);
            // Position and size each in dialog units, as the
            // dialog manager maps them.
            RECT expected = {item.m_x, item.m_y, item.m_cx, item.m_cy};
            MapDialogRect(dlg.m_hWnd, &expected);
            RECT actual = {};
            GetWindowRect(hChild, &actual);
            MapWindowPoints(nullptr, dlg.m_hWnd, reinterpret_cast<POINT*>(&actual), 2);
            EXPECT_EQ(actual.left, expected.left);
            EXPECT_EQ(actual.top, expected.top);
            // An icon control takes its icon's size.
            if (item.m_kind != EControlKind::Icon) {
                EXPECT_EQ(actual.right - actual.left, expected.right);
                EXPECT_EQ(actual.bottom - actual.top, expected.bottom);
            }
            hChild = GetWindow(hChild, GW_HWNDNEXT);
        }
        EXPECT_EQ(hChild, nullptr);
        dlg.EndDialog(IDOK);
        return true;
    }};
    EXPECT_EQ(dlg.DoModal(), IDOK);
}

INSTANTIATE_TEST_SUITE_P(Resources, RealTemplate,
                         testing::Values(IDD_ABOUTBOX, IDD_DRUMPAD, IDD_KEYDEF, IDD_SOUNDNAME));

// A dialog ended in its initialisation never shows.
TEST(RunEnd, EndedInItsInitialisationNeverShows) {
    CProbeDlg dlg(IDD_ABOUTBOX);
    bool shown = false;
    dlg.m_onInit = [&] { dlg.EndDialog(IDCANCEL); };
    dlg.m_steps = {[&] {
        shown = true;
        return true;
    }};
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_FALSE(shown);
}

// The window menu is the window's real system menu, with the system's own
// items; a template without one has none to give.
TEST(SystemMenu, IsTheWindowsOwn) {
    CProbeDlg dlg(IDD_DRUMPAD);
    dlg.m_onInit = [&] {
        CMenu* pMenu = dlg.GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        EXPECT_EQ(pMenu->m_hMenu, GetSystemMenu(dlg.m_hWnd, FALSE));
        EXPECT_NE(GetMenuState(pMenu->m_hMenu, SC_CLOSE, MF_BYCOMMAND), 0xFFFFFFFFu);
    };
    dlg.m_steps = {[&] {
        dlg.EndDialog(IDCANCEL);
        return true;
    }};
    dlg.DoModal();
    CProbeDlg bare(WithoutSystemMenu());
    bare.m_onInit = [&] { EXPECT_EQ(bare.GetSystemMenu(FALSE), nullptr); };
    bare.m_steps = {[&] {
        bare.EndDialog(IDOK);
        return true;
    }};
    EXPECT_EQ(bare.DoModal(), IDOK);
}

TEST(WindowIcons, BigAndSmallComeFromTheMainFrameIcon) {
    CWinApp app;
    HICON hIcon = app.LoadIcon(IDR_MAINFRAME);
    ASSERT_NE(hIcon, nullptr);
    EXPECT_EQ(app.LoadIcon(IDR_MAINFRAME), hIcon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(hIcon, &info));
    BITMAP bitmap = {};
    GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    EXPECT_EQ(bitmap.bmWidth, GetSystemMetrics(SM_CXICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    CProbeDlg dlg(IDD_DRUMPAD);
    dlg.m_dragIcon = hIcon;
    dlg.m_onInit = [&] {
        dlg.SetIcon(hIcon, TRUE);
        dlg.SetIcon(hIcon, FALSE);
    };
    dlg.m_steps = {[&] {
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_BIG, 0)),
                  hIcon);
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dlg.m_hWnd, WM_GETICON, ICON_SMALL, 0)),
                  hIcon);
        // Dragging the minimised window shows the icon the handler gives.
        EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(dlg.m_hWnd, WM_QUERYDRAGICON, 0, 0)), hIcon);
        dlg.EndDialog(IDOK);
        return true;
    }};
    dlg.DoModal();
}

TEST(SessionEnd, ReachesTheHandlerWhileTheRunGoesOn) {
    CProbeDlg dlg(IDD_DRUMPAD);
    dlg.m_steps = {[&] {
        SendMessageA(dlg.m_hWnd, WM_QUERYENDSESSION, 0, 0);
        SendMessageA(dlg.m_hWnd, WM_ENDSESSION, TRUE, 0);
        EXPECT_EQ(dlg.m_sessionEnds, 1);
        EXPECT_TRUE(dlg.IsRunning());
        PostMessageA(dlg.m_hWnd, WM_CLOSE, 0, 0);
        return true;
    }};
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
}

TEST(KeyList, ColumnWidthsAre96DpiPixelsScaledToTheWindowsDpi) {
    CProbeDlg dlg(IDD_DRUMPAD);
    dlg.m_onInit = [&] {
        dlg.m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        dlg.m_keyList.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);
    };
    int widths[2] = {};
    int dpi = 0;
    dlg.m_steps = {[&] {
        const HWND hList = dlg.Item(IDC_KEY_LIST);
        for (int column = 0; column < 2; ++column)
            widths[column] = static_cast<int>(SendMessageA(hList, LVM_GETCOLUMNWIDTH, column, 0));
        const HDC hdc = GetDC(hList);
        dpi = GetDeviceCaps(hdc, LOGPIXELSX);
        ReleaseDC(hList, hdc);
        dlg.EndDialog(IDCANCEL);
        return true;
    }};
    dlg.DoModal();
    // Run at 144 dpi as well (dpi-wine.sh), where unscaled widths would show.
    if (const char* pExpected = std::getenv("KADENZO_TEST_DPI")) {
        ASSERT_EQ(dpi, std::atoi(pExpected));
    }
    EXPECT_EQ(widths[0], MulDiv(60, dpi, 96)) << dpi << " dpi";
    EXPECT_EQ(widths[1], MulDiv(170, dpi, 96)) << dpi << " dpi";
}

} // namespace
