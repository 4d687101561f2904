// SPDX-License-Identifier: MIT
// Binding keys: the key definition dialog opened from the drum pad window's key
// list, driven through Qt's offscreen platform over the fake sound device.
#include "AfxQt.h"
#include "KeyDefFixture.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

namespace {

TEST_F(KeyDef, OpensBelowTheRowsWithTheSoundsInOrderSoundZeroChosenAndNothingPlaying) {
    RunDrumPad([&] {
        m_fake.ClearLog();
        const bool opened = OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            QWidget* pWindow = AfxGetWidget(dlg);
            EXPECT_EQ(pWindow->windowTitle(), QStringLiteral("Add Key Definition / Rename Sounds"));
            // The focus is on "Set Key && Exit", whose ampersand shows once.
            auto* pOk = qobject_cast<QPushButton*>(AfxGetDlgItem(dlg, IDOK));
            EXPECT_EQ(FocusWidget(), pOk);
            EXPECT_EQ(pOk->text(), QStringLiteral("Set Key && Exit"));
            EXPECT_TRUE(pOk->isDefault());
            bool instructionSeen = false;
            for (QLabel* pLabel : pWindow->findChildren<QLabel*>()) {
                if (pLabel->text().startsWith(QStringLiteral("To set a key"))) {
                    instructionSeen = true;
                    EXPECT_TRUE(pLabel->text().endsWith(QStringLiteral("\"Set Key & Exit\".")))
                        << pLabel->text().toStdString();
                }
            }
            EXPECT_TRUE(instructionSeen);

            ASSERT_EQ(dlg.m_soundList.GetCount(), kSoundCount);
            for (int i = 0; i < kSoundCount; ++i)
                EXPECT_EQ(EntryText(dlg, i), m_names[i]) << "entry " << i;
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 0);
            EXPECT_EQ(dlg.m_soundList.GetCaretIndex(), 0);
            EXPECT_TRUE(EntryVisible(dlg, 0));
            EXPECT_EQ(dlg.m_sound, 0);
            EXPECT_EQ(dlg.m_key, kNoKey);
            EXPECT_EQ(dlg.m_keyBox.GetItemCount(), 0);
            EXPECT_EQ(KeyBox(dlg)->headerItem()->text(0), QStringLiteral("A"));
            EXPECT_TRUE(KeyBox(dlg)->header()->isHidden());
            EXPECT_EQ(Plays(), 0);
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
        EXPECT_TRUE(opened);
    });
}

TEST_F(KeyDef, SetKeyAndExitBindsTheLastKeyToTheChosenSoundAndTheNextOpeningPreselectsIt) {
    RunDrumPad([&] {
        const bool opened = OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            m_fake.ClearLog();
            ClickKeyBox(dlg);
            // Each key replaces the one before, held keys included; none plays.
            PressKey(Qt::Key_A, kKeyA, Qt::NoModifier, QStringLiteral("a"));
            EXPECT_EQ(KeyBoxText(dlg), "A");
            EXPECT_EQ(dlg.m_key, kKeyA);
            PressKey(Qt::Key_S, kKeyS, Qt::NoModifier, QStringLiteral("s"));
            SendKeyPress(FocusWidget(), Qt::Key_J, kKeyJ, Qt::NoModifier, false,
                         QStringLiteral("j"));
            SendKeyPress(FocusWidget(), Qt::Key_J, kKeyJ, Qt::NoModifier, true,
                         QStringLiteral("j"));
            EXPECT_EQ(dlg.m_keyBox.GetItemCount(), 1);
            EXPECT_EQ(KeyBoxText(dlg), "J");
            // The name shows whole: the one row is not scrolled away.
            {
                QTreeWidget* pBox = KeyBox(dlg);
                const QRect row = pBox->visualItemRect(pBox->topLevelItem(0));
                const int textHeight = pBox->fontMetrics().height();
                EXPECT_GE(row.top() + (row.height() - textHeight) / 2, 0);
                EXPECT_LE(row.top() + (row.height() + textHeight) / 2, pBox->viewport()->height());
            }
            EXPECT_EQ(dlg.m_key, kKeyJ);
            EXPECT_EQ(Plays(), 0);

            ClickEntry(dlg, kF1Sound + 2);
            EXPECT_EQ(dlg.m_sound, kF1Sound + 2);
            EXPECT_EQ(PlayedBuffers(), std::vector<int>{BufferOf(kF1Sound + 2, 1)});
            ClickButton(dlg, IDOK);
        });
        ASSERT_TRUE(opened);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyJ], kF1Sound + 2);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
        EXPECT_EQ(m_dlg->m_lastSound, kF1Sound + 2);
        // Refilled: the new row is there, the row clicked no longer selected.
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(SoundShownFor("J"), "Sound 22");
        EXPECT_EQ(SelectedRow(), -1);

        m_fake.ClearLog();
        OpenKeyDef(RowPoint(1), [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(dlg.m_sound, kF1Sound + 2);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), kF1Sound + 2);
            EXPECT_EQ(dlg.m_soundList.GetCaretIndex(), kF1Sound + 2);
            EXPECT_TRUE(EntryVisible(dlg, kF1Sound + 2));
            EXPECT_EQ(dlg.m_key, kNoKey);
            EXPECT_EQ(Plays(), 0);
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
    });
}

