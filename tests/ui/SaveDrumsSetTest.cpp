// SPDX-License-Identifier: MIT
// "Save Drums Set" in the key definition dialog, on either toolkit: a sound
// renamed from the sound list reaches the kit's names, whichever entry it is,
// the last one included.
#include "DialogDriver.h"
#include "DrumKit.h"
#include "FakeDirectSound.h"
#include "KeyDefDlg.h"
#include "SoundNameDlg.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class SaveDrumsSet : public testing::TestWithParam<int> {};

TEST_P(SaveDrumsSet, StoresTheRenamedEntryAndLeavesTheOthers) {
    const int renamed = GetParam();
    CFakeSoundScope sound;
    CDrumKit kit;
    std::string names[kSoundCount];
    for (int i = 0; i < kSoundCount; ++i)
        names[i] = "Sound " + std::to_string(i);
    CKeyDefDlg dlg;
    dlg.m_pNames = names;
    dlg.m_count = kSoundCount;
    dlg.m_sound = 0;
    dlg.m_pKit = &kit;
    const INT_PTR result = DriveModal(dlg, [&] {
        WhenOpens<CSoundNameDlg>([](CSoundNameDlg& nameDlg) {
            TypeInto(nameDlg, IDC_SOUND_NAME, "Gong");
            PushButton(nameDlg, IDOK);
        });
        ClickRow(dlg, IDC_SOUND_LIST, renamed, EClick::Double);
        EXPECT_EQ(names[renamed], "Sound " + std::to_string(renamed)) << "stored before the save";
        PushButton(dlg, IDC_SAVE_SET);
        PushButton(dlg, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    for (int i = 0; i < kSoundCount; ++i)
        EXPECT_EQ(names[i], i == renamed ? "Gong" : "Sound " + std::to_string(i)) << "entry " << i;
}

INSTANTIATE_TEST_SUITE_P(Entries, SaveDrumsSet, testing::Values(0, 4, kSoundCount - 1));

} // namespace
