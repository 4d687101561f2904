// SPDX-License-Identifier: MIT
// Naming sounds from the key definition dialog: the sound name dialog opened
// from its sound list, what the names do in the dialog, the window's key list
// and "drums.set".
#include "KeyDefFixture.h"

#include <QTimer>

#include <gtest/gtest.h>

#include <csignal>

namespace {

TEST_F(KeyDef, RenameThenExitLosesTheName) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            Rename(dlg, 3, QStringLiteral("Tom"));
            EXPECT_EQ(EntryText(dlg, 3), "Tom");
            ClickButton(dlg, IDCANCEL);
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
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickKeyBox(dlg);
            PressKey(Qt::Key_J, kKeyJ, Qt::NoModifier, QStringLiteral("j"));
            m_fake.ClearLog();
            // The first click of the double-click chooses sound 7 and plays it.
            Rename(dlg, 7, QStringLiteral("Clap"));
            EXPECT_EQ(PlayedBuffers(), std::vector<int>{BufferOf(7, 1)});
            EXPECT_EQ(EntryText(dlg, 7), "Clap");
            EXPECT_EQ(EntryText(dlg, 6), "Sound 6");
            EXPECT_EQ(EntryText(dlg, 8), "Sound 8");
            EXPECT_EQ(dlg.m_soundList.GetCount(), kSoundCount);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), LB_ERR);
            EXPECT_EQ(dlg.m_sound, 7);

            // With no entry selected a double-click has nothing to rename.
            bool nameDialogOpened = false;
            QTimer::singleShot(50, [&] {
                if (auto* pName = dynamic_cast<CSoundNameDlg*>(CDialog::GetActiveModal())) {
                    nameDialogOpened = true;
                    pName->SendMessage(WM_COMMAND, IDCANCEL, 0);
                }
            });
            dlg.SendMessage(WM_COMMAND, (WPARAM{LBN_DBLCLK} << 16) | IDC_SOUND_LIST, 0);
            ProcessEventsFor(100);
            EXPECT_FALSE(nameDialogOpened);
            EXPECT_EQ(EntryText(dlg, 7), "Clap");
            EXPECT_EQ(Plays(), 1);
            ClickButton(dlg, IDOK);
        });
        // Bound to the sound selected before the rename; the new name was not saved.
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyJ], 7);
        EXPECT_EQ(m_dlg->m_kit.m_names[7], "Sound 7");
        EXPECT_EQ(SoundShownFor("J"), "Sound 7");
    });
}

TEST_F(KeyDef, RenameSaveThenExitKeepsTheNameButTheListShowsItOnlyAfterItsNextRefill) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, QStringLiteral("Boom"));
            EXPECT_EQ(m_dlg->m_kit.m_names[kKickSound], "Kick");
            ClickButton(dlg, IDC_SAVE_SET);
            EXPECT_EQ(m_dlg->m_kit.m_names[kKickSound], "Boom");
            EXPECT_TRUE(dlg.IsRunning());
            ClickButton(dlg, IDCANCEL);
        });
        EXPECT_EQ(SoundShownFor("A"), "Kick");
        // Removing the binding of S refills the list.
        Click(KeyList()->viewport(), RowPoint(RowOf("S")), Qt::RightButton);
        EXPECT_EQ(SoundShownFor("A"), "Boom");
    });
    m_dlg.reset();
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_names[kKickSound], "Boom");
}

TEST_F(KeyDef, RenameSaveThenSetKeyAndExitShowsTheNameAtOnce) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, QStringLiteral("Boom"));
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDOK);
        });
        EXPECT_EQ(SoundShownFor("A"), "Boom");
    });
}

