// SPDX-License-Identifier: MIT
// The drum pad window's About box, on either toolkit: the window menu ends
// with a separator and "About Kadenzo...", whose command opens it; F1 opens
// it too, from anywhere in the window but the drum box, where F1 is a drum
// key; in the About box F1 opens no second one.
#include "AboutDlg.h"
#include "DialogDriver.h"
#include "DrumPadDlg.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "TempFolder.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

constexpr int kF1Sound = 20;
constexpr int kF1Code = 59;

TEST(DrumPadWindow, OpensTheAboutBoxFromItsMenuAndByF1OutsideTheDrumBox) {
    CTempFolder folder;
    CFakeSoundScope sound;
    std::string names[kSoundCount];
    for (int i = 0; i < kSoundCount; ++i)
        names[i] = "Sound " + std::to_string(i);
    const SBinding bindings[] = {{kF1Code, kF1Sound}};
    WriteDrumSet(names, bindings, 1);
    std::optional<CDrumPadDlg> dlg;
    dlg.emplace();
    AfxGetApp()->m_pMainWnd = &*dlg;
    int aboutRuns = 0;
    const auto inAbout = [&](CAboutDlg& about) {
        ++aboutRuns;
        StrikeKey(VK_F1, kF1Code);
        EXPECT_EQ(CDialog::GetActiveModal(), &about);
        StrikeKey(VK_ESCAPE, 1);
    };
    const INT_PTR result = DriveModal(*dlg, [&] {
        CMenu* pMenu = dlg->GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        const int count = pMenu->GetMenuItemCount();
        EXPECT_EQ(pMenu->GetMenuItemID(count - 2), 0u);
        EXPECT_EQ(pMenu->GetMenuItemID(count - 1), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_EQ(pMenu->GetMenuString(count - 1), "&About Kadenzo...");
        WhenOpens<CAboutDlg>(inAbout);
        ChooseWindowMenuItem(*dlg, IDM_ABOUTBOX);
        EXPECT_EQ(aboutRuns, 1);

        sound.ClearLog();
        FocusControl(*dlg, IDC_KEY_LIST);
        WhenOpens<CAboutDlg>(inAbout);
        StrikeKey(VK_F1, kF1Code);
        EXPECT_EQ(aboutRuns, 2);
        EXPECT_EQ(sound.Count(EFakeOp::Play), 0);

        FocusControl(*dlg, IDC_DRUM_BOX);
        StrikeKey(VK_F1, kF1Code);
        EXPECT_EQ(ShownText(*dlg, IDC_LAST_STROKE), "F1");
        EXPECT_EQ(sound.Count(EFakeOp::Play), 1);
        EXPECT_EQ(CDialog::GetActiveModal(), &*dlg);
        StrikeKey(VK_ESCAPE, 1);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(aboutRuns, 2);
    AfxGetApp()->m_pMainWnd = nullptr;
}

} // namespace
