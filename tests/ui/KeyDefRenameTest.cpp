// SPDX-License-Identifier: MIT
// Naming sounds from the key definition dialog, on either toolkit: the sound
// name dialog opened from its sound list, what the names do in the dialog,
// the window's key list and "drums.set".
#include "DrumPadFixture.h"

namespace {

TEST_F(KeyDef, RenameThenExitLosesTheName) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            Rename(dlg, 3, "Tom");
            EXPECT_EQ(EntryText(dlg, 3), "Tom");
            PushButton(dlg, IDCANCEL);
        });
        EXPECT_EQ(m_dlg->m_kit.m_names[3], "Sound 3");
    });
    m_dlg.reset();
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_names[3], "Sound 3");
}

TEST_F(KeyDef, RenameDeselectsTheEntryPlaysNothingAndKeepsTheChosenSound) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('J', kKeyJ);
            m_fake.ClearLog();
            // The first click of the double-click chooses sound 7 and plays it.
            Rename(dlg, 7, "Clap");
            EXPECT_EQ(PlayedBuffers(), std::vector<int>{BufferOf(7, 1)});
            EXPECT_EQ(EntryText(dlg, 7), "Clap");
            EXPECT_EQ(EntryText(dlg, 6), "Sound 6");
            EXPECT_EQ(EntryText(dlg, 8), "Sound 8");
            EXPECT_EQ(dlg.m_soundList.GetCount(), kSoundCount);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), LB_ERR);
            EXPECT_EQ(dlg.m_sound, 7);

            // With no entry selected a double-click has nothing to rename (a
            // sound name dialog would hold this run until its guard ends it).
            dlg.SendMessage(WM_COMMAND, (WPARAM{LBN_DBLCLK} << 16) | IDC_SOUND_LIST, 0);
            EXPECT_EQ(CDialog::GetActiveModal(), &dlg);
            EXPECT_EQ(EntryText(dlg, 7), "Clap");
            EXPECT_EQ(Plays(), 1);
            PushButton(dlg, IDOK);
        });
        // Bound to the sound selected before the rename; the new name was not saved.
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyJ], 7);
        EXPECT_EQ(m_dlg->m_kit.m_names[7], "Sound 7");
        EXPECT_EQ(SoundShownFor("J"), "Sound 7");
    });
}

TEST_F(KeyDef, RenameSaveThenExitKeepsTheNameButTheListShowsItOnlyAfterItsNextRefill) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, "Boom");
            EXPECT_EQ(m_dlg->m_kit.m_names[kKickSound], "Kick");
            PushButton(dlg, IDC_SAVE_SET);
            EXPECT_EQ(m_dlg->m_kit.m_names[kKickSound], "Boom");
            EXPECT_TRUE(dlg.IsRunning());
            PushButton(dlg, IDCANCEL);
        });
        EXPECT_EQ(SoundShownFor("A"), "Kick");
        // Removing the binding of S refills the list.
        ClickRow(*m_dlg, IDC_KEY_LIST, RowOf("S"), EClick::Right);
        EXPECT_EQ(SoundShownFor("A"), "Boom");
    });
    m_dlg.reset();
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_names[kKickSound], "Boom");
}

TEST_F(KeyDef, RenameSaveThenSetKeyAndExitShowsTheNameAtOnce) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, "Boom");
            PushButton(dlg, IDC_SAVE_SET);
            PushButton(dlg, IDOK);
        });
        EXPECT_EQ(SoundShownFor("A"), "Boom");
    });
}

TEST_F(KeyDef, CancelInTheSoundNameDialogKeepsTheOldName) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            Rename(dlg, 2, "Ride", IDCANCEL);
            EXPECT_EQ(EntryText(dlg, 2), "Sound 2");
            // Left as it was: still the selected entry.
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 2);
            bool escaped = false;
            WhenOpens<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
                escaped = true;
                TypeInto(nameDlg, IDC_SOUND_NAME, "Ride");
                StrikeKey(VK_ESCAPE, kKeyEsc);
            });
            ClickRow(dlg, IDC_SOUND_LIST, 2, EClick::Double);
            EXPECT_TRUE(escaped);
            EXPECT_EQ(EntryText(dlg, 2), "Sound 2");
            EXPECT_TRUE(dlg.IsRunning()) << "Esc reached the dialog beneath";
            PushButton(dlg, IDC_SAVE_SET);
            PushButton(dlg, IDOK);
        });
        EXPECT_EQ(m_dlg->m_kit.m_names[2], "Sound 2");
    });
}

// Names written by the Windows program in its own code page, and in UTF-8 by
// older Linux builds, pass through the list box and "Save Drums Set" (pressed
// twice, nothing changed) unharmed.
TEST_F(KeyDef, StoredNamesComeOutByteForByteAfterSaveDrumsSetAndEsc) {
    for (int i = 0; i < 4; ++i) {
        m_names[i].clear();
        for (int b = 0x80 + 32 * i; b < 0x80 + 32 * (i + 1); ++b)
            m_names[i] += static_cast<char>(b);
    }
    m_names[5] = "Ch\xE2"
                 "teau \xC3"; // a UTF-8 lead byte cut short
    m_names[6] = "Caf\xC3\xA9";
    WriteDrumSet(m_names, nullptr, 0);
    const std::string before = ReadBytes("drums.set");
    Restart();
    RunDrumPad([&] {
        OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            for (int i = 0; i < kSoundCount; ++i)
                EXPECT_EQ(EntryText(dlg, i), m_names[i]) << "entry " << i;
            PushButton(dlg, IDC_SAVE_SET);
            PushButton(dlg, IDC_SAVE_SET);
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
    });
    m_dlg.reset();
    EXPECT_EQ(ReadBytes("drums.set"), before);
}

} // namespace
