// SPDX-License-Identifier: MIT
// The four dialog templates against their tables in the program's
// documentation, copied here by hand from those tables (not from res/): the
// size, title and font of each dialog, and each control's id, kind, text,
// position, size, styles and place in the order. A wrong coordinate, a swapped
// label or a lost style shows here, whatever the windows look like.
#include "BuildInfo.h"
#include "DialogTemplates.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

struct SControlRow {
    int m_id;
    EControlKind m_kind;
    const char* m_text; // nullptr: the program words it (the About box's free lines)
    int m_x, m_y, m_cx, m_cy;
    uint32_t m_style;
    uint32_t m_exStyle;
};

struct SDialogRow {
    int m_id;
    uint32_t m_style;
    uint32_t m_exStyle;
    int m_cx, m_cy;
    const char* m_title;
    const SControlRow* m_pControls;
    int m_count;
};

constexpr uint32_t kGroupLeft = SS_LEFT | WS_GROUP;
constexpr uint32_t kGroupCentre = SS_CENTER | WS_GROUP;
constexpr uint32_t kDialog = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;

// clang-format off
const SControlRow kDrumPad[] = {
    {IDC_KEY_LIST, EControlKind::ListView, "", 30, 27, 168, 175,
     LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_NOLABELWRAP | LVS_AUTOARRANGE |
         LVS_NOSORTHEADER | WS_BORDER | WS_TABSTOP, 0},
    {IDC_LAST_STROKE, EControlKind::Static, "Last Stroke", 237, 50, 51, 8, kGroupCentre, 0},
    {IDC_DRUM_BOX, EControlKind::ListView, "", 235, 76, 60, 50, LVS_ICON | WS_BORDER | WS_TABSTOP,
     WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME},
    {IDC_STATUS_TEXT, EControlKind::Static, "Click the above box before you start to drum",
     228, 127, 75, 17, kGroupCentre, 0},
    {IDC_STATIC, EControlKind::Static, "Last key hit:", 244, 41, 39, 8, kGroupLeft, 0},
    {IDC_STATIC, EControlKind::Static,
     "Double-Click the key list to add a key definition, or rename a sound. Right-Click a key "
     "definition to delete it.", 7, 205, 216, 22, kGroupCentre, 0},
};

const SControlRow kAbout[] = {
    {IDOK, EControlKind::PushButton, "OK", 129, 105, 50, 14,
     BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 0},
    {IDC_STATIC, EControlKind::Static, "Kadenzo For Windows, by Orvan", 32, 14, 100, 8, SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Static, nullptr, 7, 41, 124, 8, SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Static, "You like this program? Tell me about it, drop a note to:",
     7, 58, 170, 8, SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Static, nullptr, 7, 67, 72, 8, SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Static, "Check out other stuff I've made at:", 7, 83, 110, 8,
     SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Static, nullptr, 7, 92, 115, 8, SS_LEFT, 0},
    {IDC_STATIC, EControlKind::Icon, "", 7, 7, 21, 20, 0, 0},
};

