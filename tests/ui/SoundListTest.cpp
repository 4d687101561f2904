// SPDX-License-Identifier: MIT
// The sound list, a list box, on either toolkit: only the user's changes of
// the selection are reported, and double-clicks; Enter is no double-click;
// entries stay where the program put them, and out of range is an error, as
// on Windows.
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr int kEntries = 28;

TEST(SoundList, ReportsOnlyTheUsersSelectionChangesAndDoubleClicks) {
    CLayerProbeDlg dlg(IDD_KEYDEF);
    const INT_PTR result = DriveModal(dlg, [&] {
        CListBox& list = dlg.m_soundList;
        for (int i = 0; i < kEntries; ++i)
            list.InsertString(i, "Sound " + std::to_string(i));
        EXPECT_EQ(list.SetCurSel(20), 20);
        list.SetCaretIndex(20, TRUE);
        EXPECT_EQ(list.GetCaretIndex(), 20);
        EXPECT_TRUE(dlg.m_selections.empty()) << "the program's own selection was reported";

        FocusControl(dlg, IDC_SOUND_LIST);
        StrikeKey(0x28, KF_EXTENDED | 0x50); // Down
        ClickRow(dlg, IDC_SOUND_LIST, 5);
        ASSERT_EQ(dlg.m_selections, (std::vector<int>{21, 5}));
        // A right-click changes nothing.
        ClickRow(dlg, IDC_SOUND_LIST, 7, EClick::Right);
        EXPECT_EQ(list.GetCurSel(), 5);
        EXPECT_EQ(dlg.m_selections.size(), 2u);
        // The first click of a double-click chooses the entry.
        ClickRow(dlg, IDC_SOUND_LIST, 6, EClick::Double);
        ASSERT_GE(dlg.m_selections.size(), 3u);
        EXPECT_EQ(dlg.m_selections[2], 6);
        EXPECT_EQ(dlg.m_doubleClicks, 1);
        // Enter is the dialog's OK, never a double-click of the entry.
        StrikeKey(VK_RETURN, 28);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_doubleClicks, 1);
}

TEST(SoundList, KeepsTheProgramsOrderEvenWhenMadeToSort) {
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
        CLayerProbeDlg dlg(pTemplate);
        std::vector<std::string> order;
        DriveModal(dlg, [&] {
            CListBox& list = dlg.m_soundList;
            list.InsertString(0, "zeta");
            list.InsertString(1, "alpha");
            list.AddString("Mid");
            list.InsertString(1, "beta");
            list.AddString("");
            list.DeleteString(0);
            list.InsertString(0, "omega");
            std::string text;
            for (int i = 0; i < list.GetCount(); ++i) {
                const int length = list.GetText(i, text);
                EXPECT_EQ(length, static_cast<int>(text.size()));
                order.push_back(text);
            }
            // Deleting the selected entry leaves none selected.
            EXPECT_EQ(list.SetCurSel(1), 1);
            EXPECT_EQ(list.DeleteString(1), 4);
            EXPECT_EQ(list.GetCurSel(), LB_ERR);
            EXPECT_EQ(list.SetCurSel(2), 2);
            // A click on no entry changes nothing.
            ClickRow(dlg, IDC_SOUND_LIST, kBelowRows);
            EXPECT_EQ(list.GetCurSel(), 2);
            EXPECT_EQ(list.SetCurSel(-1), LB_ERR);
            EXPECT_EQ(list.GetCurSel(), LB_ERR);
            EXPECT_EQ(list.InsertString(9, "nine"), LB_ERR);
            EXPECT_EQ(list.DeleteString(7), LB_ERR);
            EXPECT_EQ(list.GetText(7, text), LB_ERR);
            EXPECT_EQ(list.GetCount(), 4);
            dlg.EndDialog(IDOK);
        });
        EXPECT_EQ(order, (std::vector<std::string>{"omega", "beta", "alpha", "Mid", ""}));
        EXPECT_TRUE(dlg.m_selections.empty());
    }
}

} // namespace
