// SPDX-License-Identifier: MIT
// The drum pad window on either toolkit: what it opens with, drumming in the
// drum box, the key list's keys and clicks, and the ends of its run.
#include "DrumPadFixture.h"

#include <filesystem>

namespace {

const char kIdle[] = "Click the above box before you start to drum";
const char kDrumming[] = "Hit some defined keys to make some noise!";

TEST_F(DrumPad, OpensWithBindingsListedAndKeyListFocused) {
    const std::string before = ReadBytes("drums.set");
    RunDrumPad([&] {
        EXPECT_EQ(m_dlg->GetWindowText(), "Orvan's Drums for Windows");
        EXPECT_EQ(FocusedControl(*m_dlg), IDC_KEY_LIST);
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kIdle);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "");
        EXPECT_EQ(m_dlg->m_lastSound, 0);
        ASSERT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 0), "A");
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 1), "Kick");
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(2, 0), "F1");
        // A name the Windows program wrote shows as it does there and comes
        // back byte for byte.
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(1, 1), "Caf\xE9 Snare");
        EXPECT_EQ(ShownCell(*m_dlg, IDC_KEY_LIST, 1, 1), "Caf\xE9 Snare");
        // The sound device is bound to the drum pad window itself.
        EXPECT_EQ(kds::CallGetMainWindow(), m_dlg->GetSafeHwnd());
        EXPECT_NE(kds::CallGetMainWindow(), nullptr);
    });
    m_dlg.reset();
    EXPECT_EQ(ReadBytes("drums.set"), before);
}

TEST_F(DrumPad, DrumBoxNamesEachKeyAndStrikesItsSound) {
    RunDrumPad([&] {
        FocusDrumBox();
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kDrumming);
        m_fake.ClearLog();

        StrikeKey('A', kKeyA);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "A");
        EXPECT_EQ(Plays(), 1);
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kKickSound, 1));

        StrikeKey('D', kKeyD); // unbound
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "D");
        EXPECT_EQ(Plays(), 1);

        StrikeKey(kVkF13, kF13Code); // no name, but bound
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "");
        EXPECT_EQ(Plays(), 2);
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kF13Sound, 1));

        // F1 is an ordinary key here, not the help command.
        StrikeKey(VK_F1, kKeyF1);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "F1");
        EXPECT_EQ(Plays(), 3);
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);
    });
}

TEST_F(DrumPad, HeldKeyReplaysWithEachRepetitionThroughTheFiveVoices) {
    RunDrumPad([&] {
        FocusDrumBox();
        m_fake.ClearLog();
        HoldKey('S', kKeyS, 6);
        EXPECT_EQ(Plays(), 7);
        // Voices 1, 2, 3, 4, 0, 1, 2.
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kSnareSound, 2));
        EXPECT_EQ(m_fake.Count(EFakeOp::Play, BufferOf(kSnareSound, 1)), 2);
        EXPECT_EQ(m_fake.Count(EFakeOp::Play, BufferOf(kSnareSound, 0)), 1);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "S");
    });
}

TEST_F(DrumPad, StatusFollowsTheDrumBoxFocus) {
    RunDrumPad([&] {
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kIdle);
        FocusDrumBox();
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kDrumming);
        StrikeKey(VK_TAB, kKeyTab, true);
        EXPECT_EQ(FocusedControl(*m_dlg), IDC_KEY_LIST);
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kIdle);
        ClickRow(*m_dlg, IDC_DRUM_BOX, kBelowRows);
        EXPECT_EQ(FocusedControl(*m_dlg), IDC_DRUM_BOX);
        EXPECT_EQ(Shown(IDC_STATUS_TEXT), kDrumming);
    });
}

TEST_F(DrumPad, EnterDoesNothingAndEscEndsTheRunAndWritesDrumsSet) {
    std::filesystem::remove("drums.set");
    const SBinding binding = {kKeyA, kKickSound};
    std::string names[kSoundCount];
    WriteDrumSet(names, &binding, 1);
    RunDrumPad([&] {
        std::filesystem::remove("drums.set");
        m_dlg->m_kit.m_names[2] = "Clap"; // a change: a run without one writes nothing
        StrikeKey(VK_RETURN, kKeyEnter);
        StrikeKey(VK_RETURN, KF_EXTENDED | kKeyEnter); // the keypad's
        FocusDrumBox();
        StrikeKey(VK_RETURN, kKeyEnter);
        EXPECT_TRUE(m_dlg->IsRunning());
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "") << "Enter reached the drum box";
    });
    EXPECT_FALSE(std::filesystem::exists("drums.set")) << "written before the window object went";
    m_dlg.reset();
    ASSERT_TRUE(std::filesystem::exists("drums.set"));
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_keyMap[kKeyA], kKickSound);
    EXPECT_EQ(reread.m_names[2], "Clap");
}

TEST_F(DrumPad, CloseBoxEndsLikeEsc) {
    EXPECT_EQ(DriveModal(*m_dlg, [&] { CloseWindow(*m_dlg); }), IDCANCEL);
}

TEST_F(DrumPad, RightClickRemovesTheBindingClickedAndBelowTheRowsNothing) {
    RunDrumPad([&] {
        // A row selected before, then a right-click below the last row.
        ClickRow(*m_dlg, IDC_KEY_LIST, 0);
        ASSERT_EQ(SelectedRow(), 0);
        ClickRow(*m_dlg, IDC_KEY_LIST, kBelowRows, EClick::Right);
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(SelectedRow(), -1);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);

        // A right-click on the row of S removes S at once.
        ClickRow(*m_dlg, IDC_KEY_LIST, 1, EClick::Right);
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 3);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyS], kNoSound);
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(1, 0), "F1");
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
    });
}

TEST_F(DrumPad, KeysInTheKeyListPlayNothingAndDeleteRemovesNothing) {
    RunDrumPad([&] {
        ClickRow(*m_dlg, IDC_KEY_LIST, 0);
        m_fake.ClearLog();
        StrikeKey('A', kKeyA);
        StrikeKey(VK_DELETE, KF_EXTENDED | kKeyKpDelete);
        StrikeKey(kVkDown, KF_EXTENDED | 0x50);
        EXPECT_EQ(Plays(), 0);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "");
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
    });
}

TEST_F(DrumPad, SessionEndSavesBeforeTheWindowCloses) {
    RunDrumPad([&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound);
        std::filesystem::remove("drums.set");
        m_dlg->SendMessage(WM_ENDSESSION, TRUE, 0);
        ASSERT_TRUE(std::filesystem::exists("drums.set"));
        CDrumKit reread;
        reread.LoadSet("drums.set");
        EXPECT_EQ(reread.m_keyMap[kKeyZ], kKickSound);
    });
}

} // namespace
