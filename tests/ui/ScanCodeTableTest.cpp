// SPDX-License-Identifier: MIT
// The kernel key code to Windows scan code table, key by key.
#include "AfxKeys.h"

#include <gtest/gtest.h>

namespace {

struct SKeyCase {
    const char* m_key;
    unsigned m_kernelCode;
    unsigned m_lowByte;
    bool m_extended;
};

// clang-format off
const SKeyCase kCases[] = {
    {"no key (synthetic event)", 0, 0, false},
    {"Escape", 1, 1, false},
    {"A", 30, 30, false},
    {"Left Ctrl", 29, 29, false},
    {"Left Alt", 56, 56, false},
    {"keypad 7 / Home", 71, 71, false},
    {"keypad .", 83, 83, false},
    {"Num Lock", 69, 69, true},
    {"ISO key beside left Shift", 86, 86, false},
    {"F11", 87, 87, false},
    {"F12", 88, 88, false},
    {"Japanese Ro (no set-1 code kept)", 89, 0, false},
    {"Henkan", 92, 0, false},
    {"keypad Enter", 96, 28, true},
    {"Right Ctrl", 97, 29, true},
    {"keypad /", 98, 53, true},
    {"Print Screen", 99, 55, true},
    {"Right Alt", 100, 56, true},
    {"Linefeed", 101, 0, false},
    {"Home", 102, 71, true},
    {"Up", 103, 72, true},
    {"Page Up", 104, 73, true},
    {"Left", 105, 75, true},
    {"Right", 106, 77, true},
    {"End", 107, 79, true},
    {"Down", 108, 80, true},
    {"Page Down", 109, 81, true},
    {"Insert", 110, 82, true},
    {"Delete", 111, 83, true},
    {"Mute", 113, 0, false},
    {"Pause", 119, 69, false},
    {"Left Win", 125, 91, true},
    {"Right Win", 126, 92, true},
    {"Menu", 127, 93, true},
    {"F13", 183, 100, false},
    {"F18", 188, 105, false},
    {"F23", 193, 110, false},
    {"F24", 194, 118, false},
    {"beyond F24", 195, 0, false},
    {"largest X11 key code", 247, 0, false},
    {"out of range", 1000, 0, false},
};
// clang-format on

class ScanCodeTable : public testing::TestWithParam<SKeyCase> {};

TEST_P(ScanCodeTable, MapsKernelCodeToWindowsLowByteAndExtendedFlag) {
    const SKeyCase& key = GetParam();
    const uint16_t flags = AfxScanFlagsFromKernelKeyCode(key.m_kernelCode);
    EXPECT_EQ(flags & 0xFF, key.m_lowByte) << key.m_key;
    EXPECT_EQ((flags & KF_EXTENDED) != 0, key.m_extended) << key.m_key;
    EXPECT_EQ(flags & ~(0xFF | KF_EXTENDED), 0) << key.m_key;
}

INSTANTIATE_TEST_SUITE_P(Keys, ScanCodeTable, testing::ValuesIn(kCases));

TEST(ScanCodeTable, MainBlockAndFunctionKeysPassUnchanged) {
    for (unsigned code = 1; code <= 88; ++code)
        EXPECT_EQ(AfxScanFlagsFromKernelKeyCode(code) & 0xFF, code) << code;
}

TEST(ScanCodeTable, NoKernelCodeReachesCodesOnlyWindowsReports) {
    // 94 to 99 and 119 upwards (the names of 120 to 123 included) come only
    // from a "drums.set" written on Windows.
    for (unsigned code = 0; code < 768; ++code) {
        const unsigned low = AfxScanFlagsFromKernelKeyCode(code) & 0xFF;
        EXPECT_FALSE(low >= 94 && low <= 99) << code;
        EXPECT_FALSE(low >= 119) << code;
    }
}

} // namespace
