// SPDX-License-Identifier: MIT
// The controls' notifications through the message map on Win32: clicks on
// the key list, the buttons (keys and the sound list: on both toolkits,
// ListViewKeysTest.cpp and SoundListTest.cpp). Clicks are posted to the control, so they
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
