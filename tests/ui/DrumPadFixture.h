// SPDX-License-Identifier: MIT
// The drum pad window over the fake sound device, in a folder of its own with
// a drum set of four bindings, and the key definition and sound name dialogs
// opened from it as the user does: the fixture of their tests on either
// toolkit, and the moves they are made of.
#pragma once

#include "DialogDriver.h"
#include "DrumPadDlg.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "KernelKeys.h"
#include "KeyDefDlg.h"
#include "KitFakes.h"
#include "SoundNameDlg.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The sounds the drum set binds or names apart from the others; F13's Windows
// code (a code without a name); virtual keys the layer's headers leave to Windows.
enum : int { kKickSound = 4, kSnareSound = 9, kF13Sound = 12, kEmptySound = 13, kF1Sound = 20 };
enum : int { kF13Code = 100 };
enum : UINT { kVkUp = 0x26, kVkDown = 0x28, kVkF13 = 0x7C };

// An entry of the sound list, whole.
inline std::string EntryText(const CKeyDefDlg& dlg, int entry) {
    std::string text;
    dlg.m_soundList.GetText(entry, text);
    return text;
}

// Double-clicks an entry of the sound list; in the sound name dialog that
// opens, types the name and leaves with the button given.
inline void Rename(CKeyDefDlg& dlg, int entry, const std::string& name, int button = IDOK) {
    bool opened = false;
    WhenOpens<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
        opened = true;
        TypeInto(nameDlg, IDC_SOUND_NAME, name);
        PushButton(nameDlg, button);
    });
    ClickRow(dlg, IDC_SOUND_LIST, entry, EClick::Double);
    EXPECT_TRUE(opened) << "no sound name dialog for entry " << entry;
    EXPECT_EQ(CDialog::GetActiveModal(), &dlg);
}

class DrumPad : public testing::Test {
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
            {kF13Code, kF13Sound},
        };
        WriteDrumSet(m_names, bindings, 4);
        Restart();
    }
    void TearDown() override { AfxGetApp()->m_pMainWnd = nullptr; }

    // A new drum pad window in the same folder, as when the program starts again.
    void Restart() {
        AfxGetApp()->m_pMainWnd = nullptr;
        m_dlg.reset();
        m_dlg.emplace();
        AfxGetApp()->m_pMainWnd = &*m_dlg;
    }
    // Runs the drum pad window; the script runs inside it and Esc ends it.
    void RunDrumPad(const std::function<void()>& script) {
        const INT_PTR result = DriveModal(*m_dlg, [&] {
            script();
            StrikeKey(VK_ESCAPE, kKeyEsc);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    std::string Shown(int id) { return ShownText(*m_dlg, id); }
    void FocusDrumBox() {
        StrikeKey(VK_TAB, kKeyTab);
        ASSERT_EQ(FocusedControl(*m_dlg), IDC_DRUM_BOX);
    }
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
    // Double-clicks the key list on that row (kBelowRows: below them); the
    // script runs in the key definition dialog. Returns whether it opened.
    bool OpenKeyDef(int row, const std::function<void(CKeyDefDlg&)>& script) {
        bool opened = false;
        WhenOpens<CKeyDefDlg>([&](CKeyDefDlg& dlg) {
            opened = true;
            script(dlg);
        });
        ClickRow(*m_dlg, IDC_KEY_LIST, row, EClick::Double);
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

// The same window, for the tests of its key definition dialog.
class KeyDef : public DrumPad {};
