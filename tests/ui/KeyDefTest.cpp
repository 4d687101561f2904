// SPDX-License-Identifier: MIT
// Binding keys and naming sounds: the key definition dialog opened from the
// drum pad window's key list, and the sound name dialog opened from its sound
// list, driven through Qt's offscreen platform over the fake sound device.
#include "AfxQt.h"
#include "DrumPadDlg.h"
#include "FakeDirectSound.h"
#include "KeyDefDlg.h"
#include "SoundNameDlg.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <optional>
#include <ostream>

namespace {

const char kBlankError[] = "Error: Sound name cannot be blank";

constexpr int kKickSound = 4;
constexpr int kSnareSound = 9;
constexpr int kEmptySound = 13;
constexpr int kF1Sound = 20;

// Kernel key codes (X11 native scan code minus 8), equal to the Windows codes.
constexpr unsigned kKeyA = 30;
constexpr unsigned kKeyS = 31;
constexpr unsigned kKeyG = 34;
constexpr unsigned kKeyH = 35;
constexpr unsigned kKeyJ = 36;
constexpr unsigned kKeyUp = 103;   // Windows: 72
constexpr unsigned kKeyDown = 108; // Windows: 80

// The fake numbers buffers in the order the kit makes them.
int BufferOf(int sound, int voice) {
    return sound * kVoicesPerSound + voice + 1;
}

// Runs the script inside the next dialog of that class once it is active.
template <class TDialog> void WhenActive(std::function<void(TDialog&)> script) {
    RunWhen(
        [] {
            auto* pTop = dynamic_cast<TDialog*>(CDialog::GetActiveModal());
            return pTop && AfxGetWidget(*pTop) && AfxGetWidget(*pTop)->isActiveWindow();
        },
        [script] { script(*dynamic_cast<TDialog*>(CDialog::GetActiveModal())); });
}

QListWidget* SoundList(CKeyDefDlg& dlg) {
    return qobject_cast<QListWidget*>(AfxGetWidget(dlg.m_soundList));
}
QTreeWidget* KeyBox(CKeyDefDlg& dlg) {
    return qobject_cast<QTreeWidget*>(AfxGetWidget(dlg.m_keyBox));
}
QPoint EntryPoint(CKeyDefDlg& dlg, int entry) {
    QListWidget* pList = SoundList(dlg);
    pList->scrollToItem(pList->item(entry));
    return pList->visualItemRect(pList->item(entry)).center();
}
bool EntryVisible(CKeyDefDlg& dlg, int entry) {
    QListWidget* pList = SoundList(dlg);
    return pList->viewport()->rect().intersects(pList->visualItemRect(pList->item(entry)));
}
std::string EntryText(CKeyDefDlg& dlg, int entry) {
    std::string text;
    dlg.m_soundList.GetText(entry, text);
    return text;
}
void ClickEntry(CKeyDefDlg& dlg, int entry) {
    Click(SoundList(dlg)->viewport(), EntryPoint(dlg, entry));
}
void ClickKeyBox(CKeyDefDlg& dlg) {
    Click(KeyBox(dlg)->viewport(), QPoint(5, 5));
    // A window that a closing dialog hands the activation back to takes it a
    // moment later.
    ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == KeyBox(dlg); }));
}
void ClickButton(CDialog& dlg, int id) {
    QWidget* pButton = AfxGetDlgItem(dlg, id);
    Click(pButton, pButton->rect().center());
}
std::string KeyBoxText(CKeyDefDlg& dlg) {
    return dlg.m_keyBox.GetItemText(0, 0);
}

QLineEdit* NameEdit(CSoundNameDlg& dlg) {
    return qobject_cast<QLineEdit*>(AfxGetDlgItem(dlg, IDC_SOUND_NAME));
}
QString ErrorLine(CSoundNameDlg& dlg) {
    return LabelText(AfxGetDlgItem(dlg, IDC_ERROR_TEXT));
}
// Replaces the edit box's text as the user does: select all, then type.
void TypeName(CSoundNameDlg& dlg, const QString& text) {
    QLineEdit* pEdit = NameEdit(dlg);
    Click(pEdit, pEdit->rect().center());
    PressKey(Qt::Key_A, kKeyA, Qt::ControlModifier);
    if (text.isEmpty())
        PressKey(Qt::Key_Backspace, 14);
    else
        PressKey(Qt::Key_unknown, 0, Qt::NoModifier, text);
}

