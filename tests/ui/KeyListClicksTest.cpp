// SPDX-License-Identifier: MIT
// Clicks in the key list, a report list view, on either toolkit: double- and
// right-clicks are reported with the row hit, on a row or below them, and a
// right-click selects its row (or clears the selection) before it is.
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

namespace {

TEST(KeyList, ClicksReportTheirRowWithTheSelectionAlreadyMade) {
    CLayerProbeDlg dlg(IDD_DRUMPAD);
    DriveModal(dlg, [&] {
        dlg.m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        dlg.m_keyList.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);
        for (int i = 0; i < 3; ++i) {
            dlg.m_keyList.InsertItem(i, std::string(1, static_cast<char>('A' + i)));
            dlg.m_keyList.SetItemText(i, 1, "Kick");
        }
        ClickRow(dlg, IDC_KEY_LIST, 1, EClick::Double);
        ClickRow(dlg, IDC_KEY_LIST, kBelowRows, EClick::Double);
        ClickRow(dlg, IDC_KEY_LIST, 2, EClick::Right);
        ClickRow(dlg, IDC_KEY_LIST, kBelowRows, EClick::Right);
        dlg.EndDialog(IDCANCEL);
    });
    ASSERT_EQ(dlg.m_clicks.size(), 4u);
    EXPECT_EQ(dlg.m_clicks[0].m_code, static_cast<UINT>(NM_DBLCLK));
    EXPECT_EQ(dlg.m_clicks[0].m_item, 1);
    // A double-click below the rows is reported all the same, on no row.
    EXPECT_EQ(dlg.m_clicks[1].m_code, static_cast<UINT>(NM_DBLCLK));
    EXPECT_EQ(dlg.m_clicks[1].m_item, -1);
    EXPECT_EQ(dlg.m_clicks[2].m_code, static_cast<UINT>(NM_RCLICK));
    EXPECT_EQ(dlg.m_clicks[2].m_item, 2);
    EXPECT_EQ(dlg.m_clicks[2].m_selected, 2);
    EXPECT_EQ(dlg.m_clicks[3].m_item, -1);
    EXPECT_EQ(dlg.m_clicks[3].m_selected, -1);
}

} // namespace
