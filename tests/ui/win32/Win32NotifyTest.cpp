// SPDX-License-Identifier: MIT
// The controls' notifications through the message map on Win32: clicks on
// the key list, the sound list's selections, the buttons (keys: on both
// toolkits, ListViewKeysTest.cpp). Clicks are posted to the control, so they
// pass the dialog manager's loop.
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyList, ClicksReportTheirRowWithTheSelectionAlreadyMade) {
    CProbeDlg dlg(IDD_DRUMPAD);
    dlg.m_onInit = [&] {
        dlg.m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        dlg.m_keyList.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);
        for (int i = 0; i < 3; ++i) {
            dlg.m_keyList.InsertItem(i, std::string(1, static_cast<char>('A' + i)));
            dlg.m_keyList.SetItemText(i, 1, "Kick");
        }
    };
    auto at = [&](int row) { return RowCentre(dlg.Item(IDC_KEY_LIST), row, false); };
    auto below = [&] {
        RECT client = {};
        GetClientRect(dlg.Item(IDC_KEY_LIST), &client);
        return POINT{20, client.bottom - 10};
    };
    auto clicks = [&](UINT code) { return dlg.Count(WM_NOTIFY, code, IDC_KEY_LIST); };
    HWND hList = nullptr;
    dlg.m_steps = {[&] {
                       hList = dlg.Item(IDC_KEY_LIST);
                       PostClick(hList, at(1).x, at(1).y, false, true);
                       return true;
                   },
                   [&] { return clicks(NM_DBLCLK) == 1; },
                   [&] {
                       PostClick(hList, below().x, below().y, false, true);
                       return true;
                   },
                   [&] { return clicks(NM_DBLCLK) == 2; },
                   [&] {
                       PostClick(hList, at(2).x, at(2).y, true);
                       return true;
                   },
                   [&] { return clicks(NM_RCLICK) == 1; },
                   [&] {
                       PostClick(hList, below().x, below().y, true);
                       return true;
                   },
                   [&] { return clicks(NM_RCLICK) == 2; },
                   [&] {
                       dlg.EndDialog(IDCANCEL);
                       return true;
                   }};
    dlg.DoModal();
    std::vector<SNotice> clicked;
    for (const SNotice& notice : dlg.m_notices) {
        if (notice.m_code == NM_DBLCLK || notice.m_code == NM_RCLICK)
            clicked.push_back(notice);
    }
    ASSERT_EQ(clicked.size(), 4u);
    EXPECT_EQ(clicked[0].m_item, 1);
    // A double-click below the rows is reported all the same, on no row.
    EXPECT_EQ(clicked[1].m_item, -1);
    // The right-click selected its row before it was reported, and one on no
    // row cleared the selection.
    EXPECT_EQ(clicked[2].m_item, 2);
    EXPECT_EQ(clicked[2].m_selected, 2);
    EXPECT_EQ(clicked[3].m_item, -1);
    EXPECT_EQ(clicked[3].m_selected, -1);
}

TEST(SoundList, ReportsTheUsersSelectionsOnlyAndDoubleClicks) {
    CProbeDlg dlg(IDD_KEYDEF);
    dlg.m_onInit = [&] {
        for (int i = 0; i < 28; ++i)
            dlg.m_soundList.InsertString(i, "Sound " + std::to_string(i));
        // The program's own selection and caret, as the dialog opens: no news.
        EXPECT_EQ(dlg.m_soundList.SetCurSel(20), 20);
        dlg.m_soundList.SetCaretIndex(20, TRUE);
    };
    HWND hList = nullptr;
    auto changes = [&] { return dlg.Count(WM_COMMAND, LBN_SELCHANGE, IDC_SOUND_LIST); };
    dlg.m_steps = {[&] {
                       hList = dlg.Item(IDC_SOUND_LIST);
                       // Entry 20 was scrolled into view.
                       const int top = static_cast<int>(SendMessageA(hList, LB_GETTOPINDEX, 0, 0));
                       EXPECT_LE(top, 20);
                       EXPECT_GT(top, 0);
                       EXPECT_EQ(dlg.m_soundList.GetCaretIndex(), 20);
                       SetFocus(hList);
                       PostKey(hList, VK_DOWN, 0x50, true);
                       return true;
                   },
                   [&] { return changes() == 1; },
                   [&] {
                       const POINT row =
                           RowCentre(hList, dlg.m_soundList.GetCaretIndex() - 1, true);
                       PostClick(hList, row.x, row.y, false, true);
                       return true;
                   },
                   [&] { return dlg.Count(WM_COMMAND, LBN_DBLCLK, IDC_SOUND_LIST) == 1; },
                   [&] {
                       dlg.m_soundList.SetCurSel(3);
                       dlg.m_soundList.DeleteString(3);
                       dlg.EndDialog(IDCANCEL);
                       return true;
                   }};
    dlg.DoModal();
    std::vector<int> selections;
    for (const SNotice& notice : dlg.m_notices) {
        if (notice.m_code == LBN_SELCHANGE)
            selections.push_back(notice.m_selected);
    }
    // The arrow key, then the first click of the double-click.
    ASSERT_GE(selections.size(), 2u);
    EXPECT_EQ(selections[0], 21);
    EXPECT_EQ(selections[1], 20);
}

TEST(SoundList, NeverSortsWhatItIsGiven) {
    // Even a list box made with LBS_SORT keeps the program's order.
    static const SDialogItem kItems[] = {
        {IDC_SOUND_LIST, EControlKind::ListBox, "", 7, 7, 90, 64,
         LBS_SORT | LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    };
    static const SDialogTemplate kSorting = {900,
                                             WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                             0,
                                             110,
                                             80,
                                             "Order",
                                             "MS Sans Serif",
                                             8,
                                             kItems,
                                             1};
    for (const SDialogTemplate* pTemplate : {FindDialogTemplate(IDD_KEYDEF), &kSorting}) {
        CProbeDlg dlg(pTemplate);
        std::vector<std::string> order;
        dlg.m_steps = {[&] {
            CListBox& list = dlg.m_soundList;
            list.InsertString(0, "zeta");
            list.InsertString(1, "alpha");
            list.AddString("Mid");
            list.InsertString(1, "beta");
            list.AddString("");
            list.DeleteString(0);
            list.InsertString(0, "omega");
            for (int i = 0; i < list.GetCount(); ++i) {
                std::string text;
                list.GetText(i, text);
                order.push_back(text);
            }
            dlg.EndDialog(IDOK);
            return true;
        }};
        EXPECT_EQ(dlg.DoModal(), IDOK);
        EXPECT_EQ(order, (std::vector<std::string>{"omega", "beta", "alpha", "Mid", ""}));
    }
}

TEST(SaveButton, ClickReachesItsHandler) {
    CProbeDlg dlg(IDD_KEYDEF);
    dlg.m_steps = {[&] {
                       SendMessageA(dlg.Item(IDC_SAVE_SET), BM_CLICK, 0, 0);
                       SetFocus(dlg.Item(IDC_SAVE_SET));
                       PostKey(dlg.Item(IDC_SAVE_SET), VK_SPACE, 57);
                       return true;
                   },
                   [&] { return dlg.Count(WM_COMMAND, BN_CLICKED, IDC_SAVE_SET) == 2; },
                   [&] {
                       dlg.EndDialog(IDCANCEL);
                       return true;
                   }};
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_EQ(dlg.m_okCount, 0);
}

} // namespace