// Double-clicks an entry of the sound list; in the sound name dialog that
// opens, types the name and leaves with the button given.
void Rename(CKeyDefDlg& dlg, int entry, const QString& name, int button = IDOK) {
    bool opened = false;
    WhenActive<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
        opened = true;
        TypeName(nameDlg, name);
        ClickButton(nameDlg, button);
    });
    DoubleClick(SoundList(dlg)->viewport(), EntryPoint(dlg, entry));
    EXPECT_TRUE(opened) << "no sound name dialog for entry " << entry;
    EXPECT_EQ(CDialog::GetActiveModal(), &dlg);
    EXPECT_TRUE(WaitUntil([&] { return AfxGetWidget(dlg)->isActiveWindow(); }))
        << "the key definition dialog did not take the activation back";
}

class KeyDef : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kSoundCount; ++i)
            m_names[i] = "Sound " + std::to_string(i);
        m_names[kKickSound] = "Kick";
        m_names[kSnareSound] = "Caf\xE9 Snare"; // written by the Windows program
        m_names[kEmptySound] = "";
        const SBinding bindings[] = {
            {30, kKickSound},  // A
            {31, kSnareSound}, // S
            {59, kF1Sound},    // F1
        };
        WriteDrumSet(m_names, bindings, 3);
        Restart();
    }
    void TearDown() override { AfxGetApp()->m_pMainWnd = nullptr; }

    // A new drum pad window in the same folder, as when the program starts again.
    void Restart() {
        if (m_dlg)
            AfxGetApp()->m_pMainWnd = nullptr;
        m_dlg.reset();
        m_dlg.emplace();
        AfxGetApp()->m_pMainWnd = &*m_dlg;
    }
    // Runs the drum pad window; the script runs inside it and Esc ends it.
    void RunDrumPad(const std::function<void()>& script) {
        const INT_PTR result = RunModal(*m_dlg, [&] {
            script();
            PressKey(Qt::Key_Escape, 1);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    QTreeWidget* KeyList() { return qobject_cast<QTreeWidget*>(AfxGetWidget(m_dlg->m_keyList)); }
    QPoint RowPoint(int row) {
        return KeyList()->visualItemRect(KeyList()->topLevelItem(row)).center();
    }
    QPoint BelowRows() { return QPoint(20, KeyList()->viewport()->height() - 5); }
    int SelectedRow() { return m_dlg->m_keyList.GetNextItem(-1, LVNI_SELECTED); }
    // The key list's row of a key name, or -1.
    int RowOf(const std::string& keyName) {
        for (int row = 0; row < m_dlg->m_keyList.GetItemCount(); ++row) {
            if (m_dlg->m_keyList.GetItemText(row, 0) == keyName)
                return row;
        }
        return -1;
    }
    std::string SoundShownFor(const std::string& keyName) {
        const int row = RowOf(keyName);
        return row < 0 ? std::string("(no row)") : m_dlg->m_keyList.GetItemText(row, 1);
    }
    // Double-clicks the key list there; the script runs in the key definition
    // dialog. Returns whether the dialog opened.
    bool OpenKeyDef(QPoint where, const std::function<void(CKeyDefDlg&)>& script) {
        bool opened = false;
        WhenActive<CKeyDefDlg>([&](CKeyDefDlg& dlg) {
            opened = true;
            script(dlg);
        });
        DoubleClick(KeyList()->viewport(), where);
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg) << "the key definition dialog stayed open";
        return opened;
    }
    int Plays() { return m_fake.Count(EFakeOp::Play); }
    // The buffers started since the log was cleared, in order.
    std::vector<int> PlayedBuffers() {
        std::vector<int> buffers;
        for (const SFakeCall& call : m_fake.Log()) {
            if (call.m_op == EFakeOp::Play)
                buffers.push_back(call.m_buffer);
        }
        return buffers;
    }

    std::string m_names[kSoundCount];
    CTempFolder m_folder;
    CFakeSoundScope m_fake;
    std::optional<CDrumPadDlg> m_dlg;
};

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
            PressKey(Qt::Key_Escape, 1);
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
            EXPECT_EQ(dlg.m_key, 30);
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
            EXPECT_EQ(dlg.m_key, 36);
            EXPECT_EQ(Plays(), 0);

            ClickEntry(dlg, kF1Sound + 2);
            EXPECT_EQ(dlg.m_sound, kF1Sound + 2);
            EXPECT_EQ(PlayedBuffers(), std::vector<int>{BufferOf(kF1Sound + 2, 1)});
            ClickButton(dlg, IDOK);
        });
        ASSERT_TRUE(opened);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[36], kF1Sound + 2);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[30], kKickSound);
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
            PressKey(Qt::Key_Escape, 1);
        });
    });
}

