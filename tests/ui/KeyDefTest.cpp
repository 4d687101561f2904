// SPDX-License-Identifier: MIT
// Binding keys on either toolkit: the key definition dialog opened from the
// drum pad window's key list, over the fake sound device.
#include "DrumPadFixture.h"

#include <algorithm>
#include <cstring>

namespace {

TEST_F(KeyDef, OpensBelowTheRowsWithTheSoundsInOrderSoundZeroChosenAndNothingPlaying) {
    RunDrumPad([&] {
        m_fake.ClearLog();
        const bool opened = OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(dlg.GetWindowText(), "Add Key Definition / Rename Sounds");
            EXPECT_EQ(FocusedControl(dlg), IDOK); // "Set Key && Exit"
            ASSERT_EQ(dlg.m_soundList.GetCount(), kSoundCount);
            for (int i = 0; i < kSoundCount; ++i)
                EXPECT_EQ(EntryText(dlg, i), m_names[i]) << "entry " << i;
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 0);
            EXPECT_EQ(dlg.m_soundList.GetCaretIndex(), 0);
            EXPECT_EQ(dlg.m_sound, 0);
            EXPECT_EQ(dlg.m_key, kNoKey);
            EXPECT_EQ(dlg.m_keyBox.GetItemCount(), 0);
            EXPECT_EQ(Plays(), 0);
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
        EXPECT_TRUE(opened);
    });
}

TEST_F(KeyDef, SetKeyAndExitBindsTheLastKeyToTheChosenSoundAndTheNextOpeningPreselectsIt) {
    RunDrumPad([&] {
        const bool opened = OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            m_fake.ClearLog();
            FocusControl(dlg, IDC_KEY_BOX);
            // Each key replaces the one before, held keys included; none plays.
            StrikeKey('A', kKeyA);
            EXPECT_EQ(dlg.m_keyBox.GetItemText(0, 0), "A");
            EXPECT_EQ(dlg.m_key, int{kKeyA});
            StrikeKey('S', kKeyS);
            HoldKey('J', kKeyJ, 1);
            EXPECT_EQ(dlg.m_keyBox.GetItemCount(), 1);
            EXPECT_EQ(dlg.m_keyBox.GetItemText(0, 0), "J");
            EXPECT_EQ(dlg.m_key, int{kKeyJ});
            EXPECT_EQ(Plays(), 0);

            ClickRow(dlg, IDC_SOUND_LIST, kF1Sound + 2);
            EXPECT_EQ(dlg.m_sound, kF1Sound + 2);
            EXPECT_EQ(PlayedBuffers(), std::vector<int>{BufferOf(kF1Sound + 2, 1)});
            PushButton(dlg, IDOK);
        });
        ASSERT_TRUE(opened);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyJ], kF1Sound + 2);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
        EXPECT_EQ(m_dlg->m_lastSound, kF1Sound + 2);
        // Refilled: the new row is there, the row clicked no longer selected.
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 5);
        EXPECT_EQ(SoundShownFor("J"), "Sound 22");
        EXPECT_EQ(SelectedRow(), -1);

        m_fake.ClearLog();
        OpenKeyDef(1, [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(dlg.m_sound, kF1Sound + 2);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), kF1Sound + 2);
            EXPECT_EQ(dlg.m_soundList.GetCaretIndex(), kF1Sound + 2);
            EXPECT_EQ(dlg.m_key, kNoKey);
            EXPECT_EQ(Plays(), 0);
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
    });
}

TEST_F(KeyDef, EnterInTheKeyBoxIsSetKeyAndExitEscIsExitTabMovesOnNoneIsCaptured) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('G', kKeyG);
            StrikeKey(VK_TAB, kKeyTab);
            EXPECT_EQ(FocusedControl(dlg), IDC_SOUND_LIST);
            EXPECT_EQ(dlg.m_keyBox.GetItemText(0, 0), "G");
            StrikeKey(VK_TAB, kKeyTab, true);
            EXPECT_EQ(FocusedControl(dlg), IDC_KEY_BOX);
            StrikeKey(VK_RETURN, kKeyEnter);
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyG], 0);
        EXPECT_EQ(SoundShownFor("G"), "Sound 0");

        // The row clicked stays selected: Exit does not even refill the list.
        const int rows = m_dlg->m_keyList.GetItemCount();
        OpenKeyDef(1, [&](CKeyDefDlg& dlg) {
            ClickRow(dlg, IDC_SOUND_LIST, 3);
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('H', kKeyH);
            StrikeKey(VK_ESCAPE, kKeyEsc);
            EXPECT_EQ(dlg.m_keyBox.GetItemText(0, 0), "H");
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyH], kNoSound);
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), rows);
        EXPECT_EQ(SelectedRow(), 1);
        EXPECT_EQ(m_dlg->m_lastSound, 0);
    });
}

TEST_F(KeyDef, SetKeyAndExitWithoutAKeyBindsNothingButRemembersTheSound) {
    RunDrumPad([&] {
        int32_t before[kKeyMapSize];
        std::memcpy(before, m_dlg->m_kit.m_keyMap, sizeof before);
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            ClickRow(dlg, IDC_SOUND_LIST, 5);
            PushButton(dlg, IDOK);
        });
        EXPECT_TRUE(std::equal(before, before + kKeyMapSize, m_dlg->m_kit.m_keyMap));
        EXPECT_EQ(m_dlg->m_lastSound, 5);
        EXPECT_EQ(SelectedRow(), -1) << "the list was not refilled";
        OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 5);
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
    });
}

TEST_F(KeyDef, ArrowKeysThroughTheSoundListAuditionEachSoundPassed) {
    RunDrumPad([&] {
        OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            m_fake.ClearLog();
            // From "Set Key && Exit" along the tab stops: Exit, key box, sound list.
            for (int i = 0; i < 3; ++i)
                StrikeKey(VK_TAB, kKeyTab);
            ASSERT_EQ(FocusedControl(dlg), IDC_SOUND_LIST);
            EXPECT_EQ(Plays(), 0);
            for (int i = 0; i < 4; ++i)
                StrikeKey(kVkDown, KF_EXTENDED | 0x50);
            StrikeKey(kVkUp, KF_EXTENDED | 0x48);
            // Through the same five-voice rings that drumming uses.
            const std::vector<int> expected = {BufferOf(1, 1), BufferOf(2, 1), BufferOf(3, 1),
                                               BufferOf(4, 1), BufferOf(3, 2)};
            EXPECT_EQ(PlayedBuffers(), expected);
            EXPECT_EQ(dlg.m_sound, 3);
            StrikeKey(VK_RETURN, kKeyEnter);
        });
        EXPECT_EQ(m_dlg->m_lastSound, 3);
    });
}

} // namespace
