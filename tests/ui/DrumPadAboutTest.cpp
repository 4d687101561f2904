// SPDX-License-Identifier: MIT
// The drum pad window's About box, on either toolkit: the window menu ends
// with a separator and "About Kadenzo...", whose command opens it; F1 opens
// it too, from anywhere in the window but the drum box, where F1 is a drum
// key; in the About box F1 opens no second one.
#include "AboutDlg.h"
#include "DrumPadFixture.h"

namespace {

TEST_F(DrumPad, OpensTheAboutBoxFromItsMenuAndByF1OutsideTheDrumBox) {
    int aboutRuns = 0;
    const auto inAbout = [&](CAboutDlg& about) {
        ++aboutRuns;
        StrikeKey(VK_F1, kKeyF1);
        EXPECT_EQ(CDialog::GetActiveModal(), &about);
        StrikeKey(VK_ESCAPE, kKeyEsc);
    };
    RunDrumPad([&] {
        CMenu* pMenu = m_dlg->GetSystemMenu(FALSE);
        ASSERT_NE(pMenu, nullptr);
        const int count = pMenu->GetMenuItemCount();
        EXPECT_EQ(pMenu->GetMenuItemID(count - 2), 0u);
        EXPECT_EQ(pMenu->GetMenuItemID(count - 1), static_cast<UINT>(IDM_ABOUTBOX));
        EXPECT_EQ(pMenu->GetMenuString(count - 1), "&About Kadenzo...");
        WhenOpens<CAboutDlg>(inAbout);
        ChooseWindowMenuItem(*m_dlg, IDM_ABOUTBOX);
        EXPECT_EQ(aboutRuns, 1);

        m_fake.ClearLog();
        FocusControl(*m_dlg, IDC_KEY_LIST);
        WhenOpens<CAboutDlg>(inAbout);
        StrikeKey(VK_F1, kKeyF1);
        EXPECT_EQ(aboutRuns, 2);
        EXPECT_EQ(m_fake.Count(EFakeOp::Play), 0);

        FocusControl(*m_dlg, IDC_DRUM_BOX);
        StrikeKey(VK_F1, kKeyF1);
        EXPECT_EQ(ShownText(*m_dlg, IDC_LAST_STROKE), "F1");
        EXPECT_EQ(m_fake.Count(EFakeOp::Play), 1);
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);
    });
    EXPECT_EQ(aboutRuns, 2);
}

} // namespace