TEST_F(KeyDef, EnterInTheKeyBoxIsSetKeyAndExitEscIsExitTabMovesOnNoneIsCaptured) {
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickKeyBox(dlg);
            PressKey(Qt::Key_G, kKeyG, Qt::NoModifier, QStringLiteral("g"));
            PressKey(Qt::Key_Tab, 15);
            EXPECT_EQ(FocusWidget(), SoundList(dlg));
            EXPECT_EQ(KeyBoxText(dlg), "G");
            PressKey(Qt::Key_Backtab, 15, Qt::ShiftModifier);
            EXPECT_EQ(FocusWidget(), KeyBox(dlg));
            PressKey(Qt::Key_Return, 28);
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[34], 0);
        EXPECT_EQ(SoundShownFor("G"), "Sound 0");

        // The row clicked stays selected: Exit does not even refill the list.
        const int rows = m_dlg->m_keyList.GetItemCount();
        OpenKeyDef(RowPoint(1), [&](CKeyDefDlg& dlg) {
            ClickEntry(dlg, 3);
            ClickKeyBox(dlg);
            PressKey(Qt::Key_H, kKeyH, Qt::NoModifier, QStringLiteral("h"));
            PressKey(Qt::Key_Escape, 1);
            EXPECT_EQ(KeyBoxText(dlg), "H");
        });
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[35], kNoSound);
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
            PressKey(Qt::Key_Escape, 1);
        });
    });
}

TEST_F(KeyDef, ArrowKeysThroughTheSoundListAuditionEachSoundPassed) {
    RunDrumPad([&] {
        OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            m_fake.ClearLog();
            // From "Set Key && Exit" along the tab stops: Exit, key box, sound list.
            for (int i = 0; i < 3; ++i)
                PressKey(Qt::Key_Tab, 15);
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
            PressKey(Qt::Key_Return, 28);
        });
        EXPECT_EQ(m_dlg->m_lastSound, 3);
    });
}

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
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[36], 7);
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
                PressKey(Qt::Key_Escape, 1);
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

// Names written by the Windows program in its own code page pass through the
// list box and "Save Drums Set" (pressed twice, nothing changed) unharmed.
TEST_F(KeyDef, WindowsCodePageNamesComeOutByteForByteAfterSaveDrumsSetAndEsc) {
    for (int i = 0; i < 4; ++i) {
        m_names[i].clear();
        for (int b = 0x80 + 32 * i; b < 0x80 + 32 * (i + 1); ++b)
            m_names[i] += static_cast<char>(b);
    }
    m_names[5] = "Ch\xE2"
                 "teau \xC3"; // a UTF-8 lead byte cut short
    WriteDrumSet(m_names, nullptr, 0);
    const std::string before = ReadFileBytes("drums.set");
    Restart();
    RunDrumPad([&] {
        OpenKeyDef(BelowRows(), [&](CKeyDefDlg& dlg) {
            for (int i = 0; i < kSoundCount; ++i)
                EXPECT_EQ(EntryText(dlg, i), m_names[i]) << "entry " << i;
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDC_SAVE_SET);
            PressKey(Qt::Key_Escape, 1);
        });
    });
    m_dlg.reset();
    EXPECT_EQ(ReadFileBytes("drums.set"), before);
}

TEST_F(KeyDef, TypedNonAsciiNameIsSavedAsUtf8AndShowsTheSameAfterARestart) {
    const QString typed = QString::fromUtf16(u"\u00E9t\u00E9 \u0436");
    const std::string utf8 = "\xC3\xA9t\xC3\xA9 \xD0\xB6";
    RunDrumPad([&] {
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            ClickKeyBox(dlg);
            PressKey(Qt::Key_J, kKeyJ, Qt::NoModifier, QStringLiteral("j"));
            ClickEntry(dlg, 2);
            Rename(dlg, 2, typed);
            ClickButton(dlg, IDC_SAVE_SET);
            ClickButton(dlg, IDOK);
        });
    });
    Restart();
    RunDrumPad([&] {
        EXPECT_EQ(m_dlg->m_kit.m_names[2], utf8);
        EXPECT_EQ(KeyList()->topLevelItem(RowOf("J"))->text(1), typed);
        OpenKeyDef(RowPoint(0), [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(SoundList(dlg)->item(2)->text(), typed);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 0)
                << "the chosen sound is not kept over a restart";
            PressKey(Qt::Key_Escape, 1);
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
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[36], kNoSound);
    });
    EXPECT_TRUE(nameDialogOpen);
    EXPECT_EQ(result, IDCANCEL);
    m_dlg.reset();
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_names[kKickSound], "Boom");
    EXPECT_EQ(reread.m_names[3], "Sound 3");
    EXPECT_EQ(reread.m_keyMap[36], kNoSound);
}