TEST_F(KeyDef, CancelInTheSoundNameDialogKeepsTheOldName) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            Rename(dlg, 2, QStringLiteral("Ride"), IDCANCEL);
            EXPECT_EQ(EntryText(dlg, 2), "Sound 2");
            // Left as it was: still the selected entry.
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 2);
            bool escaped = false;
            WhenActive<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
                escaped = true;
                TypeName(nameDlg, QStringLiteral("Ride"));
                PressKey(Qt::Key_Escape, kKeyEsc);
            });
            DoubleClick(SoundList(dlg)->viewport(), EntryPoint(dlg, 2));
            EXPECT_TRUE(escaped);
            EXPECT_EQ(EntryText(dlg, 2), "Sound 2");
            EXPECT_TRUE(dlg.IsRunning()) << "Esc reached the dialog beneath";
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDOK);
        });
        EXPECT_EQ(m_dlg->m_kit.m_names[2], "Sound 2");
    });
}

// Names written by the Windows program in its own code page, and in UTF-8 by
// older Linux builds, show as such and pass through the list box and "Save
// Drums Set" (pressed twice, nothing changed) unharmed.
TEST_F(KeyDef, StoredNamesShowAndComeOutByteForByteAfterSaveDrumsSetAndEsc) {
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
        OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(SoundList(dlg)->item(5)->text(), QString::fromUtf16(u"Ch\u00E2teau \u00C3"));
            EXPECT_EQ(SoundList(dlg)->item(6)->text(), QString::fromUtf16(u"Caf\u00E9"));
            for (int i = 0; i < kSoundCount; ++i)
                EXPECT_EQ(EntryText(dlg, i), m_names[i]) << "entry " << i;
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDC_SAVE_SET);
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
    });
    m_dlg.reset();
    EXPECT_EQ(ReadBytes("drums.set"), before);
}

// Windows-1252 where it holds the name, as the Windows program stores it;
// UTF-8 otherwise.
TEST_F(KeyDef, TypedNamesAreSavedIn1252OrUtf8AndShowTheSameAfterARestart) {
    const QString typed = QString::fromUtf16(u"\u00E9t\u00E9 \u0436");
    const std::string utf8 = "\xC3\xA9t\xC3\xA9 \xD0\xB6";
    const QString western = QString::fromUtf16(u"Caf\u00E9 \u20AC");
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickKeyBox(dlg);
            PressKey(Qt::Key_J, kKeyJ, Qt::NoModifier, QStringLiteral("j"));
            ClickEntry(dlg, 3);
            Rename(dlg, 3, western);
            ClickEntry(dlg, 2);
            Rename(dlg, 2, typed);
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDOK);
        });
    });
    Restart();
    RunDrumPad([&] {
        EXPECT_EQ(m_dlg->m_kit.m_names[2], utf8);
        EXPECT_EQ(m_dlg->m_kit.m_names[3], "Caf\xE9 \x80");
        EXPECT_EQ(KeyList()->topLevelItem(RowOf("J"))->text(1), typed);
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(SoundList(dlg)->item(2)->text(), typed);
            EXPECT_EQ(SoundList(dlg)->item(3)->text(), western);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 0)
                << "the chosen sound is not kept over a restart";
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
    });
}

// SIGTERM with both dialogs open ends each as with Cancel, then the program:
// the names stored before are written, the rename in progress is not.
TEST_F(KeyDef, TerminationSignalEndsBothDialogsAndDrumsSetKeepsTheStoredNames) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1);
    bool nameDialogOpen = false;
    const INT_PTR result = RunModal(*m_dlg, [&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, QStringLiteral("Boom"));
            ClickButton(dlg, IDC_SAVE_SET);
            ClickKeyBox(dlg);
            PressKey(Qt::Key_J, kKeyJ, Qt::NoModifier, QStringLiteral("j"));
            WhenActive<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
                nameDialogOpen = true;
                TypeName(nameDlg, QStringLiteral("Tom"));
                raise(SIGTERM);
            });
            DoubleClick(SoundList(dlg)->viewport(), EntryPoint(dlg, 3));
            EXPECT_EQ(EntryText(dlg, 3), "Sound 3");
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyJ], kNoSound);
    });
    EXPECT_TRUE(nameDialogOpen);
    EXPECT_EQ(result, IDCANCEL);
    m_dlg.reset();
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_names[kKickSound], "Boom");
    EXPECT_EQ(reread.m_names[3], "Sound 3");
    EXPECT_EQ(reread.m_keyMap[kKeyJ], kNoSound);
}

} // namespace