const SControlRow kKeyDef[] = {
    {IDOK, EControlKind::PushButton, "Set Key && Exit", 167, 109, 50, 14,
     BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {IDCANCEL, EControlKind::PushButton, "Exit", 112, 109, 50, 14, WS_TABSTOP, 0},
    {IDC_STATIC, EControlKind::Static,
     "To set a key, Click the box that's next to \"The Key:\" text, and hit a key. Then select "
     "the sound from the right, and press \"Set Key && Exit\".", 20, 7, 183, 26, kGroupLeft, 0},
    {IDC_STATIC, EControlKind::Static, "Sounds", 97, 39, 25, 8, kGroupLeft, 0},
    {IDC_STATIC, EControlKind::Static, "The Key:", 7, 39, 30, 8, kGroupLeft, 0},
    {IDC_KEY_BOX, EControlKind::ListView, "", 40, 36, 54, 13,
     LVS_LIST | LVS_NOSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {IDC_SOUND_LIST, EControlKind::ListBox, "", 127, 36, 90, 64,
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {IDC_STATIC, EControlKind::Static, "The box ^", 43, 51, 33, 8, kGroupLeft, 0},
    {IDC_STATIC, EControlKind::Static,
     "To rename a drum sound,  Double-Click it on the list that's on the right. After done "
     "changing the names, press \"Save Drums Set\".", 7, 62, 92, 43, kGroupLeft, 0},
    {IDC_SAVE_SET, EControlKind::PushButton, "Save Drums Set", 7, 109, 58, 14, WS_TABSTOP, 0},
};

const SControlRow kSoundName[] = {
    {IDOK, EControlKind::PushButton, "OK", 129, 38, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0},
    {IDCANCEL, EControlKind::PushButton, "Cancel", 77, 38, 50, 14, WS_TABSTOP, 0},
    {IDC_SOUND_NAME, EControlKind::Edit, "", 27, 7, 131, 14,
     ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0},
    {IDC_ERROR_TEXT, EControlKind::Static, "Error Desc.", 7, 25, 172, 8, kGroupLeft, 0},
};

#define ROWS(a) a, int(sizeof a / sizeof a[0])
const SDialogRow kDialogs[] = {
    {102, WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | DS_MODALFRAME,
     WS_EX_APPWINDOW, 323, 234, "Orvan's Drums for Windows", ROWS(kDrumPad)},
    {100, kDialog, 0, 186, 126, "About Kadenzo", ROWS(kAbout)},
    {179, kDialog, 0, 224, 130, "Add Key Definition / Rename Sounds", ROWS(kKeyDef)},
    {181, kDialog, 0, 186, 58, "Set New Name For A Sound ", ROWS(kSoundName)},
};
#undef ROWS
// clang-format on

class DialogTemplateTable : public ::testing::TestWithParam<SDialogRow> {};

TEST_P(DialogTemplateTable, MatchesTheDocumentedTemplate) {
    const SDialogRow& want = GetParam();
    const SDialogTemplate* pGot = FindDialogTemplate(want.m_id);
    ASSERT_NE(nullptr, pGot);
    EXPECT_EQ(want.m_style, pGot->m_style);
    EXPECT_EQ(want.m_exStyle, pGot->m_exStyle);
    EXPECT_EQ(want.m_cx, pGot->m_cx);
    EXPECT_EQ(want.m_cy, pGot->m_cy);
    EXPECT_STREQ(want.m_title, pGot->m_title);
    EXPECT_STREQ("MS Sans Serif", pGot->m_fontName);
    EXPECT_EQ(8, pGot->m_pointSize);
    ASSERT_EQ(want.m_count, pGot->m_itemCount);
    for (int i = 0; i < want.m_count; ++i) {
        const SControlRow& w = want.m_pControls[i];
        const SDialogItem& g = pGot->m_pItems[i];
        SCOPED_TRACE("control #" + std::to_string(i + 1));
        EXPECT_EQ(w.m_id, g.m_id);
        EXPECT_EQ(w.m_kind, g.m_kind);
        if (w.m_text) {
            EXPECT_STREQ(w.m_text, g.m_text);
        }
        EXPECT_EQ(w.m_x, g.m_x);
        EXPECT_EQ(w.m_y, g.m_y);
        EXPECT_EQ(w.m_cx, g.m_cx);
        EXPECT_EQ(w.m_cy, g.m_cy);
        EXPECT_EQ(w.m_style, g.m_style);
        EXPECT_EQ(w.m_exStyle, g.m_exStyle);
        EXPECT_EQ(w.m_kind == EControlKind::Icon ? IDR_MAINFRAME : 0, g.m_imageId);
    }
}

INSTANTIATE_TEST_SUITE_P(Dialogs, DialogTemplateTable, ::testing::ValuesIn(kDialogs),
                         [](const auto& info) { return "Id" + std::to_string(info.param.m_id); });

// The About box's credit, contact and web lines (template rows 3, 5 and 7).
const SDialogItem& AboutLine(int row) {
    return FindDialogTemplate(IDD_ABOUTBOX)->m_pItems[row - 1];
}

// Fit in MS Sans Serif 8, the font Windows shows the template in: a dialog
// unit is a quarter of its average character width, so a line of n
// characters takes about 4n units (see the template's data for why this
// errs on the wide side for such lines).
TEST(AboutBoxFreeLines, FitTheirFieldsInMsSansSerif) {
    for (int row : {3, 5, 7}) {
        const SDialogItem& line = AboutLine(row);
        EXPECT_FALSE(std::string(line.m_text).empty()) << "row " << row;
        EXPECT_LE(4 * int(std::strlen(line.m_text)), line.m_cx)
            << "row " << row << ": \"" << line.m_text << "\"";
    }
}

TEST(AboutBoxFreeLines, ShowTheVersionAndTheLicence) {
    const std::string credit = AboutLine(3).m_text;
    EXPECT_NE(std::string::npos, credit.find(KADENZO_VERSION)) << credit;
    EXPECT_NE(std::string::npos, credit.find("MIT")) << credit;
}

// An address shows only where the build was given one; otherwise no line
// makes one up.
TEST(AboutBoxFreeLines, ShowTheBuildsWebPageOrNoAddressAtAll) {
    const std::string homepage = KADENZO_HOMEPAGE;
    if (!homepage.empty()) {
        EXPECT_NE(std::string::npos, homepage.find(AboutLine(7).m_text)) << AboutLine(7).m_text;
        return;
    }
    for (int row : {3, 5, 7}) {
        const std::string text = AboutLine(row).m_text;
        for (const char* sign : {"@", "://", "www.", ".com", ".org", "README"})
            EXPECT_EQ(std::string::npos, text.find(sign)) << "row " << row << ": " << text;
    }
}

} // namespace
