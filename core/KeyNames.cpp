// SPDX-License-Identifier: MIT
#include "KeyNames.h"

namespace {

// Entry n names scan code n for 1..93; entries 95..98 name codes 120..123.
// Entry 94 is a filler that no lookup reaches. Constant-initialised, so the
// table is complete before any code runs, even another file's static
// initialisation.
// clang-format off
constexpr const char* kKeyNameTable[99] = {
    "",
    "Escape", "1", "2", "3", "4", "5", "6", "7", "8", "9", "0", "-", "=",
    "Backspace", "Tab", "Q", "W", "E", "R", "T", "Y", "U", "I", "O", "P", "[", "]",
    "Enter", "Left Ctrl", "A", "S", "D", "F", "G", "H", "J", "K", "L", ";", "'", "`",
    "Left Shift", "\\", "Z", "X", "C", "V", "B", "N", "M", ",", ".", "/", "Right Shift",
    "*", "Alt", "Space", "Caps Lock",
    "F1", "F2", "F3", "F4", "F5", "F6", "F7", "F8", "F9", "F10",
    "Number Lock", "Scroll Lock", "Home", "Up Arrow", "Page Up", "Pad's -", "Left Arrow",
    "Pad's 5", "Right Arrow", "Pad's +", "End", "Down Arrow", "Page Down", "Insert", "Delete",
    "Print Screen", "?", "?", "F11", "F12", "?", "?", "Left Win", "Right Win", "Win Menu",
    "???",
    "Right Ctrl", "???2", "2nd /", "Pause",
};
// clang-format on

} // namespace

std::string KeyName(ScanCode code) {
    if (code <= 93)
        return kKeyNameTable[code];
    if (code < 120)
        return std::string();
    if (code <= 123)
        return kKeyNameTable[code - 25];
    return std::string();
}
