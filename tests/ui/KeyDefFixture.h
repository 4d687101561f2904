// SPDX-License-Identifier: MIT
// The key definition dialog and the sound name dialog driven as the user does,
// from the drum pad window's key list, over the fake sound device: the fixture
// of their tests and the moves they are made of.
#pragma once

#include "AfxQt.h"
#include "AfxWin.h"
#include "DrumPadDlg.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "KeyDefDlg.h"
#include "KitFakes.h"
#include "SoundNameDlg.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

#include <QLineEdit>
#include <QListWidget>
#include <QPoint>
#include <QString>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

inline constexpr int kKickSound = 4;
inline constexpr int kSnareSound = 9;
inline constexpr int kEmptySound = 13;
inline constexpr int kF1Sound = 20;

// The key definition dialog's controls, and clicks on them.
QListWidget* SoundList(CKeyDefDlg& dlg);
QTreeWidget* KeyBox(CKeyDefDlg& dlg);
QPoint EntryPoint(CKeyDefDlg& dlg, int entry);
bool EntryVisible(CKeyDefDlg& dlg, int entry);
std::string EntryText(CKeyDefDlg& dlg, int entry);
void ClickEntry(CKeyDefDlg& dlg, int entry);
void ClickKeyBox(CKeyDefDlg& dlg);
void ClickButton(CDialog& dlg, int id);
std::string KeyBoxText(CKeyDefDlg& dlg);

// The sound name dialog's edit box and error line.
QLineEdit* NameEdit(CSoundNameDlg& dlg);
QString ErrorLine(CSoundNameDlg& dlg);
// Replaces the edit box's text as the user does: select all, then type.
void TypeName(CSoundNameDlg& dlg, const QString& text);

// Double-clicks an entry of the sound list; in the sound name dialog that
// opens, types the name and leaves with the button given.
void Rename(CKeyDefDlg& dlg, int entry, const QString& name, int button = IDOK);

class KeyDef : public testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kSoundCount; ++i)
            m_names[i] = "Sound " + std::to_string(i);
        m_names[kKickSound] = "Kick";
        m_names[kSnareSound] = "Caf\xE9 Snare"; // written by the Windows program
        m_names[kEmptySound] = "";
        const SBinding bindings[] = {
            {kKeyA, kKickSound},
            {kKeyS, kSnareSound},
            {kKeyF1, kF1Sound},
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
            PressKey(Qt::Key_Escape, kKeyEsc);
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
