// SPDX-License-Identifier: MIT
// What only the Linux program's dialogs do: Qt's own widgets and events (keys
// Qt alone delivers, line breaks in a line edit, texts that fit their labels,
// the columns, the window menu and Alt+Space, the minimised window's icon, the
// key sent to the window itself, names typed beyond Windows-1252), the failed
// save's message box, and the signals that end the program.
#include "AboutDlg.h"
#include "AfxText.h"
#include "AfxToolkit.h"
#include "DrumPadFixture.h"
#include "LayerProbe.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include <csignal>
#include <filesystem>

namespace {

QTreeWidget* TreeOf(CWnd& control) {
    return qobject_cast<QTreeWidget*>(AfxGetWidget(control));
}

// A dead key, Ctrl held, the keypad's Delete reach the key box; the window's
// own keys (Alt, Alt with a letter, F10) never do; the box takes no input
// method; Alt+F4 closes the dialog, where no window manager takes it first.
TEST(QtKeys, ReachTheKeyBoxUnlessTheWindowTakesThem) {
    struct {
        const char* m_what;
        int m_qtKey;
        unsigned m_kernelCode;
        Qt::KeyboardModifiers m_modifiers;
        int m_flags; // -1: the key box must not hear of it
    } const keys[] = {
        {"dead circumflex", Qt::Key_Dead_Circumflex, kKeyLeftBrace, Qt::NoModifier, 26},
        {"Ctrl+A", Qt::Key_A, kKeyA, Qt::ControlModifier, 30},
        {"keypad Delete", Qt::Key_Delete, kKeyKpDelete, Qt::KeypadModifier, 83},
        {"Alt", Qt::Key_Alt, kKeyLeftAlt, Qt::NoModifier, -1},
        {"Alt+A", Qt::Key_A, kKeyA, Qt::AltModifier, -1},
        {"F10", Qt::Key_F10, kKeyF10, Qt::NoModifier, -1},
    };
    CLayerProbeDlg dlg(IDD_KEYDEF);
    const INT_PTR result = DriveModal(dlg, [&] {
        FocusControl(dlg, IDC_KEY_BOX);
        EXPECT_FALSE(FocusWidget()->testAttribute(Qt::WA_InputMethodEnabled));
        for (const auto& key : keys) {
            const int before = dlg.m_keyDowns;
            PressKey(key.m_qtKey, key.m_kernelCode, key.m_modifiers);
            EXPECT_EQ(dlg.m_keyDowns - before, key.m_flags < 0 ? 0 : 1) << key.m_what;
            if (key.m_flags >= 0) {
                EXPECT_EQ(dlg.m_keyFlags, static_cast<UINT>(key.m_flags)) << key.m_what;
            }
            EXPECT_EQ(FocusedControl(dlg), IDC_KEY_BOX) << key.m_what;
        }
        PressKey(Qt::Key_F4, kKeyF4, Qt::AltModifier);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// Qt's line edit would keep them, and a name would no longer be one line; a
// Win32 one-line edit keeps the text before the first break instead.
TEST(QtEditBox, TurnsPastedAndTypedLineBreaksIntoBlanks) {
    CLayerProbeDlg dlg(IDD_SOUNDNAME);
    dlg.m_name = "Kick";
    const INT_PTR result = DriveModal(dlg, [&] {
        auto* pEdit = qobject_cast<QLineEdit*>(AfxGetDlgItem(dlg, IDC_SOUND_NAME));
        FocusControl(dlg, IDC_SOUND_NAME);
        pEdit->end(false);
        PasteText(" Big\nBoom\r\nRoom\r");
        EXPECT_EQ(ShownText(dlg, IDC_SOUND_NAME), "Kick Big Boom Room ");
        EXPECT_EQ(pEdit->cursorPosition(), pEdit->text().size());
        pEdit->home(false);
        TypeText("1\u2029");
        StrikeKey(VK_RETURN, kKeyEnter);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_name, "1 Kick Big Boom Room ");
}

// Every text of every template shows whole in its label, with the font used,
// and every control lies inside the window.
class TemplateTexts : public testing::TestWithParam<UINT> {};

TEST_P(TemplateTexts, FitTheirLabelsAndEveryControlLiesInTheWindow) {
    CLayerProbeDlg dlg(GetParam());
    DriveModal(dlg, [&] {
        QWidget* pWindow = AfxGetWidget(dlg);
        for (QLabel* pLabel : pWindow->findChildren<QLabel*>()) {
            const int needed =
                pLabel->text().isEmpty() ? 0 : pLabel->heightForWidth(pLabel->width());
            EXPECT_LE(needed, std::max(pLabel->height(), pLabel->fontMetrics().height()))
                << pLabel->text().toStdString();
        }
        for (QWidget* pChild : pWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            EXPECT_TRUE(pChild->isWindow() || pWindow->rect().contains(pChild->geometry()))
                << pChild->metaObject()->className();
        }
        dlg.EndDialog(IDCANCEL);
    });
}

INSTANTIATE_TEST_SUITE_P(Dialogs, TemplateTexts,
                         testing::Values(IDD_ABOUTBOX, IDD_DRUMPAD, IDD_KEYDEF, IDD_SOUNDNAME));

TEST_F(DrumPad, KeyListColumnsAndAKeyWithoutANativeCode) {
    RunDrumPad([&] {
        QTreeWidget* pList = TreeOf(m_dlg->m_keyList);
        EXPECT_EQ(pList->headerItem()->text(0), QStringLiteral("Key"));
        EXPECT_EQ(pList->headerItem()->text(1), QStringLiteral("Drum Sound"));
        EXPECT_EQ(pList->columnWidth(0), 60);
        EXPECT_EQ(pList->columnWidth(1), 170);
        EXPECT_EQ(pList->topLevelItem(1)->text(1), QString::fromUtf16(u"Caf\u00E9 Snare"));
        // A synthetic event without a native code is key 0, named and silent.
        FocusDrumBox();
        StrikeKey('A', kKeyA);
        m_fake.ClearLog();
        SendKeyPress(FocusWidget(), Qt::Key_S, static_cast<unsigned>(-8));
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "");
        EXPECT_EQ(Plays(), 0);
    });
}

TEST_F(DrumPad, KeyAddressedToTheWindowItselfPlaysOnlyUnrepeated) {
    RunDrumPad([&] {
        QWidget* pWindow = AfxGetWidget(*m_dlg);
        pWindow->setFocus();
        ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == pWindow; }));
        m_fake.ClearLog();
        PressKey(Qt::Key_S, kKeyS, Qt::NoModifier, QStringLiteral("s"));
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "S");
        EXPECT_EQ(Plays(), 1);
        // Coalesced repetitions (a repeat count of 2) are named but not played.
        QKeyEvent twice(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, kKeyA + 8, 0, 0,
                        QStringLiteral("a"), true, 2);
        QApplication::sendEvent(pWindow, &twice);
        EXPECT_EQ(Shown(IDC_LAST_STROKE), "A");
        EXPECT_EQ(Plays(), 1);
    });
}

