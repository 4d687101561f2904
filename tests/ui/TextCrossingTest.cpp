// SPDX-License-Identifier: MIT
// The crossing between the program's 8-bit texts and Qt's strings.
#include "AfxText.h"

#include <gtest/gtest.h>

namespace {

TEST(TextCrossing, EveryHighByteAloneSurvivesTheTripAsItsPrivateCharacter) {
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        const std::string bytes = std::string("a") + static_cast<char>(byte) + "b";
        const QString text = AfxTextFromBytes(bytes);
        ASSERT_EQ(text.size(), 3) << byte;
        EXPECT_EQ(text[1].unicode(), 0xF700 + byte) << byte;
        EXPECT_EQ(AfxBytesFromText(text), bytes) << byte;
    }
}

struct SCrossingCase {
    const char* m_what;
    std::string m_bytes;
    std::u16string m_shown;
};

const SCrossingCase kCases[] = {
    {"plain ASCII", "Kick Drum", u"Kick Drum"},
    {"UTF-8 two-byte", "Caf\xC3\xA9", u"Caf\u00E9"},
    {"UTF-8 three-byte", "\xE2\x82\xAC", u"\u20AC"},
    {"UTF-8 four-byte", "\xF0\x9F\xA5\x81", u"\U0001F941"},
    {"Windows-1252 name", "Caf\xE9", u"Caf\uF7E9"},
    {"truncated sequence", "\xE2\x82", u"\uF7E2\uF782"},
    {"overlong NUL", "\xC0\x80", u"\uF7C0\uF780"},
    {"encoded surrogate", "\xED\xA0\x80", u"\uF7ED\uF7A0\uF780"},
    {"beyond U+10FFFF", "\xF4\x90\x80\x80", u"\uF7F4\uF790\uF780\uF780"},
    {"encoded escape character", "\xEF\x9E\x80", u"\uF7EF\uF79E\uF780"},
    {"private character outside the escapes", "\xEF\x9C\x80", u"\uF700"},
    {"continuation byte alone", "x\x80y", u"x\uF780y"},
    {"empty", "", u""},
};

class TextCrossingCases : public testing::TestWithParam<SCrossingCase> {};

TEST_P(TextCrossingCases, ShowsValidUtf8AndBringsEveryByteBack) {
    const SCrossingCase& c = GetParam();
    const QString text = AfxTextFromBytes(c.m_bytes);
    EXPECT_EQ(text, QString::fromStdU16String(c.m_shown)) << c.m_what;
    EXPECT_EQ(AfxBytesFromText(text), c.m_bytes) << c.m_what;
}

INSTANTIATE_TEST_SUITE_P(Texts, TextCrossingCases, testing::ValuesIn(kCases));

TEST(TextCrossing, TypedTextIsStoredAsUtf8) {
    EXPECT_EQ(AfxBytesFromText(QString::fromUtf8("Stra\xC3\x9F"
                                                 "e \xE2\x82\xAC")),
              "Stra\xC3\x9F"
              "e \xE2\x82\xAC");
    // A lone surrogate half has no UTF-8 form and becomes the replacement character.
    EXPECT_EQ(AfxBytesFromText(QString(QChar(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextCrossing, LabelsShowTemplateAmpersandsTheWindowsWay) {
    EXPECT_EQ(AfxLabelTextFromTemplate("Set Key && Exit"), QStringLiteral("Set Key & Exit"));
    EXPECT_EQ(AfxLabelTextFromTemplate("&About"), QStringLiteral("About"));
    EXPECT_EQ(AfxLabelTextFromTemplate("a &&& b"), QStringLiteral("a & b"));
    EXPECT_EQ(AfxLabelTextFromTemplate("trailing &"), QStringLiteral("trailing "));
}

} // namespace