// The sound name dialog on its own, as the key definition dialog runs it.
class SoundName : public testing::Test {
protected:
    INT_PTR Run(const std::function<void()>& script) { return RunModal(m_dlg, script); }

    CSoundNameDlg m_dlg;
};

TEST_F(SoundName, OpensWithTheNameAnEmptyErrorLineAndTheFocusOnOk) {
    m_dlg.m_name = "Kick";
    EXPECT_TRUE(m_dlg.m_error.empty());
    Run([&] {
        EXPECT_EQ(AfxGetWidget(m_dlg)->windowTitle(), QStringLiteral("Set New Name For A Sound "));
        EXPECT_EQ(NameEdit(m_dlg)->text(), QStringLiteral("Kick"));
        EXPECT_EQ(ErrorLine(m_dlg), QString());
        EXPECT_EQ(FocusWidget(), AfxGetDlgItem(m_dlg, IDOK));
        PressKey(Qt::Key_Escape, 1);
    });
}

// Blank names, typed or pasted, are refused with the error line, which stays
// while the dialog is open; a good name is then accepted.
struct SBlankCase {
    const char* m_label;
    QString m_text;
    bool m_pasted;
};

void PrintTo(const SBlankCase& blank, std::ostream* pOut) {
    *pOut << blank.m_label;
}

class SoundNameBlank : public SoundName, public testing::WithParamInterface<SBlankCase> {};

TEST_P(SoundNameBlank, IsRefusedUntilAGoodNameIsGiven) {
    m_dlg.m_name = "Kick";
    const INT_PTR result = Run([&] {
        if (GetParam().m_pasted) {
            TypeName(m_dlg, QString());
            QApplication::clipboard()->setText(GetParam().m_text);
            PressKey(Qt::Key_V, 47, Qt::ControlModifier);
        } else {
            TypeName(m_dlg, GetParam().m_text);
        }
        const QString shown = NameEdit(m_dlg)->text();
        PressKey(Qt::Key_Return, 28);
        ProcessEventsFor(20);
        EXPECT_TRUE(m_dlg.IsRunning());
        EXPECT_EQ(ErrorLine(m_dlg), QString::fromLatin1(kBlankError));
        EXPECT_EQ(NameEdit(m_dlg)->text(), shown) << "the user's text was changed";

        ClickButton(m_dlg, IDOK);
        EXPECT_TRUE(m_dlg.IsRunning());
        TypeName(m_dlg, QStringLiteral("Snare"));
        EXPECT_EQ(ErrorLine(m_dlg), QString::fromLatin1(kBlankError));
        ClickButton(m_dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "Snare");
}

INSTANTIATE_TEST_SUITE_P(
    Names, SoundNameBlank,
    testing::Values(SBlankCase{"Empty", QString(), false},
                    SBlankCase{"Blanks", QStringLiteral("   "), false},
                    SBlankCase{"PastedWhiteSpace", QStringLiteral(" \t\v\f\r\n "), true}),
    [](const testing::TestParamInfo<SBlankCase>& info) { return info.param.m_label; });

TEST_F(SoundName, ReturnsTheTextExactlyAsTypedBlanksIncludedButNoLineBreak) {
    const INT_PTR result = Run([&] {
        TypeName(m_dlg, QStringLiteral("  Big Kick "));
        PressKey(Qt::Key_Return, 28);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "  Big Kick ");

    CSoundNameDlg pasted;
    const INT_PTR pastedResult = RunModal(pasted, [&] {
        TypeName(pasted, QString());
        QApplication::clipboard()->setText(QStringLiteral("Big\nKick\r\n"));
        PressKey(Qt::Key_V, 47, Qt::ControlModifier);
        PressKey(Qt::Key_Return, 28);
    });
    EXPECT_EQ(pastedResult, IDOK);
    EXPECT_EQ(pasted.m_name, "Big Kick ");
}

} // namespace