TEST_F(DrumPad, RightClickOnAFreeSpotOpensTheWindowMenuAndItsAboutItem) {
    bool aboutSeen = false;
    RunDrumPad([&] {
        QWidget* pWindow = AfxGetWidget(*m_dlg);
        RunWhen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                [] {
                    auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    pMenu->setActiveAction(pMenu->actions().at(3));
                    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, kKeyEnter + 8,
                                    0, 0);
                    QApplication::sendEvent(pMenu, &enter);
                });
        WhenOpens<CAboutDlg>([&](CAboutDlg& about) {
            CDialog* pAbout = &about;
            aboutSeen = true;
            EXPECT_EQ(AfxGetWidget(*pAbout)->windowTitle(), QStringLiteral("About Kadenzo"));
            // Windows beneath take no input while it is open.
            EXPECT_EQ(QApplication::activeModalWidget(), AfxGetWidget(*pAbout));
            // Centred over the drum pad window.
            const QPoint offset =
                AfxGetWidget(*pAbout)->frameGeometry().center() - pWindow->frameGeometry().center();
            EXPECT_LE(offset.manhattanLength(), 1);
            EXPECT_EQ(FocusWidget(), AfxGetDlgItem(*pAbout, IDOK));
            PressKey(Qt::Key_Return, kKeyEnter); // its OK button
        });
        // Beside the drum box, on no control.
        Click(pWindow, QPoint(pWindow->width() - 5, pWindow->height() - 5), Qt::RightButton);
        EXPECT_TRUE(m_dlg->IsRunning());
        EXPECT_EQ(CDialog::GetActiveModal(), &*m_dlg);
    });
    EXPECT_TRUE(aboutSeen);
}

