// SPDX-License-Identifier: MIT
// F1 in the drum pad window, on either toolkit: the drum box hears it as a
// drum key; anywhere else it is the help command.
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

namespace {

struct SHelpCase {
    const char* m_label;
    int m_focus;
    int m_helpCount;
};

class HelpKey : public testing::TestWithParam<SHelpCase> {};

TEST_P(HelpKey, IsTheHelpCommandOutsideTheDrumBox) {
    CLayerProbeDlg dlg(IDD_DRUMPAD);
    DriveModal(dlg, [&] {
        FocusControl(dlg, GetParam().m_focus);
        StrikeKey(VK_F1, 59);
        EXPECT_EQ(dlg.m_keyDowns, 1);
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(dlg.m_helpCount, GetParam().m_helpCount);
}

INSTANTIATE_TEST_SUITE_P(Controls, HelpKey,
                         testing::Values(SHelpCase{"DrumBox", IDC_DRUM_BOX, 0},
                                         SHelpCase{"KeyList", IDC_KEY_LIST, 1}),
                         [](const testing::TestParamInfo<SHelpCase>& info) {
                             return std::string(info.param.m_label);
                         });

} // namespace
