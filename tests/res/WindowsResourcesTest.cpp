// SPDX-License-Identifier: MIT
// The Windows build's resource section holds what the shared data says: the
// dialog templates as real templates, the string table, a version resource.
#include "DialogTemplates.h"
#include "Resources.h"
#include "resource.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

// "#N", the notation for a resource or class named by number.
std::string Ordinal(int number) {
    std::string text = "#";
    text += std::to_string(number);
    return text;
}

// Reads a DLGTEMPLATEEX as the dialog manager does.
class CTemplateReader {
public:
    CTemplateReader(const unsigned char* pData, size_t length) : m_pData(pData), m_length(length) {}
    bool Ok() const { return m_ok; }
    uint16_t Word() {
        if (m_pos + 2 > m_length) {
            m_ok = false;
            return 0;
        }
        const uint16_t value = uint16_t(m_pData[m_pos] | m_pData[m_pos + 1] << 8);
        m_pos += 2;
        return value;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | uint32_t(Word()) << 16;
    }
    int16_t Short() { return int16_t(Word()); }
    // A string or an ordinal (0xFFFF then the number, written "#N").
    std::string StringOrOrdinal() {
        uint16_t first = Word();
        if (first == 0xFFFF)
            return Ordinal(Word());
        std::string text;
        while (m_ok && first != 0) {
            text += first < 0x80 ? char(first) : '?';
            first = Word();
        }
        return text;
    }
    void AlignDword() { m_pos = (m_pos + 3) & ~size_t(3); }

private:
    const unsigned char* m_pData;
    size_t m_length;
    size_t m_pos = 0;
    bool m_ok = true;
};

// Whether a template's class is the control's: the predefined classes by name
// (in any case) or by their ordinals, the list view by name.
bool IsClassOf(EControlKind kind, std::string actual) {
    for (char& c : actual)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    switch (kind) {
    case EControlKind::PushButton:
        return actual == "BUTTON" || actual == "#128";
    case EControlKind::Edit:
        return actual == "EDIT" || actual == "#129";
    case EControlKind::Static:
    case EControlKind::Icon:
        return actual == "STATIC" || actual == "#130";
    case EControlKind::ListBox:
        return actual == "LISTBOX" || actual == "#131";
    case EControlKind::ListView:
        return actual == "SYSLISTVIEW32";
    }
    return false;
}

class WindowsDialogResource : public ::testing::TestWithParam<int> {};

TEST_P(WindowsDialogResource, MatchesTheSharedTemplateControlByControl) {
    const SDialogTemplate* pTemplate = FindDialogTemplate(GetParam());
    ASSERT_NE(nullptr, pTemplate);
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(GetParam()), MAKEINTRESOURCEA(5));
    ASSERT_NE(nullptr, info);
    const auto* pData = static_cast<const unsigned char*>(LockResource(LoadResource(module, info)));
    CTemplateReader r(pData, SizeofResource(module, info));
    EXPECT_EQ(1, r.Word());      // version
    EXPECT_EQ(0xFFFF, r.Word()); // the extended form
    r.Dword();                   // help id
    EXPECT_EQ(pTemplate->m_exStyle, r.Dword());
    // The FONT statement adds the style that says the template names a font.
    EXPECT_EQ(pTemplate->m_style | DS_SETFONT, r.Dword());
    const int count = r.Word();
    ASSERT_EQ(pTemplate->m_itemCount, count);
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(0, r.Short());
    EXPECT_EQ(pTemplate->m_cx, r.Short());
    EXPECT_EQ(pTemplate->m_cy, r.Short());
    EXPECT_EQ("", r.StringOrOrdinal()); // no menu
    EXPECT_EQ("", r.StringOrOrdinal()); // the dialog class
    EXPECT_EQ(pTemplate->m_title, r.StringOrOrdinal());
    EXPECT_EQ(pTemplate->m_pointSize, r.Word());
    r.Word(); // weight
    r.Word(); // italic, character set
    EXPECT_EQ(pTemplate->m_fontName, r.StringOrOrdinal());
    for (int i = 0; i < count; ++i) {
        const SDialogItem& item = pTemplate->m_pItems[i];
        SCOPED_TRACE("control " + std::to_string(i));
        r.AlignDword();
        r.Dword(); // help id
        EXPECT_EQ(item.m_exStyle, r.Dword());
        const uint32_t style = r.Dword();
        // Every control is a visible child; an icon control says so in its style.
        const uint32_t own = uint32_t(WS_CHILD | WS_VISIBLE) |
                             (item.m_kind == EControlKind::Icon ? uint32_t(SS_ICON) : 0u);
        EXPECT_EQ(item.m_style | own, style);
        EXPECT_EQ(item.m_x, r.Short());
        EXPECT_EQ(item.m_y, r.Short());
        EXPECT_EQ(item.m_cx, r.Short());
        EXPECT_EQ(item.m_cy, r.Short());
        EXPECT_EQ(uint32_t(item.m_id), r.Dword());
        const std::string className = r.StringOrOrdinal();
        EXPECT_TRUE(IsClassOf(item.m_kind, className)) << className;
        const std::string text = r.StringOrOrdinal();
        if (item.m_kind == EControlKind::Icon) {
            EXPECT_EQ(Ordinal(item.m_imageId), text);
        } else {
            EXPECT_EQ(item.m_text, text);
        }
        const uint16_t extra = r.Word();
        for (uint16_t b = 0; b < extra; b += 2)
            r.Word();
    }
    EXPECT_TRUE(r.Ok());
}

INSTANTIATE_TEST_SUITE_P(AllDialogs, WindowsDialogResource,
                         ::testing::Values(IDD_ABOUTBOX, IDD_DRUMPAD, IDD_KEYDEF, IDD_SOUNDNAME));

TEST(WindowsResources, StringTableHoldsTheAboutMenuText) {
    char text[64] = {};
    ASSERT_LT(0, LoadStringA(GetModuleHandleA(nullptr), IDS_ABOUTBOX, text, sizeof text));
    EXPECT_STREQ(LoadResourceString(IDS_ABOUTBOX), text);
}

TEST(WindowsResources, MainIconLoadsInBothSizes) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    for (int size : {16, 32}) {
        HANDLE icon =
            LoadImageA(instance, MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON, size, size, 0);
        EXPECT_NE(nullptr, icon) << size;
        if (icon != nullptr)
            DestroyIcon(static_cast<HICON>(icon));
    }
}

TEST(WindowsResources, VersionResourceNamesTheProgram) {
    HRSRC info =
        FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(16));
    ASSERT_NE(nullptr, info);
    const auto* pData = static_cast<const char*>(LockResource(LoadResource(nullptr, info)));
    const std::string bytes(pData, SizeofResource(nullptr, info));
    // The strings are UTF-16; look for the product name's letters spaced by zeros.
    const char kName[] = {'K', 0, 'a', 0, 'd', 0, 'e', 0, 'n', 0, 'z', 0, 'o', 0};
    EXPECT_NE(std::string::npos, bytes.find(std::string(kName, sizeof kName)));
}

} // namespace
