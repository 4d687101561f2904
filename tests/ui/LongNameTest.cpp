// SPDX-License-Identifier: MIT
// Sound names far longer than a control shows, on either toolkit: the key
// list, the sound list and the sound name dialog show only their beginning,
// and every name the program reads back from them, stores in the kit and
// saves is the whole name, unless the user typed a new one.
#include "AfxCodePage.h"
#include "DrumPadFixture.h"

namespace {

// Longer than an edit box takes (32,767 characters), with characters of two
// bytes in UTF-8 all along, so that a cut may fall inside one.
std::string LongName() {
    std::string name = "Kick ";
    for (int i = 0; i < 40000; ++i)
        name += "k\xC3\xA9";
    return name;
}

const std::string kLongKick = LongName();
// As long as the kick's, and different only at the end.
const std::string kLongSnare = kLongKick.substr(0, kLongKick.size() - 1) + "!";

// What a control shows of a name: its beginning, as typing it would store it.
std::string Seen(const std::string& name) {
    return AfxBytesReadBack(AfxShownText(name));
}

class LongName : public DrumPad {
protected:
    void SetUp() override {
        for (int i = 0; i < kSoundCount; ++i)
            m_names[i] = "Sound " + std::to_string(i);
        m_names[kKickSound] = kLongKick;
        m_names[kSnareSound] = kLongSnare;
        const SBinding bindings[] = {{30, kKickSound}, {31, kSnareSound}, {32, kKickSound}};
        WriteDrumSet(m_names, bindings, 3);
        m_written = ReadBytes("drums.set");
        Restart();
    }
    // Opens the key definition dialog; the script runs in it, then "Exit".
    void InKeyDef(const std::function<void(CKeyDefDlg&)>& script) {
        EXPECT_TRUE(OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            script(dlg);
            PushButton(dlg, IDCANCEL);
        }));
    }
    // Double-clicks an entry; the script runs in the sound name dialog.
    static void InSoundName(CKeyDefDlg& dlg, int entry,
                            const std::function<void(CSoundNameDlg&)>& script) {
        bool opened = false;
        WhenOpens<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
            opened = true;
            script(nameDlg);
        });
        ClickRow(dlg, IDC_SOUND_LIST, entry, EClick::Double);
        EXPECT_TRUE(opened);
    }

    std::string m_written;
};

TEST_F(LongName, KeyListShowsTheBeginningAndGivesTheWholeNameBack) {
    RunDrumPad([&] {
        ASSERT_EQ(m_dlg->m_keyList.GetItemCount(), 3);
        const std::string* expected[] = {&kLongKick, &kLongSnare, &kLongKick};
        for (int row = 0; row < 3; ++row) {
            EXPECT_TRUE(m_dlg->m_keyList.GetItemText(row, 1) == *expected[row]) << "row " << row;
            EXPECT_EQ(ShownCell(*m_dlg, IDC_KEY_LIST, row, 1), Seen(*expected[row]));
        }
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 0), "A");
    });
}

TEST_F(LongName, SaveDrumsSetAfterRenamingAnotherSoundStoresTheLongNamesWhole) {
    RunDrumPad([&] {
        InKeyDef([&](CKeyDefDlg& dlg) {
            for (int entry : {kKickSound, kSnareSound})
                EXPECT_EQ(ShownCell(dlg, IDC_SOUND_LIST, entry), Seen(m_dlg->m_kit.m_names[entry]));
            // A rename just above the long names deletes and inserts an entry.
            InSoundName(dlg, kKickSound - 1, [](CSoundNameDlg& nameDlg) {
                TypeInto(nameDlg, IDC_SOUND_NAME, "Clap");
                PushButton(nameDlg, IDOK);
            });
            PushButton(dlg, IDC_SAVE_SET);
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
    RunDrumPad([&] { InKeyDef([&](CKeyDefDlg& dlg) { PushButton(dlg, IDC_SAVE_SET); }); });
    m_dlg.reset();
    EXPECT_TRUE(ReadBytes("drums.set") == m_written) << "the run changed a name";
}

TEST_F(LongName, RenameLeftUntouchedKeepsTheWholeNameInTheListAndTheKit) {
    RunDrumPad([&] {
        InKeyDef([&](CKeyDefDlg& dlg) {
            InSoundName(dlg, kKickSound, [](CSoundNameDlg& nameDlg) { PushButton(nameDlg, IDOK); });
            const std::string entry = EntryText(dlg, kKickSound);
            EXPECT_TRUE(entry == kLongKick) << entry.size() << " bytes in the list";
            PushButton(dlg, IDC_SAVE_SET);
        });
        EXPECT_TRUE(m_dlg->m_kit.m_names[kKickSound] == kLongKick);
    });
}

} // namespace
