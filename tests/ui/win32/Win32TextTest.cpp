// SPDX-License-Identifier: MIT
// Texts on Win32: bytes in the system's code page through the ANSI functions,
// unchanged both ways. Long names, shown cut, are the layer's on both
// toolkits (LongTextTest.cpp).
#include "Win32TestSupport.h"

#include <gtest/gtest.h>

namespace {

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

} // namespace
