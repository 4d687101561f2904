// SPDX-License-Identifier: MIT
// The program's texts are bytes, on either toolkit: every byte from the blank
// up (a name the Windows program wrote in its code page, "é" as 0xE9) goes
// into every kind of control and comes back unchanged as the program reads
// it; the user sees it as the toolkit shows those bytes. Names a Western
// Windows system stores show and are typed the same on both.
#include "AfxCodePage.h"
#include "DialogDriver.h"
#include "LayerProbe.h"
#include "TravellingNames.h"

#include <gtest/gtest.h>

namespace {

std::string HighAndLowBytes() {
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

TEST(TextBytes, CrossEveryControlUnchanged) {
    const std::string bytes = HighAndLowBytes();
    // As typing what shows would store it: on Linux, the five bytes that
    // Windows-1252 leaves undefined show as U+FFFD.
    const std::string seen = AfxBytesReadBack(bytes);

    CLayerProbeDlg name(IDD_SOUNDNAME);
    name.m_name = bytes;
    name.m_error = bytes;
    DriveModal(name, [&] {
        EXPECT_EQ(ShownText(name, IDC_SOUND_NAME), seen);
        EXPECT_EQ(ShownText(name, IDC_ERROR_TEXT), seen);
        name.m_name.clear();
        name.m_error.clear();
        EXPECT_TRUE(name.UpdateData(TRUE));
        name.EndDialog(IDOK);
    });
    EXPECT_EQ(name.m_name, bytes);
    EXPECT_EQ(name.m_error, bytes);

    CLayerProbeDlg keyDef(IDD_KEYDEF);
    std::string entry;
    DriveModal(keyDef, [&] {
        keyDef.m_soundList.InsertString(0, bytes);
        EXPECT_EQ(ShownCell(keyDef, IDC_SOUND_LIST, 0), seen);
        keyDef.m_soundList.GetText(0, entry);
        keyDef.EndDialog(IDOK);
    });
    EXPECT_EQ(entry, bytes);

    CLayerProbeDlg pad(IDD_DRUMPAD);
    std::string cells[2];
    DriveModal(pad, [&] {
        pad.m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        pad.m_keyList.InsertColumn(1, bytes, LVCFMT_LEFT, 170);
        pad.m_keyList.InsertItem(0, bytes);
        pad.m_keyList.SetItemText(0, 1, bytes);
        EXPECT_EQ(ShownCell(pad, IDC_KEY_LIST, 0, 1), seen);
        cells[0] = pad.m_keyList.GetItemText(0, 0);
        cells[1] = pad.m_keyList.GetItemText(0, 1);
        pad.EndDialog(IDOK);
    });
    EXPECT_EQ(cells[0], bytes);
    EXPECT_EQ(cells[1], bytes);
}

// Under Wine the system's code page is the Western one, 1252, as on the
// systems whose files Linux reads.
TEST(TextBytes, WesternNamesShowAndAreTypedAlike) {
    CLayerProbeDlg dlg(IDD_SOUNDNAME);
    DriveModal(dlg, [&] {
        for (const STravellingName& name : kTravellingNames) {
            dlg.m_name = name.m_bytes;
            dlg.UpdateData(FALSE);
            EXPECT_EQ(ShownCharacters(dlg, IDC_SOUND_NAME), name.m_shown) << name.m_what;
            dlg.m_name.clear();
            dlg.UpdateData(FALSE);
            FocusControl(dlg, IDC_SOUND_NAME);
            TypeCharacters(name.m_shown);
            EXPECT_TRUE(dlg.UpdateData(TRUE));
            EXPECT_EQ(dlg.m_name, name.m_bytes) << name.m_what;
        }
        dlg.EndDialog(IDOK);
    });
}

} // namespace
