// SPDX-License-Identifier: MIT
// How a modal run opens and ends, on either toolkit: shown only once
// initialised, centred over its owner, which takes no input meanwhile; DoModal
// returns what ended it, and the window is gone; Space and Enter press the
// focused button, and Enter elsewhere the default one.
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SEnding {
    const char* m_name;
    UINT m_templateId;
    std::function<void(CLayerProbeDlg&)> m_end;
    INT_PTR m_result;
};

class RunEnding : public testing::TestWithParam<SEnding> {};

TEST_P(RunEnding, DoModalReturnsWhatEndedTheRun) {
    const SEnding& ending = GetParam();
    CLayerProbeDlg dlg(ending.m_templateId);
    EXPECT_EQ(DriveModal(dlg, [&] { ending.m_end(dlg); }), ending.m_result);
    EXPECT_EQ(dlg.m_hWnd, nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Endings, RunEnding,
    testing::Values(
        SEnding{"OkButton", IDD_SOUNDNAME, [](CLayerProbeDlg& d) { PushButton(d, IDOK); }, IDOK},
        SEnding{"CancelButton", IDD_KEYDEF, [](CLayerProbeDlg& d) { PushButton(d, IDCANCEL); },
                IDCANCEL},
        SEnding{"EnterPressesTheDefaultButton", IDD_KEYDEF,
                [](CLayerProbeDlg& d) {
                    FocusControl(d, IDC_SOUND_LIST);
                    StrikeKey(VK_RETURN, 28);
                },
                IDOK},
        SEnding{"KeypadEnterInAnEditBoxPressesTheDefaultButton", IDD_SOUNDNAME,
                [](CLayerProbeDlg& d) {
                    FocusControl(d, IDC_SOUND_NAME);
                    StrikeKey(VK_RETURN, KF_EXTENDED | 28);
                },
                IDOK},
        SEnding{"Escape", IDD_ABOUTBOX, [](CLayerProbeDlg&) { StrikeKey(VK_ESCAPE, 1); }, IDCANCEL},
        SEnding{"CloseBox", IDD_DRUMPAD, [](CLayerProbeDlg& d) { CloseWindow(d); }, IDCANCEL},
        SEnding{"EndDialogWithAValue", IDD_ABOUTBOX, [](CLayerProbeDlg& d) { d.EndDialog(7); }, 7}),
    [](const testing::TestParamInfo<SEnding>& info) { return std::string(info.param.m_name); });

TEST(RunEnd, TemplateMissingFromTheResourcesIsAFailedRun) {
    CLayerProbeDlg dlg(4242u);
    EXPECT_EQ(dlg.DoModal(), -1);
}

TEST(NestedRun, ShowsInitialisedCentredOverItsOwnerWhichTakesNoInputMeanwhile) {
    CLayerProbeDlg pad(IDD_DRUMPAD);
    CLayerProbeDlg keyDef(IDD_KEYDEF);
    CLayerProbeDlg soundName(IDD_SOUNDNAME);
    INT_PTR keyDefResult = 0;
    INT_PTR soundNameResult = 0;
    const INT_PTR padResult = DriveModal(pad, [&] {
        // Without an owner: centred in the work area.
        EXPECT_TRUE(IsCentredOver(pad, nullptr));
        keyDefResult = DriveModal(keyDef, [&] {
            EXPECT_TRUE(IsCentredOver(keyDef, &pad));
            EXPECT_TRUE(IsOwnedBy(keyDef, pad));
            soundNameResult = DriveModal(soundName, [&] {
                EXPECT_TRUE(IsCentredOver(soundName, &keyDef));
                EXPECT_TRUE(IsOwnedBy(soundName, keyDef));
                EXPECT_FALSE(TakesInput(keyDef));
                EXPECT_FALSE(TakesInput(pad));
                EXPECT_EQ(CDialog::GetActiveModal(), &soundName);
                // The focus on the first tab stop, the OK button.
                EXPECT_EQ(FocusedControl(soundName), IDOK);
                StrikeKey(VK_ESCAPE, 1);
            });
            EXPECT_TRUE(TakesInput(keyDef));
            EXPECT_EQ(CDialog::GetActiveModal(), &keyDef);
            keyDef.EndDialog(IDOK);
        });
        EXPECT_TRUE(TakesInput(pad));
        pad.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(padResult, IDCANCEL);
    EXPECT_EQ(keyDefResult, IDOK);
    EXPECT_EQ(soundNameResult, IDCANCEL);
    EXPECT_FALSE(pad.m_shownInInit || keyDef.m_shownInInit || soundName.m_shownInInit);
}

TEST(Buttons, SpaceAndEnterPressTheFocusedButton) {
    CLayerProbeDlg dlg(IDD_KEYDEF);
    const INT_PTR result = DriveModal(dlg, [&] {
        PushButton(dlg, IDC_SAVE_SET);
        FocusControl(dlg, IDC_SAVE_SET);
        StrikeKey(VK_SPACE, 57);
        StrikeKey(VK_RETURN, 28);
        EXPECT_EQ(dlg.m_saveClicks, 3);
        EXPECT_TRUE(dlg.IsRunning());
        dlg.EndDialog(IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
}

} // namespace
