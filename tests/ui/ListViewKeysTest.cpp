// SPDX-License-Identifier: MIT
// Keys in the drum box and the key box, on either toolkit: each key-down is
// reported with the flags word of its key message (the set-1 scan code and
// the extended flag, whatever the layout); the dialog's own keys never are.
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

namespace {

struct SKeyCase {
    const char* m_name;
    UINT m_templateId;
    int m_control;
    UINT m_virtualKey;
    UINT m_scanFlags; // what the key sends, and the flags word reported
};

class ListViewKeyDown : public testing::TestWithParam<SKeyCase> {};

TEST_P(ListViewKeyDown, CarriesTheFlagsWordOfTheKeyMessage) {
    const SKeyCase& key = GetParam();
    CLayerProbeDlg dlg(key.m_templateId);
    DriveModal(dlg, [&] {
        FocusControl(dlg, key.m_control);
        StrikeKey(key.m_virtualKey, key.m_scanFlags);
        dlg.EndDialog(IDCANCEL);
    });
    ASSERT_EQ(dlg.m_keyDowns, 1);
    EXPECT_EQ(dlg.m_keyFrom, static_cast<UINT_PTR>(key.m_control));
    EXPECT_EQ(dlg.m_keyFlags & (0xFF | KF_EXTENDED), key.m_scanFlags);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Keys, ListViewKeyDown,
    testing::Values(SKeyCase{"DrumBoxA", IDD_DRUMPAD, IDC_DRUM_BOX, 'A', 30},
                    SKeyCase{"DrumBoxQ", IDD_DRUMPAD, IDC_DRUM_BOX, 'Q', 16},
                    SKeyCase{"DrumBoxSpace", IDD_DRUMPAD, IDC_DRUM_BOX, VK_SPACE, 57},
                    SKeyCase{"DrumBoxRightArrow", IDD_DRUMPAD, IDC_DRUM_BOX, 0x27, KF_EXTENDED | 0x4D},
                    SKeyCase{"DrumBoxKeypad6", IDD_DRUMPAD, IDC_DRUM_BOX, 0x66, 0x4D},
                    SKeyCase{"DrumBoxLeftShift", IDD_DRUMPAD, IDC_DRUM_BOX, 0x10, 42},
                    SKeyCase{"DrumBoxRightCtrl", IDD_DRUMPAD, IDC_DRUM_BOX, 0x11, KF_EXTENDED | 29},
                    SKeyCase{"DrumBoxPause", IDD_DRUMPAD, IDC_DRUM_BOX, 0x13, 0x45},
                    SKeyCase{"KeyBoxF1", IDD_KEYDEF, IDC_KEY_BOX, VK_F1, 59},
                    SKeyCase{"KeyBoxF5", IDD_KEYDEF, IDC_KEY_BOX, VK_F1 + 4, 0x3F},
                    SKeyCase{"KeyBoxBackspace", IDD_KEYDEF, IDC_KEY_BOX, VK_BACK, 14},
                    SKeyCase{"KeyBoxDelete", IDD_KEYDEF, IDC_KEY_BOX, VK_DELETE, KF_EXTENDED | 0x53}),
    [](const testing::TestParamInfo<SKeyCase>& info) { return std::string(info.param.m_name); });
// clang-format on

TEST(DialogKeys, TabEnterAndEscapeNeverReachTheBoxes) {
    CLayerProbeDlg pad(IDD_DRUMPAD);
    const INT_PTR padResult = DriveModal(pad, [&] {
        FocusControl(pad, IDC_DRUM_BOX);
        // Tab goes on from the drum box, the last tab stop, to the key list.
        StrikeKey(VK_TAB, 15);
        EXPECT_EQ(FocusedControl(pad), IDC_KEY_LIST);
        FocusControl(pad, IDC_DRUM_BOX);
        // Enter raises OK, which in the probe ends the run.
        StrikeKey(VK_RETURN, 28);
    });
    EXPECT_EQ(padResult, IDOK);
    EXPECT_EQ(pad.m_keyDowns, 0);

    CLayerProbeDlg keyDef(IDD_KEYDEF);
    const INT_PTR keyDefResult = DriveModal(keyDef, [&] {
        FocusControl(keyDef, IDC_KEY_BOX);
        StrikeKey(VK_ESCAPE, 1);
    });
    EXPECT_EQ(keyDefResult, IDCANCEL);
    EXPECT_EQ(keyDef.m_keyDowns, 0);
}

TEST(DialogKeys, HeldKeyIsReportedAgainWithTheRepeatFlag) {
    CLayerProbeDlg pad(IDD_DRUMPAD);
    DriveModal(pad, [&] {
        FocusControl(pad, IDC_DRUM_BOX);
        HoldKey('A', 30, 2);
        pad.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(pad.m_keyDowns, 3);
    EXPECT_EQ(pad.m_keyFlags, 30u | KF_REPEAT);
}

} // namespace
