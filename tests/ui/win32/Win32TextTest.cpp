// SPDX-License-Identifier: MIT
// Texts on Win32: bytes in the system's code page through the ANSI functions,
// unchanged both ways; long names shown cut and read back whole.
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

namespace {

constexpr size_t kMostShown = kAfxMaxShownText;

// Every byte from the blank up, "é" (0xE9 in code page 1252) among them.
std::string HighAndLowBytes() {
    std::string bytes;
    for (int b = 0x20; b <= 0xFF; ++b)
        bytes += static_cast<char>(b);
    return bytes;
}

std::string RawWindowText(HWND hWnd) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(hWnd)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

std::string RawListBoxText(HWND hList, int index) {
    std::string text(
        static_cast<size_t>(SendMessageA(hList, LB_GETTEXTLEN, static_cast<WPARAM>(index), 0)) + 1,
        '\0');
    text.resize(static_cast<size_t>(SendMessageA(hList, LB_GETTEXT, static_cast<WPARAM>(index),
                                                 reinterpret_cast<LPARAM>(text.data()))));
    return text;
}

std::string RawItemText(HWND hView, int item, int subItem) {
    char buffer[4096] = {};
    LVITEMA row = {};
    row.iSubItem = subItem;
    row.pszText = buffer;
    row.cchTextMax = sizeof buffer;
    const LRESULT length = SendMessageA(hView, LVM_GETITEMTEXTA, static_cast<WPARAM>(item),
                                        reinterpret_cast<LPARAM>(&row));
    return std::string(row.pszText, static_cast<size_t>(length));
}

TEST(TextBytes, CrossEveryControlUnchangedInTheSystemCodePage) {
    // The tests' Wine runs in code page 1252, as a Western Windows does.
    ASSERT_EQ(GetACP(), 1252u);
    const std::string bytes = HighAndLowBytes();
    ASSERT_NE(bytes.find('\xE9'), std::string::npos);

    CProbeDlg name(IDD_SOUNDNAME);
    name.m_name = bytes;
    name.m_error = bytes;
    name.m_steps = {[&] {
        // The controls hold the very bytes: no conversion on the way in.
        EXPECT_EQ(RawWindowText(name.Item(IDC_SOUND_NAME)), bytes);
        EXPECT_EQ(RawWindowText(name.Item(IDC_ERROR_TEXT)), bytes);
        name.m_name.clear();
        name.m_error.clear();
        EXPECT_TRUE(name.UpdateData(TRUE));
        name.EndDialog(IDOK);
        return true;
    }};
    name.DoModal();
    EXPECT_EQ(name.m_name, bytes);
    EXPECT_EQ(name.m_error, bytes);

    CProbeDlg keyDef(IDD_KEYDEF);
    std::string entry;
    keyDef.m_steps = {[&] {
        keyDef.m_soundList.InsertString(0, bytes);
        EXPECT_EQ(RawListBoxText(keyDef.Item(IDC_SOUND_LIST), 0), bytes);
        keyDef.m_soundList.GetText(0, entry);
        keyDef.EndDialog(IDOK);
        return true;
    }};
    keyDef.DoModal();
    EXPECT_EQ(entry, bytes);

    CProbeDlg pad(IDD_DRUMPAD);
    std::string columns[2];
    pad.m_steps = {[&] {
        pad.m_keyList.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        pad.m_keyList.InsertColumn(1, bytes, LVCFMT_LEFT, 170);
        pad.m_keyList.InsertItem(0, bytes);
        pad.m_keyList.SetItemText(0, 1, bytes);
        EXPECT_EQ(RawItemText(pad.Item(IDC_KEY_LIST), 0, 1), bytes);
        columns[0] = pad.m_keyList.GetItemText(0, 0);
        columns[1] = pad.m_keyList.GetItemText(0, 1);
        pad.EndDialog(IDOK);
        return true;
    }};
    pad.DoModal();
    EXPECT_EQ(columns[0], bytes);
    EXPECT_EQ(columns[1], bytes);
}

struct SLongName {
    const char* m_name;
    std::string m_text;
    size_t m_shown; // bytes the controls show
};

class LongName : public testing::TestWithParam<SLongName> {};

TEST_P(LongName, ShowsCutAndReadsBackWhole) {
    const std::string& text = GetParam().m_text;
    const std::string shown = text.substr(0, GetParam().m_shown);
    ASSERT_LE(shown.size(), kMostShown);

    CProbeDlg keyDef(IDD_KEYDEF);
    std::string entries[3];
    keyDef.m_steps = {[&] {
        CListBox& list = keyDef.m_soundList;
        list.InsertString(0, text);
        list.InsertString(0, "before");
        EXPECT_EQ(RawListBoxText(keyDef.Item(IDC_SOUND_LIST), 1), shown);
        list.GetText(1, entries[0]);
        // The rename: the entry deleted, the name inserted where it was.
        list.DeleteString(1);
        list.InsertString(1, text);
        list.GetText(1, entries[1]);
        list.DeleteString(1);
        list.InsertString(1, "short");
        list.GetText(1, entries[2]);
        keyDef.EndDialog(IDOK);
        return true;
    }};
    keyDef.DoModal();
    EXPECT_EQ(entries[0], text);
    EXPECT_EQ(entries[1], text);
    EXPECT_EQ(entries[2], "short");

    CProbeDlg pad(IDD_DRUMPAD);
    std::string cells[3];
    pad.m_steps = {[&] {
        CListCtrl& list = pad.m_keyList;
        list.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        list.InsertColumn(1, "Drum Sound", LVCFMT_LEFT, 170);
        list.InsertItem(0, text);
        list.SetItemText(0, 1, text);
        list.InsertItem(0, "A");
        EXPECT_EQ(RawItemText(pad.Item(IDC_KEY_LIST), 1, 0), shown);
        EXPECT_EQ(RawItemText(pad.Item(IDC_KEY_LIST), 1, 1), shown);
        cells[0] = list.GetItemText(1, 0);
        cells[1] = list.GetItemText(1, 1);
        list.DeleteAllItems();
        list.InsertItem(0, "B");
        cells[2] = list.GetItemText(0, 0);
        pad.EndDialog(IDOK);
        return true;
    }};
    pad.DoModal();
    EXPECT_EQ(cells[0], text);
    EXPECT_EQ(cells[1], text);
    EXPECT_EQ(cells[2], "B");

    CProbeDlg name(IDD_SOUNDNAME);
    name.m_name = text;
    name.m_error = text;
    name.m_steps = {[&] {
        EXPECT_EQ(RawWindowText(name.Item(IDC_SOUND_NAME)), shown);
        EXPECT_EQ(RawWindowText(name.Item(IDC_ERROR_TEXT)), shown);
        // OK on the name as it came: the whole name.
        SendMessageA(name.Item(IDOK), BM_CLICK, 0, 0);
        return true;
    }};
    EXPECT_EQ(name.DoModal(), IDOK);
    EXPECT_EQ(name.m_name, text);
    EXPECT_EQ(name.m_error, text);
}

INSTANTIATE_TEST_SUITE_P(
    Names, LongName,
    testing::Values(SLongName{"TenMegabytes", std::string(10'000'000, 'x') + "end", kMostShown},
                    SLongName{"AccentedLetters", std::string(600, '\xE9') + "!", kMostShown},
                    SLongName{"NulInside", std::string("Kick\0Snare", 10), 4}),
    [](const testing::TestParamInfo<SLongName>& info) { return std::string(info.param.m_name); });

// Typed at the end of the part shown, then perhaps taken back again.
class EditedLongName : public testing::TestWithParam<bool> {};

TEST_P(EditedLongName, IsTakenAsTypedUnlessRestored) {
    const bool takenBack = GetParam();
    const std::string text(1000, 'y');
    CProbeDlg name(IDD_SOUNDNAME);
    name.m_name = text;
    name.m_steps = {[&] {
                        HWND hEdit = name.Item(IDC_SOUND_NAME);
                        SendMessageA(hEdit, EM_SETSEL, kMostShown, kMostShown);
                        PostMessageA(hEdit, WM_CHAR, 'z', 1);
                        if (takenBack)
                            PostMessageA(hEdit, WM_CHAR, VK_BACK, 1);
                        return true;
                    },
                    [&] {
                        const int length = GetWindowTextLengthA(name.Item(IDC_SOUND_NAME));
                        return static_cast<size_t>(length) == kMostShown + (takenBack ? 0 : 1);
                    },
                    [&] {
                        SendMessageA(name.Item(IDOK), BM_CLICK, 0, 0);
                        return true;
                    }};
    EXPECT_EQ(name.DoModal(), IDOK);
    EXPECT_EQ(name.m_name, takenBack ? text : std::string(kMostShown, 'y') + "z");
}

INSTANTIATE_TEST_SUITE_P(Edits, EditedLongName, testing::Bool());

} // namespace
