// SPDX-License-Identifier: MIT
// The sound name dialog on its own, on either toolkit: what it opens with,
// which names it refuses, and the text it hands back.
#include "DialogDriver.h"
#include "SoundNameDlg.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

const char kBlankError[] = "Error: Sound name cannot be blank";

TEST(SoundName, OpensWithTheNameAnEmptyErrorLineAndTheFocusOnOk) {
    CSoundNameDlg dlg;
    dlg.m_name = "Kick";
    EXPECT_TRUE(dlg.m_error.empty());
    const INT_PTR result = DriveModal(dlg, [&] {
        EXPECT_EQ(dlg.GetWindowText(), "Set New Name For A Sound ");
        EXPECT_EQ(ShownText(dlg, IDC_SOUND_NAME), "Kick");
        EXPECT_EQ(ShownText(dlg, IDC_ERROR_TEXT), "");
        EXPECT_EQ(FocusedControl(dlg), IDOK);
        StrikeKey(VK_ESCAPE, 1);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// Blank names, typed or pasted, are refused with the error line, which stays
// while the dialog is open; a good name is then accepted.
struct SBlankCase {
    const char* m_label;
    std::string m_text;
    bool m_pasted;
};

void PrintTo(const SBlankCase& blank, std::ostream* pOut) {
    *pOut << blank.m_label;
}

class SoundNameBlank : public testing::TestWithParam<SBlankCase> {};

TEST_P(SoundNameBlank, IsRefusedUntilAGoodNameIsGiven) {
    CSoundNameDlg dlg;
    dlg.m_name = "Kick";
    const INT_PTR result = DriveModal(dlg, [&] {
        if (GetParam().m_pasted) {
            TypeInto(dlg, IDC_SOUND_NAME, "");
            PasteText(GetParam().m_text);
        } else {
            TypeInto(dlg, IDC_SOUND_NAME, GetParam().m_text);
        }
        const std::string shown = ShownText(dlg, IDC_SOUND_NAME);
        StrikeKey(VK_RETURN, 28);
        EXPECT_TRUE(dlg.IsRunning());
        EXPECT_EQ(ShownText(dlg, IDC_ERROR_TEXT), kBlankError);
        EXPECT_EQ(ShownText(dlg, IDC_SOUND_NAME), shown) << "the user's text was changed";

        PushButton(dlg, IDOK);
        EXPECT_TRUE(dlg.IsRunning());
        TypeInto(dlg, IDC_SOUND_NAME, "Snare");
        EXPECT_EQ(ShownText(dlg, IDC_ERROR_TEXT), kBlankError);
        PushButton(dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_name, "Snare");
}

INSTANTIATE_TEST_SUITE_P(Names, SoundNameBlank,
                         testing::Values(SBlankCase{"Empty", "", false},
                                         SBlankCase{"Blanks", "   ", false},
                                         SBlankCase{"PastedWhiteSpace", " \t\v\f\r\n ", true}),
                         [](const testing::TestParamInfo<SBlankCase>& info) {
                             return info.param.m_label;
                         });

TEST(SoundName, ReturnsTheTextExactlyAsTypedBlanksIncluded) {
    CSoundNameDlg dlg;
    const INT_PTR result = DriveModal(dlg, [&] {
        TypeInto(dlg, IDC_SOUND_NAME, "  Big Kick ");
        StrikeKey(VK_RETURN, 28);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(dlg.m_name, "  Big Kick ");
}

} // namespace