TEST_F(KeyDef, EnterInTheKeyBoxIsSetKeyAndExitEscIsExitTabMovesOnNoneIsCaptured) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickKeyBox(dlg);
            PressKey(Qt::Key_G, kKeyG, Qt::NoModifier, QStringLiteral("g"));
            PressKey(Qt::Key_Tab, kKeyTab);
            EXPECT_EQ(FocusWidget(), SoundList(dlg));
            EXPECT_EQ(KeyBoxText(dlg), "G");
            PressKey(Qt::Key_Backtab, kKeyTab, Qt::ShiftModifier);
            EXPECT_EQ(FocusWidget(), KeyBox(dlg));
            PressKey(Qt::Key_Return, kKeyEnter);
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyG], 0);
        EXPECT_EQ(SoundShownFor("G"), "Sound 0");

        // The row clicked stays selected: Exit does not even refill the list.
        const int rows = m_dlg->m_keyList.GetItemCount();
        OpenKeyDef(RowPoint(1), [&](CKeyDefDlg& dlg) {
            ClickEntry(dlg, 3);
            ClickKeyBox(dlg);
            PressKey(Qt::Key_H, kKeyH, Qt::NoModifier, QStringLiteral("h"));
            PressKey(Qt::Key_Escape, kKeyEsc);
            EXPECT_EQ(KeyBoxText(dlg), "H");
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
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickEntry(dlg, 5);
            ClickButton(dlg, IDOK);
        });
        EXPECT_TRUE(std::equal(before, before + kKeyMapSize, m_dlg->m_kit.m_keyMap));
        EXPECT_EQ(m_dlg->m_lastSound, 5);
        EXPECT_EQ(SelectedRow(), -1) << "the list was not refilled";
        OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 5);
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
    });
}

TEST_F(KeyDef, ArrowKeysThroughTheSoundListAuditionEachSoundPassed) {
    RunDrumPad([&] {
        OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            m_fake.ClearLog();
            // From "Set Key && Exit" along the tab stops: Exit, key box, sound list.
            for (int i = 0; i < 3; ++i)
                PressKey(Qt::Key_Tab, kKeyTab);
            ASSERT_EQ(FocusWidget(), SoundList(dlg));
            EXPECT_EQ(Plays(), 0);
            for (int i = 0; i < 4; ++i)
                PressKey(Qt::Key_Down, kKeyDown);
            PressKey(Qt::Key_Up, kKeyUp);
            // Through the same five-voice rings that drumming uses.
            const std::vector<int> expected = {BufferOf(1, 1), BufferOf(2, 1), BufferOf(3, 1),
                                               BufferOf(4, 1), BufferOf(3, 2)};
            EXPECT_EQ(PlayedBuffers(), expected);
            EXPECT_EQ(dlg.m_sound, 3);
            PressKey(Qt::Key_Return, kKeyEnter);
        });
        EXPECT_EQ(m_dlg->m_lastSound, 3);
    });
}

} // namespace
