// SPDX-License-Identifier: MIT
// Every scan code's name against the table of key names as the program's
// documentation gives it, copied here by hand, code by code, from that table
// and not from the program: a misspelt or shifted name anywhere shows.
#include "KeyNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Codes 1 to 93, then 120 to 123; every other code has no name.
// clang-format off
const char* const kNames1To93[93] = {
    "Escape",       "1",           "2",           "3",          "4",
    "5",            "6",           "7",           "8",          "9",
    "0",            "-",           "=",           "Backspace",  "Tab",
    "Q",            "W",           "E",           "R",          "T",
    "Y",            "U",           "I",           "O",          "P",
    "[",            "]",           "Enter",       "Left Ctrl",  "A",
    "S",            "D",           "F",           "G",          "H",
    "J",            "K",           "L",           ";",          "'",
    "`",            "Left Shift",  "\\",          "Z",          "X",
    "C",            "V",           "B",           "N",          "M",
    ",",            ".",           "/",           "Right Shift", "*",
    "Alt",          "Space",       "Caps Lock",   "F1",         "F2",
    "F3",           "F4",          "F5",          "F6",         "F7",
    "F8",           "F9",          "F10",         "Number Lock", "Scroll Lock",
    "Home",         "Up Arrow",    "Page Up",     "Pad's -",    "Left Arrow",
    "Pad's 5",      "Right Arrow", "Pad's +",     "End",        "Down Arrow",
    "Page Down",    "Insert",      "Delete",      "Print Screen", "?",
    "?",            "F11",         "F12",         "?",          "?",
    "Left Win",     "Right Win",   "Win Menu",
};
const char* const kNames120To123[4] = {"Right Ctrl", "???2", "2nd /", "Pause"};
// clang-format on

std::string ExpectedName(int code) {
    if (code >= 1 && code <= 93)
        return kNames1To93[code - 1];
    if (code >= 120 && code <= 123)
        return kNames120To123[code - 120];
    return std::string();
}

} // namespace

TEST(KeyNameTable, EveryCodeFrom0To255NamesItsKeyAsDocumented) {
    // The hand copy is read in rows of five: code 1 at the top left.
    ASSERT_STREQ("Escape", kNames1To93[0]);
    ASSERT_STREQ("Win Menu", kNames1To93[92]);
    for (int code = 0; code <= 255; ++code)
        EXPECT_EQ(ExpectedName(code), KeyName(static_cast<ScanCode>(code))) << "scan code " << code;
}
