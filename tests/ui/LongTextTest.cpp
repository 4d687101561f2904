// SPDX-License-Identifier: MIT
// Texts far longer than a control shows, on either toolkit: lists, labels and
// edit boxes show at most kAfxMaxShownText bytes, cut on a whole character,
// and give the whole text back unless the user changed it.
#include "AfxCodePage.h"
#include "DialogDriver.h"
#include "LayerProbe.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

struct SLongText {
    const char* m_label;
    std::string m_text;
    size_t m_shown; // bytes the controls show
};

class LongText : public testing::TestWithParam<SLongText> {};

TEST_P(LongText, ShowsCutAndReadsBackWhole) {
    const std::string& text = GetParam().m_text;
    const std::string shown = text.substr(0, GetParam().m_shown);

    CLayerProbeDlg keyDef(IDD_KEYDEF);
    std::string entries[3];
    DriveModal(keyDef, [&] {
        CListBox& list = keyDef.m_soundList;
        list.InsertString(0, text);
        list.InsertString(0, "before");
        EXPECT_EQ(ShownCell(keyDef, IDC_SOUND_LIST, 1), shown);
        list.GetText(1, entries[0]);
        // The rename: the entry deleted, the name inserted where it was.
        list.DeleteString(1);
        list.InsertString(1, text);
        list.GetText(1, entries[1]);
        list.DeleteString(1);
        list.InsertString(1, "short");
        list.GetText(1, entries[2]);
        keyDef.EndDialog(IDOK);
    });
    EXPECT_TRUE(entries[0] == text);
    EXPECT_TRUE(entries[1] == text);
    EXPECT_EQ(entries[2], "short");

    CLayerProbeDlg pad(IDD_DRUMPAD);
    std::string cells[3];
    DriveModal(pad, [&] {
        CListCtrl& list = pad.m_keyList;
        list.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        list.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);
        list.InsertItem(0, text);
        list.SetItemText(0, 1, text);
        list.InsertItem(0, "A");
        EXPECT_EQ(ShownCell(pad, IDC_KEY_LIST, 1, 0), shown);
        EXPECT_EQ(ShownCell(pad, IDC_KEY_LIST, 1, 1), shown);
        cells[0] = list.GetItemText(1, 0);
        cells[1] = list.GetItemText(1, 1);
        list.DeleteAllItems();
        list.InsertItem(0, "B");
        cells[2] = list.GetItemText(0, 0);
        pad.EndDialog(IDOK);
    });
    EXPECT_TRUE(cells[0] == text);
    EXPECT_TRUE(cells[1] == text);
    EXPECT_EQ(cells[2], "B");

    CLayerProbeDlg name(IDD_SOUNDNAME);
    name.m_name = text;
    name.m_error = text;
    const INT_PTR result = DriveModal(name, [&] {
        EXPECT_EQ(ShownText(name, IDC_SOUND_NAME), shown);
        EXPECT_EQ(ShownText(name, IDC_ERROR_TEXT), shown);
        // OK on the name as it came: the whole name.
        PushButton(name, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(name.m_name == text);
    EXPECT_TRUE(name.m_error == text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, LongText,
    testing::Values(SLongText{"TenMegabytes", std::string(10'000'000, 'x') + "end",
                              kAfxMaxShownText},
                    // Bytes of a single-byte code page ("é" in 1252), no UTF-8.
                    SLongText{"AccentedLetters", std::string(600, '\xE9') + "!", kAfxMaxShownText},
                    SLongText{"NulInside", std::string("Kick\0Snare", 10), 4}),
    [](const testing::TestParamInfo<SLongText>& info) { return std::string(info.param.m_label); });

// Longer than any edit box takes (32,767 characters), with characters of two
// bytes in UTF-8 all along, so that a cut may fall inside one.
std::string LongKick() {
    std::string name = "Kick ";
    for (int i = 0; i < 40000; ++i)
        name += "k\xC3\xA9";
    return name;
}

// The sound name dialog opened on a long name, and left with OK.
struct SEditCase {
    const char* m_label;
    // What the user does in the edit box; none: leaves it as it opened.
    std::function<void(CLayerProbeDlg&)> m_edit;
    // The name returned, from the name given and the part the box showed.
    std::function<std::string(const std::string& name, const std::string& shown)> m_expected;
};

void PrintTo(const SEditCase& editCase, std::ostream* pOut) {
    *pOut << editCase.m_label;
}

class EditedLongText : public testing::TestWithParam<SEditCase> {};

TEST_P(EditedLongText, IsTakenAsTypedUnlessRestored) {
    static const std::string kName = LongKick();
    CLayerProbeDlg dlg(IDD_SOUNDNAME);
    dlg.m_name = kName;
    std::string shown;
    const INT_PTR result = DriveModal(dlg, [&] {
        // The bytes given to the box, seen as typing them would store them.
        shown = kName.substr(0, AfxShownLength(kName));
        EXPECT_GT(shown.size(), kAfxMaxShownText - 4);
        EXPECT_EQ(ShownText(dlg, IDC_SOUND_NAME), AfxBytesReadBack(shown));
        if (GetParam().m_edit) {
            FocusControl(dlg, IDC_SOUND_NAME);
            GetParam().m_edit(dlg);
        }
        PushButton(dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(dlg.m_name == GetParam().m_expected(kName, shown))
        << dlg.m_name.size() << " bytes returned";
}

INSTANTIATE_TEST_SUITE_P(
    Edits, EditedLongText,
    testing::Values(SEditCase{"Untouched", nullptr,
                              [](const std::string& name, const std::string&) { return name; }},
                    SEditCase{"TypedAtTheStart",
                              [](CLayerProbeDlg& dlg) {
                                  dlg.m_nameEdit.SetSel(0, 0);
                                  TypeText("!");
                              },
                              [](const std::string&, const std::string& shown) {
                                  return AfxBytesReadBack("!" + shown);
                              }},
                    SEditCase{"TypedAndTakenBack",
                              [](CLayerProbeDlg& dlg) {
                                  dlg.m_nameEdit.SetSel(0, 0);
                                  TypeText("!");
                                  StrikeKey(VK_BACK, 14);
                              },
                              [](const std::string& name, const std::string&) { return name; }},
                    SEditCase{"Replaced",
                              [](CLayerProbeDlg& dlg) {
                                  dlg.m_nameEdit.SetSel(0, -1);
                                  TypeText("Snare");
                              },
                              [](const std::string&, const std::string&) {
                                  return std::string("Snare");
                              }}),
    [](const testing::TestParamInfo<SEditCase>& info) { return info.param.m_label; });

} // namespace
