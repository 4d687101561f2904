// SPDX-License-Identifier: MIT
// Sound names far longer than a control shows: the key list, the sound list and
// the sound name dialog show only their beginning, and every name the program
// reads back from them, stores in the kit and saves is the whole name, unless
// the user typed a new one. Through Qt's offscreen platform over the fake
// sound device.
#include "AfxQt.h"
#include "DrumPadDlg.h"
#include "FakeDirectSound.h"
#include "KernelKeys.h"
#include "KeyDefDlg.h"
#include "KeyDefFixture.h"
#include "SoundNameDlg.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Longer than Qt's line edit takes (32,767 characters), with characters of two
// bytes in UTF-8 all along, so that a cut may fall inside one.
std::string LongName(char letter, size_t pieces) {
    std::string name = "Kick ";
    for (size_t i = 0; i < pieces; ++i)
        name += std::string(1, letter) + "\xC3\xA9";
    return name;
}

const std::string kLongKick = LongName('k', 40000);
// As long as the kick's, and different only at the end.
const std::string kLongSnare = kLongKick.substr(0, kLongKick.size() - 1) + "!";

// What a control shows is the beginning of the name, and no more than the cap.
void ExpectShownCut(const QString& shown, const std::string& name) {
    const std::string bytes = shown.toStdString();
    EXPECT_LE(bytes.size(), kAfxMaxShownText);
    EXPECT_GE(bytes.size(), kAfxMaxShownText - 3);
    EXPECT_EQ(name.compare(0, bytes.size(), bytes), 0) << "not the name's beginning";
}

class LongName : public testing::Test {
protected:
    void SetUp() override {
        std::string names[kSoundCount];
        for (int i = 0; i < kSoundCount; ++i)
            names[i] = "Sound " + std::to_string(i);
        names[kKickSound] = kLongKick;
        names[kSnareSound] = kLongSnare;
        const SBinding bindings[] = {{30, kKickSound}, {31, kSnareSound}, {32, kKickSound}};
        WriteDrumSet(names, bindings, 3);
        m_written = ReadBytes("drums.set");
        m_dlg.emplace();
        AfxGetApp()->m_pMainWnd = &*m_dlg;
    }
    void TearDown() override { AfxGetApp()->m_pMainWnd = nullptr; }

    // Runs the drum pad window; the script runs inside it and Esc ends it.
    void RunDrumPad(const std::function<void()>& script) {
        const INT_PTR result = RunModal(*m_dlg, [&] {
            script();
            PressKey(Qt::Key_Escape, 1);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    QTreeWidget* KeyList() { return qobject_cast<QTreeWidget*>(AfxGetWidget(m_dlg->m_keyList)); }
    // Opens the key definition dialog; the script runs in it, then "Exit".
    void InKeyDef(const std::function<void(CKeyDefDlg&)>& script) {
        bool opened = false;
        WhenActive<CKeyDefDlg>([&](CKeyDefDlg& dlg) {
            opened = true;
            script(dlg);
            ClickButton(dlg, IDCANCEL);
        });
        DoubleClick(KeyList()->viewport(), QPoint(20, KeyList()->viewport()->height() - 5));
        EXPECT_TRUE(opened);
    }
    QListWidget* SoundList(CKeyDefDlg& dlg) {
        return qobject_cast<QListWidget*>(AfxGetWidget(dlg.m_soundList));
    }
    // Double-clicks an entry; the script runs in the sound name dialog.
    void InSoundName(CKeyDefDlg& dlg, int entry,
                     const std::function<void(CSoundNameDlg&)>& script) {
        bool opened = false;
        WhenActive<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
            opened = true;
            script(nameDlg);
        });
        QListWidget* pList = SoundList(dlg);
        pList->scrollToItem(pList->item(entry));
        DoubleClick(pList->viewport(), pList->visualItemRect(pList->item(entry)).center());
        EXPECT_TRUE(opened);
    }

    CTempFolder m_folder;
    CFakeSoundScope m_fake;
    std::optional<CDrumPadDlg> m_dlg;
    std::string m_written;
};

TEST_F(LongName, KeyListShowsTheBeginningAndGivesTheWholeNameBack) {
    RunDrumPad([&] {
        ASSERT_EQ(m_dlg->m_keyList.GetItemCount(), 3);
        const std::string* expected[] = {&kLongKick, &kLongSnare, &kLongKick};
        for (int row = 0; row < 3; ++row) {
            EXPECT_TRUE(m_dlg->m_keyList.GetItemText(row, 1) == *expected[row]) << "row " << row;
            ExpectShownCut(KeyList()->topLevelItem(row)->text(1), *expected[row]);
        }
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 0), "A");
    });
}

TEST_F(LongName, SaveDrumsSetAfterRenamingAnotherSoundStoresTheLongNamesWhole) {
    RunDrumPad([&] {
        InKeyDef([&](CKeyDefDlg& dlg) {
            for (int entry : {kKickSound, kSnareSound}) {
                ExpectShownCut(SoundList(dlg)->item(entry)->text(), m_dlg->m_kit.m_names[entry]);
            }
            // A rename just above the long names deletes and inserts an entry.
            InSoundName(dlg, kKickSound - 1, [&](CSoundNameDlg& nameDlg) {
                QLineEdit* pEdit = NameEdit(nameDlg);
                Click(pEdit, pEdit->rect().center());
                PressKey(Qt::Key_A, kKeyA, Qt::ControlModifier);
                PressKey(Qt::Key_unknown, 0, Qt::NoModifier, QStringLiteral("Clap"));
                ClickButton(nameDlg, IDOK);
            });
            ClickButton(dlg, IDC_SAVE_SET);
        });
        EXPECT_EQ(m_dlg->m_kit.m_names[kKickSound - 1], "Clap");
        EXPECT_TRUE(m_dlg->m_kit.m_names[kKickSound] == kLongKick);
        EXPECT_TRUE(m_dlg->m_kit.m_names[kSnareSound] == kLongSnare);
    });
    m_dlg.reset();
    CDrumKit reread;
    ASSERT_TRUE(reread.LoadSet("drums.set"));
    EXPECT_EQ(reread.m_names[kKickSound - 1], "Clap");
    EXPECT_TRUE(reread.m_names[kKickSound] == kLongKick);
    EXPECT_TRUE(reread.m_names[kSnareSound] == kLongSnare);
}

TEST_F(LongName, StoringEveryEntryUnchangedLeavesTheFileAsItWas) {
    RunDrumPad([&] { InKeyDef([&](CKeyDefDlg& dlg) { ClickButton(dlg, IDC_SAVE_SET); }); });
    m_dlg.reset();
    EXPECT_TRUE(ReadBytes("drums.set") == m_written) << "the run changed a name";
}

TEST_F(LongName, RenameLeftUntouchedKeepsTheWholeNameInTheListAndTheKit) {
    RunDrumPad([&] {
        InKeyDef([&](CKeyDefDlg& dlg) {
            InSoundName(dlg, kKickSound,
                        [&](CSoundNameDlg& nameDlg) { ClickButton(nameDlg, IDOK); });
            std::string entry;
            dlg.m_soundList.GetText(kKickSound, entry);
            EXPECT_TRUE(entry == kLongKick) << entry.size() << " bytes in the list";
            ClickButton(dlg, IDC_SAVE_SET);
        });
        EXPECT_TRUE(m_dlg->m_kit.m_names[kKickSound] == kLongKick);
    });
}

} // namespace
