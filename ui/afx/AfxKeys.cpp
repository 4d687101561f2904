// SPDX-License-Identifier: MIT
#include "AfxKeys.h"

namespace {

struct SKernelKey {
    uint8_t m_kernelCode;
    uint16_t m_scanFlags;
};

// The kernel numbers the main block, the keypad and F1 to F12 (codes 1 to 88)
// by their set-1 scan codes, so those pass unchanged. Everything above is
// listed here: the keys Windows reports with the extended flag share the low
// byte of their plain twin (a drum bound to Home therefore also answers to
// keypad 7, as it does on Windows), Pause is the 0x45 Windows gives it, and
// F13 to F24 take their set-1 codes. A kernel code missing from both has no
// set-1 code and maps to 0. Keys such as the Japanese and Korean ones or the
// media keys stay at 0: the names for 120 to 123 are then reached only by a
// "drums.set" from Windows.
constexpr SKernelKey kExtendedKeys[] = {
    {96, KF_EXTENDED | 28},  // keypad Enter
    {97, KF_EXTENDED | 29},  // Right Ctrl
    {98, KF_EXTENDED | 53},  // keypad /
    {99, KF_EXTENDED | 55},  // Print Screen (SysRq)
    {100, KF_EXTENDED | 56}, // Right Alt
    {102, KF_EXTENDED | 71}, // Home
    {103, KF_EXTENDED | 72}, // Up
    {104, KF_EXTENDED | 73}, // Page Up
    {105, KF_EXTENDED | 75}, // Left
    {106, KF_EXTENDED | 77}, // Right
    {107, KF_EXTENDED | 79}, // End
    {108, KF_EXTENDED | 80}, // Down
    {109, KF_EXTENDED | 81}, // Page Down
    {110, KF_EXTENDED | 82}, // Insert
    {111, KF_EXTENDED | 83}, // Delete
    {119, 69},               // Pause: 0x45 without the flag, as Windows reports it
    {125, KF_EXTENDED | 91}, // Left Win
    {126, KF_EXTENDED | 92}, // Right Win
    {127, KF_EXTENDED | 93}, // Menu
    {183, 100},              // F13
    {184, 101},              // F14
    {185, 102},              // F15
    {186, 103},              // F16
    {187, 104},              // F17
    {188, 105},              // F18
    {189, 106},              // F19
    {190, 107},              // F20
    {191, 108},              // F21
    {192, 109},              // F22
    {193, 110},              // F23
    {194, 118},              // F24
};

constexpr unsigned kNumLock = 69;
constexpr unsigned kLastPlainCode = 88; // F12

} // namespace

uint16_t AfxScanFlagsFromKernelKeyCode(unsigned kernelCode) {
    if (kernelCode >= 1 && kernelCode <= kLastPlainCode) {
        // Num Lock shares 0x45 with Pause; Windows tells them apart by the flag.
        if (kernelCode == kNumLock)
            return KF_EXTENDED | kNumLock;
        return static_cast<uint16_t>(kernelCode);
    }
    for (const SKernelKey& key : kExtendedKeys) {
        if (key.m_kernelCode == kernelCode)
            return key.m_scanFlags;
    }
    return 0;
}
