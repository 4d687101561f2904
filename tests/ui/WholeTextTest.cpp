// SPDX-License-Identifier: MIT
// How much of a text a control shows, and the whole texts kept behind it.
#include "AfxWholeText.h"

#include <gtest/gtest.h>

#include <ostream>

namespace {

struct SShownCase {
    const char* m_label;
    std::string m_text;
    size_t m_shown;
};

void PrintTo(const SShownCase& shownCase, std::ostream* pOut) {
    *pOut << shownCase.m_label;
}

std::string Repeat(const std::string& piece, size_t times) {
    std::string text;
    for (size_t i = 0; i < times; ++i)
        text += piece;
    return text;
}

constexpr size_t kCap = kAfxMaxShownText;
const std::string kEuro = "\xE2\x82\xAC"; // three bytes in UTF-8

class ShownLength : public testing::TestWithParam<SShownCase> {};

TEST_P(ShownLength, EndsOnAWholeCharacterWithinTheCap) {
    const SShownCase& shownCase = GetParam();
    EXPECT_EQ(AfxShownLength(shownCase.m_text), shownCase.m_shown);
    EXPECT_EQ(AfxShownText(shownCase.m_text), shownCase.m_text.substr(0, shownCase.m_shown));
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ShownLength,
    testing::Values(
        SShownCase{"Empty", "", 0}, SShownCase{"Short", "Kick", 4},
        // A control's text ends at its first NUL.
        SShownCase{"NulInside", std::string("Kick\0Snare", 10), 4},
        SShownCase{"ExactlyTheCap", std::string(kCap, 'k'), kCap},
        SShownCase{"OneByteOver", std::string(kCap + 1, 'k'), kCap},
        SShownCase{"Megabyte", std::string(1 << 20, 'k'), kCap},
        // 511 bytes, then a euro sign across the cap: it goes whole.
        SShownCase{"CharacterAcrossTheCap", std::string(kCap - 1, 'k') + kEuro, kCap - 1},
        SShownCase{"CharacterEndingAtTheCap", std::string(kCap - 3, 'k') + kEuro + "k", kCap},
        SShownCase{"FourByteCharacterAcrossTheCap", std::string(kCap - 2, 'k') + "\xF0\x9F\xA5\x81",
                   kCap - 2},
        // Bytes of a single-byte code page: no character starts there.
        SShownCase{"ContinuationBytesOnly", std::string(kCap + 8, '\xA9'), kCap},
        SShownCase{"ManyEuros", Repeat(kEuro, 1000), kCap / 3 * 3}),
    [](const testing::TestParamInfo<SShownCase>& info) { return info.param.m_label; });

TEST(WholeTexts, CellsShownCutReadBackWholeThroughInsertionsAndDeletions) {
    const std::string longA(2000, 'a');
    const std::string longB(3000, 'b');
    CAfxWholeTexts texts;
    // Rows 0..2 of a list: short, long A, long B in column 1.
    EXPECT_EQ(texts.Show(0, 0, "short"), "short");
    EXPECT_EQ(texts.Show(1, 0, longA), longA.substr(0, kCap));
    EXPECT_EQ(texts.Show(2, 1, longB), longB.substr(0, kCap));
    EXPECT_EQ(texts.Whole(0, 0), nullptr);
    EXPECT_EQ(texts.Whole(2, 0), nullptr) << "another column of the row";

    texts.InsertRow(1); // before A: A and B move down
    texts.Show(1, 0, "new");
    ASSERT_NE(texts.Whole(2, 0), nullptr);
    EXPECT_EQ(*texts.Whole(2, 0), longA);
    ASSERT_NE(texts.Whole(3, 1), nullptr);
    EXPECT_EQ(*texts.Whole(3, 1), longB);
    EXPECT_EQ(texts.Whole(1, 0), nullptr);

    texts.DeleteRow(2); // A goes; B moves up
    EXPECT_EQ(texts.Whole(2, 0), nullptr);
    ASSERT_NE(texts.Whole(2, 1), nullptr);
    EXPECT_EQ(*texts.Whole(2, 1), longB);

    // A short text over a cell shown cut: the cell is its own text again.
    EXPECT_EQ(texts.Show(2, 1, "Snare"), "Snare");
    EXPECT_EQ(texts.Whole(2, 1), nullptr);

    // A name an older Linux build stored in UTF-8 would come back from the
    // control in Windows-1252: kept like a cut one, though shown whole.
    EXPECT_EQ(texts.Show(2, 1, "Caf\xC3\xA9"), "Caf\xC3\xA9");
    ASSERT_NE(texts.Whole(2, 1), nullptr);
    EXPECT_EQ(*texts.Whole(2, 1), "Caf\xC3\xA9");

    texts.Show(0, 0, longA);
    texts.Clear();
    EXPECT_EQ(texts.Whole(0, 0), nullptr);
}

TEST(WholeTexts, CellsWithTheSameLongTextShareOneCopyAndOthersKeepTheirOwn) {
    const std::string name(100000, 'n');
    std::string sameSize = name;
    sameSize.back() = 'm';
    CAfxWholeTexts texts;
    for (int row = 0; row < 200; ++row)
        texts.Show(row, 1, name);
    texts.Show(200, 1, sameSize);
    for (int row = 1; row < 200; ++row)
        EXPECT_EQ(texts.Whole(row, 1), texts.Whole(0, 1)) << row;
    ASSERT_NE(texts.Whole(200, 1), nullptr);
    EXPECT_EQ(*texts.Whole(200, 1), sameSize);
    EXPECT_EQ(*texts.Whole(0, 1), name);
}

TEST(EditText, GivesTheWholeTextBackUntilTheShownPartIsChanged) {
    const std::string name = std::string(40000, 'k') + " end";
    CAfxEditText text;
    const std::string shown = text.Show(name);
    EXPECT_EQ(shown, name.substr(0, kCap));
    EXPECT_EQ(text.Read(shown), name) << "unedited";
    EXPECT_EQ(text.Read(shown + "!"), shown + "!") << "typed at the end";
    EXPECT_EQ(text.Read("Snare"), "Snare") << "replaced";
    EXPECT_EQ(text.Read(shown), name) << "edited back to what it showed";

    // The box gives back Windows-1252 for an untouched UTF-8 name.
    EXPECT_EQ(text.Show("Caf\xC3\xA9"), "Caf\xC3\xA9");
    EXPECT_EQ(text.Read("Caf\xE9"), "Caf\xC3\xA9") << "untouched";
    EXPECT_EQ(text.Read("Cafe"), "Cafe") << "edited";

    EXPECT_EQ(text.Show("Kick"), "Kick");
    EXPECT_EQ(text.Read("Kick"), "Kick");
    EXPECT_EQ(text.Read(shown), shown) << "a short text given since: nothing is behind it";
}

} // namespace
