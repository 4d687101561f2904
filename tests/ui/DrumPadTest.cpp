// SPDX-License-Identifier: MIT
// The drum pad window and its About box, driven through Qt's offscreen
// platform with key and mouse events, over the fake sound device.
#include "AboutDlg.h"
#include "AfxQt.h"
#include "DrumPadDlg.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "KitFakes.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <optional>

namespace {

const char kIdle[] = "Click the above box before you start to drum";
const char kDrumming[] = "Hit some defined keys to make some noise!";

constexpr int kKickSound = 4;
constexpr int kSnareSound = 9;
constexpr int kF13Sound = 12;
constexpr int kF1Sound = 20;

class DrumPad : public testing::Test {
protected:
    void SetUp() override {
        std::string names[kSoundCount];
        for (int i = 0; i < kSoundCount; ++i)
            names[i] = "Sound " + std::to_string(i);
        names[kKickSound] = "Kick";
        names[kSnareSound] = "Caf\xE9 Snare"; // written by the Windows program
        const SBinding bindings[] = {
            {kKeyA, kKickSound},
            {kKeyS, kSnareSound},
            {kKeyF1, kF1Sound},
            {100, kF13Sound}, // F13's Windows code: a code without a name
        };
        WriteDrumSet(names, bindings, 4);
        m_dlg.emplace();
        AfxGetApp()->m_pMainWnd = &*m_dlg;
    }
    void TearDown() override { AfxGetApp()->m_pMainWnd = nullptr; }

    QWidget* Window() { return AfxGetWidget(*m_dlg); }
    QTreeWidget* KeyList() { return qobject_cast<QTreeWidget*>(AfxGetWidget(m_dlg->m_keyList)); }
    QWidget* DrumBox() { return AfxGetWidget(m_dlg->m_drumBox); }
    QString LastStroke() { return LabelText(AfxGetDlgItem(*m_dlg, IDC_LAST_STROKE)); }
    QString Status() { return LabelText(AfxGetDlgItem(*m_dlg, IDC_STATUS_TEXT)); }
    int Plays() { return m_fake.Count(EFakeOp::Play); }
    void FocusDrumBox() {
        PressKey(Qt::Key_Tab, kKeyTab);
        ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == DrumBox(); }));
    }
    // The centre of a row of the key list, and a point below the last row.
    QPoint RowPoint(int row) {
        return KeyList()->visualItemRect(KeyList()->topLevelItem(row)).center();
    }
    QPoint BelowRows() { return QPoint(20, KeyList()->viewport()->height() - 5); }

    CTempFolder m_folder;
    CFakeSoundScope m_fake;
    std::optional<CDrumPadDlg> m_dlg;
};