// Alt+Space opens the window's own window menu where no window manager takes
// the key first (Qt's offscreen platform has none, like a bare X server).
// Under a desktop the manager's own menu opens instead, which no test here
// can see; the right-click on a free spot always opens ours.
TEST_F(DrumPad, AltSpaceOpensTheWindowMenuWithTheAboutItem) {
    QString lastItem;
    RunDrumPad([&] {
        RunWhen([] { return qobject_cast<QMenu*>(QApplication::activePopupWidget()) != nullptr; },
                [&] {
                    auto* pMenu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                    lastItem = pMenu->actions().last()->text();
                    pMenu->close();
                });
        PressKey(Qt::Key_Space, kKeySpace, Qt::AltModifier, QStringLiteral(" "));
        ASSERT_TRUE(WaitUntil([] { return QApplication::activePopupWidget() == nullptr; }));
    });
    EXPECT_EQ(QStringLiteral("&About Kadenzo..."), lastItem);
}

TEST_F(DrumPad, MinimisedWindowPaintsItsIconCentred) {
    RunDrumPad([&] {
        QWidget* pWindow = AfxGetWidget(*m_dlg);
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
    });
}

// The window ended the run and "drums.set" cannot be written: a box asks,
// Retry tries again, Cancel leaves the file and keeps the changes aside.
TEST_F(DrumPad, FailedSaveAsksRetryOrCancelAndKeepsTheChangesAside) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1); // no signal from earlier tests pending
    RunDrumPad([&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound);
        std::filesystem::permissions("drums.set", std::filesystem::perms(0444));
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

// The key definition dialog's widgets: the button's ampersand shows once, the
// instruction quotes the button, the key box has no header and its one row
// shows whole, the chosen entry is scrolled into view.
TEST_F(KeyDef, WidgetsShowTheirTextsAndTheChosenEntry) {
    RunDrumPad([&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            QWidget* pWindow = AfxGetWidget(dlg);
            auto* pOk = qobject_cast<QPushButton*>(AfxGetDlgItem(dlg, IDOK));
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
            QTreeWidget* pBox = TreeOf(dlg.m_keyBox);
            EXPECT_EQ(pBox->headerItem()->text(0), QStringLiteral("A"));
            EXPECT_TRUE(pBox->header()->isHidden());
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('J', kKeyJ);
            const QRect row = pBox->visualItemRect(pBox->topLevelItem(0));
            const int textHeight = pBox->fontMetrics().height();
            EXPECT_GE(row.top() + (row.height() - textHeight) / 2, 0);
            EXPECT_LE(row.top() + (row.height() + textHeight) / 2, pBox->viewport()->height());
            ClickRow(dlg, IDC_SOUND_LIST, kF1Sound + 2);
            PushButton(dlg, IDOK);
        });
        OpenKeyDef(1, [&](CKeyDefDlg& dlg) {
            auto* pList = qobject_cast<QListWidget*>(AfxGetWidget(dlg.m_soundList));
            const QRect entry = pList->visualItemRect(pList->item(kF1Sound + 2));
            EXPECT_TRUE(pList->viewport()->rect().intersects(entry));
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
    });
}

// Stored UTF-8 names show as such; names typed are saved in Windows-1252
// where it holds them, as the Windows program stores them, UTF-8 otherwise,
// and show the same after a restart.
TEST_F(KeyDef, StoredAndTypedNamesShowAsUtf8OrWindows1252) {
    m_names[5] = "Ch\xE2"
                 "teau \xC3"; // a UTF-8 lead byte cut short
    m_names[6] = "Caf\xC3\xA9";
    WriteDrumSet(m_names, nullptr, 0);
    const QString typed = QString::fromUtf16(u"\u00E9t\u00E9 \u0436");
    const QString western = QString::fromUtf16(u"Caf\u00E9 \u20AC");
    const auto itemText = [](CKeyDefDlg& dlg, int entry) {
        return qobject_cast<QListWidget*>(AfxGetWidget(dlg.m_soundList))->item(entry)->text();
    };
    Restart();
    RunDrumPad([&] {
        OpenKeyDef(kBelowRows, [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(itemText(dlg, 5), QString::fromUtf16(u"Ch\u00E2teau \u00C3"));
            EXPECT_EQ(itemText(dlg, 6), QString::fromUtf16(u"Caf\u00E9"));
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('J', kKeyJ);
            ClickRow(dlg, IDC_SOUND_LIST, 3);
            Rename(dlg, 3, AfxBytesFromText(western));
            ClickRow(dlg, IDC_SOUND_LIST, 2);
            Rename(dlg, 2, typed.toStdString());
            PushButton(dlg, IDC_SAVE_SET);
            PushButton(dlg, IDOK);
        });
    });
    Restart();
    RunDrumPad([&] {
        EXPECT_EQ(m_dlg->m_kit.m_names[2], "\xC3\xA9t\xC3\xA9 \xD0\xB6");
        EXPECT_EQ(m_dlg->m_kit.m_names[3], "Caf\xE9 \x80");
        EXPECT_EQ(TreeOf(m_dlg->m_keyList)->topLevelItem(RowOf("J"))->text(1), typed);
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            EXPECT_EQ(itemText(dlg, 2), typed);
            EXPECT_EQ(itemText(dlg, 3), western);
            EXPECT_EQ(dlg.m_soundList.GetCurSel(), 0)
                << "the chosen sound is not kept over a restart";
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
    });
}

// SIGTERM with both dialogs open ends each as with Cancel, then the program:
// the names stored before are written, the rename in progress is not.
TEST_F(KeyDef, TerminationSignalEndsBothDialogsAndDrumsSetKeepsTheStoredNames) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1);
    bool nameDialogOpen = false;
    const INT_PTR result = DriveModal(*m_dlg, [&] {
        OpenKeyDef(0, [&](CKeyDefDlg& dlg) {
            Rename(dlg, kKickSound, "Boom");
            PushButton(dlg, IDC_SAVE_SET);
            FocusControl(dlg, IDC_KEY_BOX);
            StrikeKey('J', kKeyJ);
            WhenOpens<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
                nameDialogOpen = true;
                TypeInto(nameDlg, IDC_SOUND_NAME, "Tom");
                raise(SIGTERM);
            });
            ClickRow(dlg, IDC_SOUND_LIST, 3, EClick::Double);
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

// SIGINT, SIGTERM and SIGHUP end the program as Esc does, also with a nested
// dialog open, so that "drums.set" is written when the terminal goes away.
class DrumPadSignal : public DrumPad, public testing::WithParamInterface<int> {};

TEST_P(DrumPadSignal, EndsEveryOpenDialogAndTheKitWritesDrumsSet) {
    ASSERT_EQ(AfxInstallTerminationHandler(), 1);
    bool aboutOpen = false;
    const INT_PTR result = DriveModal(*m_dlg, [&] {
        m_dlg->m_kit.Assign(kKeyZ, kKickSound); // not in the file yet
        WhenOpens<CAboutDlg>([&](CAboutDlg&) {
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
