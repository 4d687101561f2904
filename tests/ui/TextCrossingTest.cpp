// SPDX-License-Identifier: MIT
// The crossing between the program's 8-bit texts and Qt's strings: stored
// bytes show as UTF-8 or else as Windows-1252; typed text is stored in
// Windows-1252 where that holds it.
#include "AfxCodePage.h"
#include "AfxText.h"

#include <gtest/gtest.h>

#include <iconv.h>

namespace {

struct SCrossingCase {
    const char* m_what;
    std::string m_bytes;
    std::u16string m_shown;
    std::string m_typed; // what typing the shown text stores
};

const SCrossingCase kCases[] = {
    {"plain ASCII", "Kick Drum", u"Kick Drum", "Kick Drum"},
    {"Windows-1252 name", "Caf\xE9", u"Caf\u00E9", "Caf\xE9"},
    {"UTF-8 name of an older Linux build", "Caf\xC3\xA9", u"Caf\u00E9", "Caf\xE9"},
    {"UTF-8 euro sign", "\xE2\x82\xAC", u"\u20AC", "\x80"},
    {"UTF-8 beyond Windows-1252",
     "Stra\xC3\x9F"
     "e \xD0\xB6",
     u"Stra\u00DFe \u0436",
     "Stra\xC3\x9F"
     "e \xD0\xB6"},
    {"UTF-8 four-byte", "\xF0\x9F\xA5\x81", u"\U0001F941", "\xF0\x9F\xA5\x81"},
    {"truncated sequence", "\xE2\x82", u"\u00E2\u201A", "\xE2\x82"},
    {"overlong NUL", "\xC0\x80", u"\u00C0\u20AC", "\xC0\x80"},
    {"encoded surrogate", "\xED\xA0\x80", u"\u00ED\u00A0\u20AC", "\xED\xA0\x80"},
    {"undefined byte", "a\x81z", u"a\uFFFDz", "a\xEF\xBF\xBDz"},
    // Its Windows-1252 form, C3 A9, would read back as UTF-8 "é".
    {"Windows-1252 form that reads as UTF-8", "\xC3\x83\xC2\xA9", u"\u00C3\u00A9",
     "\xC3\x83\xC2\xA9"},
    {"empty", "", u"", ""},
};

class TextCrossingCases : public testing::TestWithParam<SCrossingCase> {};

TEST_P(TextCrossingCases, ShowsUtf8OrWindows1252AndStoresTypedTextIn1252WhereItFits) {
    const SCrossingCase& c = GetParam();
    const QString shown = AfxTextFromBytes(c.m_bytes);
    EXPECT_EQ(shown, QString::fromStdU16String(c.m_shown)) << c.m_what;
    EXPECT_EQ(AfxBytesFromText(shown), c.m_typed) << c.m_what;
    // Bytes that typing would not give back are the controls' to keep.
    EXPECT_EQ(AfxBytesReadBack(c.m_bytes), c.m_typed) << c.m_what;
}

INSTANTIATE_TEST_SUITE_P(Texts, TextCrossingCases, testing::ValuesIn(kCases));

// glibc's own table: the five bytes it leaves undefined show as U+FFFD.
TEST(TextCrossing, EveryHighByteShowsAsGlibcsWindows1252AndTypesBackToItself) {
    const iconv_t toUtf8 = iconv_open("UTF-8", "CP1252");
    ASSERT_NE(toUtf8, reinterpret_cast<iconv_t>(-1));
    int undefined = 0;
    for (int byte = 0x80; byte <= 0xFF; ++byte) {
        char in = static_cast<char>(byte);
        char out[8] = {};
        char* pIn = &in;
        char* pOut = out;
        size_t inLeft = 1;
        size_t outLeft = sizeof out;
        const bool defined =
            iconv(toUtf8, &pIn, &inLeft, &pOut, &outLeft) != static_cast<size_t>(-1);
        const std::string bytes = std::string("x") + in;
        const QString shown = AfxTextFromBytes(bytes);
        if (!defined) {
            ++undefined;
            EXPECT_EQ(shown, QString::fromUtf16(u"x\uFFFD")) << byte;
            continue;
        }
        EXPECT_EQ(shown, QStringLiteral("x") + QString::fromUtf8(out)) << byte;
        EXPECT_EQ(AfxBytesFromText(shown), bytes) << byte;
    }
    iconv_close(toUtf8);
    EXPECT_EQ(undefined, 5);
}

TEST(TextCrossing, LoneSurrogateHalfIsStoredAsTheReplacementCharacter) {
    EXPECT_EQ(AfxBytesFromText(QString(QChar(0xD800))), "\xEF\xBF\xBD");
}

TEST(TextCrossing, LabelsShowTemplateAmpersandsTheWindowsWay) {
    EXPECT_EQ(AfxLabelTextFromTemplate("Set Key && Exit"), QStringLiteral("Set Key & Exit"));
    EXPECT_EQ(AfxLabelTextFromTemplate("&About"), QStringLiteral("About"));
    EXPECT_EQ(AfxLabelTextFromTemplate("a &&& b"), QStringLiteral("a & b"));
    EXPECT_EQ(AfxLabelTextFromTemplate("trailing &"), QStringLiteral("trailing "));
}

} // namespace