TEST_F(DrumPad, OpensWithBindingsListedAndKeyListFocused) {
    const INT_PTR result = RunModal(*m_dlg, [&] {
        EXPECT_EQ(Window()->windowTitle(), QStringLiteral("Orvan's Drums for Windows"));
        EXPECT_EQ(FocusWidget(), KeyList());
        EXPECT_EQ(Status(), kIdle);
        EXPECT_EQ(LastStroke(), QString());
        EXPECT_EQ(m_dlg->m_lastSound, 0);

        QTreeWidget* pList = KeyList();
        EXPECT_EQ(pList->headerItem()->text(0), QStringLiteral("Key"));
        EXPECT_EQ(pList->headerItem()->text(1), QStringLiteral("Drum Sound"));
        EXPECT_EQ(pList->columnWidth(0), 60);
        EXPECT_EQ(pList->columnWidth(1), 170);
        ASSERT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 0), "A");
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(0, 1), "Kick");
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(2, 0), "F1");
        // The sound device is bound to the drum pad window itself.
        EXPECT_EQ(kds::CallGetMainWindow(), m_dlg->GetSafeHwnd());
        EXPECT_NE(kds::CallGetMainWindow(), nullptr);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DrumPad, NonUtf8NameSurvivesTheListAndTheFile) {
    const std::string before = ReadBytes("drums.set");
    RunModal(*m_dlg, [&] {
        // Shown as Windows-1252, handed back byte for byte.
        EXPECT_EQ(KeyList()->topLevelItem(1)->text(1), QString::fromUtf16(u"Caf\u00E9 Snare"));
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(1, 1), "Caf\xE9 Snare");
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    m_dlg.reset();
    EXPECT_EQ(ReadBytes("drums.set"), before);
}

TEST_F(DrumPad, DrumBoxNamesEachKeyAndStrikesItsSound) {
    RunModal(*m_dlg, [&] {
        FocusDrumBox();
        EXPECT_EQ(Status(), kDrumming);
        m_fake.ClearLog();

        PressKey(Qt::Key_A, kKeyA, Qt::NoModifier, QStringLiteral("a"));
        EXPECT_EQ(LastStroke(), QStringLiteral("A"));
        EXPECT_EQ(Plays(), 1);
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kKickSound, 1));

        PressKey(Qt::Key_D, kKeyD, Qt::NoModifier, QStringLiteral("d")); // unbound
        EXPECT_EQ(LastStroke(), QStringLiteral("D"));
        EXPECT_EQ(Plays(), 1);

        PressKey(Qt::Key_F13, kKeyF13); // code 100 has no name but is bound
        EXPECT_EQ(LastStroke(), QString());
        EXPECT_EQ(Plays(), 2);
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kF13Sound, 1));

        // F1 is an ordinary key here, not the help command.
        PressKey(Qt::Key_F1, kKeyF1);
        EXPECT_EQ(LastStroke(), QStringLiteral("F1"));
        EXPECT_EQ(Plays(), 3);
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);

        // A synthetic event without a native code is key 0, named and silent.
        SendKeyPress(FocusWidget(), Qt::Key_S, static_cast<unsigned>(-8));
        EXPECT_EQ(LastStroke(), QString());
        EXPECT_EQ(Plays(), 3);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, HeldKeyReplaysWithEachRepetitionThroughTheFiveVoices) {
    RunModal(*m_dlg, [&] {
        FocusDrumBox();
        m_fake.ClearLog();
        SendKeyPress(FocusWidget(), Qt::Key_S, kKeyS, Qt::NoModifier, false, QStringLiteral("s"));
        for (int i = 0; i < 6; ++i)
            SendKeyPress(FocusWidget(), Qt::Key_S, kKeyS, Qt::NoModifier, true,
                         QStringLiteral("s"));
        EXPECT_EQ(Plays(), 7);
        // Voices 1, 2, 3, 4, 0, 1, 2.
        EXPECT_EQ(m_fake.LastPlayedBuffer(), BufferOf(kSnareSound, 2));
        EXPECT_EQ(m_fake.Count(EFakeOp::Play, BufferOf(kSnareSound, 1)), 2);
        EXPECT_EQ(m_fake.Count(EFakeOp::Play, BufferOf(kSnareSound, 0)), 1);
        EXPECT_EQ(LastStroke(), QStringLiteral("S"));
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, StatusFollowsTheDrumBoxFocus) {
    RunModal(*m_dlg, [&] {
        EXPECT_EQ(Status(), kIdle);
        FocusDrumBox();
        EXPECT_EQ(Status(), kDrumming);
        PressKey(Qt::Key_Backtab, kKeyTab, Qt::ShiftModifier);
        EXPECT_TRUE(WaitUntil([&] { return FocusWidget() == KeyList(); }));
        EXPECT_EQ(Status(), kIdle);
        Click(DrumBox(), QPoint(10, 10));
        EXPECT_EQ(FocusWidget(), DrumBox());
        EXPECT_EQ(Status(), kDrumming);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, EnterDoesNothingAndEscEndsTheRunAndWritesDrumsSet) {
    std::filesystem::remove("drums.set");
    const SBinding binding = {kKeyA, kKickSound};
    std::string names[kSoundCount];
    WriteDrumSet(names, &binding, 1);
    const INT_PTR result = RunModal(*m_dlg, [&] {
        std::filesystem::remove("drums.set");
        m_dlg->m_kit.m_names[2] = "Clap"; // a change: a run without one writes nothing
        PressKey(Qt::Key_Return, kKeyEnter);
        PressKey(Qt::Key_Enter, kKeyKpEnter);
        FocusDrumBox();
        PressKey(Qt::Key_Return, kKeyEnter);
        ProcessEventsFor(50);
        EXPECT_TRUE(m_dlg->IsRunning());
        EXPECT_EQ(LastStroke(), QString()) << "Enter reached the drum box";
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_FALSE(std::filesystem::exists("drums.set")) << "written before the window object went";
    m_dlg.reset();
    ASSERT_TRUE(std::filesystem::exists("drums.set"));
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_keyMap[kKeyA], kKickSound);
    EXPECT_EQ(reread.m_names[2], "Clap");
}

TEST_F(DrumPad, CloseBoxEndsLikeEsc) {
    const INT_PTR result = RunModal(*m_dlg, [&] { Window()->close(); });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DrumPad, RightClickRemovesTheBindingClickedAndBelowTheRowsNothing) {
    RunModal(*m_dlg, [&] {
        QWidget* pViewport = KeyList()->viewport();
        // A row selected before, then a right-click below the last row.
        Click(pViewport, RowPoint(0));
        ASSERT_EQ(m_dlg->m_keyList.GetNextItem(-1, LVNI_SELECTED), 0);
        Click(pViewport, BelowRows(), Qt::RightButton);
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(m_dlg->m_keyList.GetNextItem(-1, LVNI_SELECTED), -1);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);

        // A right-click on the row of S removes S at once.
        Click(pViewport, RowPoint(1), Qt::RightButton);
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 3);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyS], kNoSound);
        EXPECT_EQ(m_dlg->m_keyList.GetItemText(1, 0), "F1");
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, KeysInTheKeyListPlayNothingAndDeleteRemovesNothing) {
    RunModal(*m_dlg, [&] {
        Click(KeyList()->viewport(), RowPoint(0));
        m_fake.ClearLog();
        PressKey(Qt::Key_A, kKeyA, Qt::NoModifier, QStringLiteral("a"));
        PressKey(Qt::Key_Delete, kKeyDelete);
        PressKey(Qt::Key_Down, kKeyDown);
        EXPECT_EQ(Plays(), 0);
        EXPECT_EQ(LastStroke(), QString());
        EXPECT_EQ(m_dlg->m_keyList.GetItemCount(), 4);
        EXPECT_EQ(m_dlg->m_kit.m_keyMap[kKeyA], kKickSound);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, KeyAddressedToTheWindowItselfPlaysOnlyUnrepeated) {
    RunModal(*m_dlg, [&] {
        Window()->setFocus();
        ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == Window(); }));
        m_fake.ClearLog();
        PressKey(Qt::Key_S, kKeyS, Qt::NoModifier, QStringLiteral("s"));
        EXPECT_EQ(LastStroke(), QStringLiteral("S"));
        EXPECT_EQ(Plays(), 1);
        // Coalesced repetitions (a repeat count of 2) are named but not played.
        QKeyEvent twice(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kKeyA + 8, 0, 0,
                        QStringLiteral("a"), true, 2);
        QApplication::sendEvent(Window(), &twice);
        EXPECT_EQ(LastStroke(), QStringLiteral("A"));
        EXPECT_EQ(Plays(), 1);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, RightClickOnAFreeSpotOpensTheWindowMenuAndItsAboutItem) {
    bool aboutSeen = false;
    RunModal(*m_dlg, [&] {
        RunWhen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                [] {
                    auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    pMenu->setActiveAction(pMenu->actions().at(3));
                    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, kKeyEnter + 8,
                                    0, 0);
                    QApplication::sendEvent(pMenu, &enter);
                });
        WhenActive<CAboutDlg>([&](CAboutDlg& about) {
            CDialog* pAbout = &about;
            aboutSeen = true;
            EXPECT_EQ(AfxGetWidget(*pAbout)->windowTitle(), QStringLiteral("About Kadenzo"));
            // Windows beneath take no input while it is open.
            EXPECT_EQ(QApplication::activeModalWidget(), AfxGetWidget(*pAbout));
            // Centred over the drum pad window.
            const QPoint offset = AfxGetWidget(*pAbout)->frameGeometry().center() -
                                  Window()->frameGeometry().center();
            EXPECT_LE(offset.manhattanLength(), 1);
            EXPECT_EQ(FocusWidget(), AfxGetDlgItem(*pAbout, IDOK));
            PressKey(Qt::Key_Return, kKeyEnter); // its OK button
        });
        // Beside the drum box, on no control.
        Click(Window(), QPoint(Window()->width() - 5, Window()->height() - 5), Qt::RightButton);
        EXPECT_TRUE(m_dlg->IsRunning());
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    EXPECT_TRUE(aboutSeen);
}

TEST_F(DrumPad, MinimisedWindowPaintsItsIconCentred) {
    RunModal(*m_dlg, [&] {
        QWidget* pWindow = Window();
        pWindow->setWindowState(Qt::WindowMinimized);
        ASSERT_TRUE(m_dlg->IsIconic());
        QImage shot(pWindow->size(), QImage::Format_ARGB32_Premultiplied);
        shot.fill(Qt::magenta);
        pWindow->render(&shot, QPoint(), QRegion(), QWidget::DrawWindowBackground);
        // The icon covers a 32 x 32 square at the centre and nothing at the corner.
        const int x = (pWindow->width() - 32 + 1) / 2;
        const int y = (pWindow->height() - 32 + 1) / 2;
        QImage icon(32, 32, QImage::Format_ARGB32_Premultiplied);
        icon.fill(pWindow->palette().window().color());
        {
            QPainter painter(&icon);
            painter.drawImage(0, 0, pWindow->windowIcon().pixmap(32, 32).toImage());
        }
        EXPECT_EQ(shot.copy(x, y, 32, 32), icon);
        EXPECT_EQ(shot.pixelColor(2, 2), pWindow->palette().window().color());
        pWindow->setWindowState(Qt::WindowNoState);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DrumPad, SessionEndSavesBeforeTheWindowCloses) {
    RunModal(*m_dlg, [&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound);
        std::filesystem::remove("drums.set");
        m_dlg->SendMessage(WM_ENDSESSION, TRUE, 0);
        ASSERT_TRUE(std::filesystem::exists("drums.set"));
        CDrumKit reread;
        reread.LoadSet("drums.set");
        EXPECT_EQ(reread.m_keyMap[kKeyZ], kKickSound);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

// The window ended the run and "drums.set" cannot be written: a box asks,
// Retry tries again, Cancel leaves the file and keeps the changes aside.
TEST_F(DrumPad, FailedSaveAsksRetryOrCancelAndKeepsTheChangesAside) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1); // no signal from earlier tests pending
    RunModal(*m_dlg, [&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound);
        std::filesystem::permissions("drums.set", std::filesystem::perms(0444));
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    const std::string before = ReadBytes("drums.set");
    std::vector<QString> asked;
    std::function<void()> answer = [&] {
        auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (pBox == nullptr) {
            QTimer::singleShot(10, answer);
            return;
        }
        asked.push_back(pBox->text());
        const bool retry = asked.size() == 1;
        pBox->button(retry ? QMessageBox::Retry : QMessageBox::Cancel)->click();
        if (retry)
            QTimer::singleShot(10, answer);
    };
    QTimer::singleShot(0, answer);
    m_dlg.reset();
    std::filesystem::permissions("drums.set", std::filesystem::perms(0644));

    ASSERT_EQ(2u, asked.size());
    EXPECT_EQ(before, ReadBytes("drums.set"));
    const std::vector<std::string> kept = FolderEntries(m_folder.Kept());
    ASSERT_EQ(1u, kept.size());
    const std::string path = (m_folder.Kept() / kept[0]).string();
    EXPECT_TRUE(asked[1].contains(QString::fromStdString(path))) << asked[1].toStdString();
    CDrumKit reread;
    ASSERT_EQ(1, reread.LoadSet(path.c_str()));
    EXPECT_EQ(reread.m_keyMap[kKeyZ], kKickSound);
}

} // namespace

// SIGINT, SIGTERM and SIGHUP end the program as Esc does, also with a nested
// dialog open, so that "drums.set" is written when the terminal goes away.
class DrumPadSignal : public DrumPad, public testing::WithParamInterface<int> {};

TEST_P(DrumPadSignal, EndsEveryOpenDialogAndTheKitWritesDrumsSet) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1);
    bool aboutOpen = false;
    const INT_PTR result = RunModal(*m_dlg, [&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound); // not in the file yet
        WhenActive<CAboutDlg>([&](CAboutDlg&) {
            aboutOpen = true;
            raise(GetParam());
        });
        m_dlg->SendMessage(WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
        // The About box has ended; the drum pad window ends as soon as this returns.
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);
    });
    EXPECT_TRUE(aboutOpen);
    EXPECT_EQ(result, IDCANCEL);
    // A closing terminal sends a second hang-up while the program unwinds:
    // it waits until the save is on the disk.
    raise(GetParam());
    m_dlg.reset();
    ASSERT_EQ(AfxInstallTerminationHandler(), 1); // that signal is not for the next test
    CDrumKit reread;
    reread.LoadSet("drums.set");
    EXPECT_EQ(reread.m_keyMap[kKeyZ], kKickSound);
}

INSTANTIATE_TEST_SUITE_P(Signals, DrumPadSignal, testing::Values(SIGINT, SIGTERM, SIGHUP));
