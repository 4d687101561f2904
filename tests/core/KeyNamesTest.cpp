// SPDX-License-Identifier: MIT
#include "KeyNames.h"

#include <gtest/gtest.h>

struct SKeyNameCase {
    int code;
    const char* name;
};

class KeyNameOf : public ::testing::TestWithParam<SKeyNameCase> {};

TEST_P(KeyNameOf, MatchesTable) {
    EXPECT_EQ(GetParam().name, KeyName(static_cast<ScanCode>(GetParam().code)));
}

INSTANTIATE_TEST_SUITE_P(
    Table, KeyNameOf,
    ::testing::Values(SKeyNameCase{1, "Escape"}, SKeyNameCase{2, "1"}, SKeyNameCase{11, "0"},
                      SKeyNameCase{14, "Backspace"}, SKeyNameCase{28, "Enter"},
                      SKeyNameCase{30, "A"}, SKeyNameCase{41, "`"}, SKeyNameCase{43, "\\"},
                      SKeyNameCase{54, "Right Shift"}, SKeyNameCase{57, "Space"},
                      SKeyNameCase{59, "F1"}, SKeyNameCase{68, "F10"}, SKeyNameCase{74, "Pad's -"},
                      SKeyNameCase{76, "Pad's 5"}, SKeyNameCase{83, "Delete"},
                      SKeyNameCase{84, "Print Screen"}, SKeyNameCase{85, "?"},
                      SKeyNameCase{86, "?"}, SKeyNameCase{87, "F11"}, SKeyNameCase{88, "F12"},
                      SKeyNameCase{89, "?"}, SKeyNameCase{90, "?"}, SKeyNameCase{93, "Win Menu"},
                      // The gap: entry 94's filler is never returned.
                      SKeyNameCase{94, ""}, SKeyNameCase{100, ""}, SKeyNameCase{119, ""},
                      SKeyNameCase{120, "Right Ctrl"}, SKeyNameCase{121, "???2"},
                      SKeyNameCase{122, "2nd /"}, SKeyNameCase{123, "Pause"},
                      // Codes outside the table.
                      SKeyNameCase{0, ""}, SKeyNameCase{124, ""}, SKeyNameCase{128, ""},
                      SKeyNameCase{255, ""}));

TEST(KeyName, EveryCodeFrom1To93HasANonEmptyName) {
    for (int code = 1; code <= 93; ++code)
        EXPECT_FALSE(KeyName(static_cast<ScanCode>(code)).empty()) << code;
}
