// SPDX-License-Identifier: MIT
// Key identities as Windows reports them, from the key codes other platforms
// give. Pure code: no toolkit, no platform headers.
#pragma once

#include <cstdint>

// Bits of a key message's flags word (the high word of its lParam).
inline constexpr uint16_t KF_EXTENDED = 0x0100;
inline constexpr uint16_t KF_ALTDOWN = 0x2000;
inline constexpr uint16_t KF_REPEAT = 0x4000;
inline constexpr uint16_t KF_UP = 0x8000;

// The flags word's scan-code part for a Linux kernel key code (X11 and Wayland
// hand it on plus 8): the low byte of the key's Windows set-1 scan code, with
// KF_EXTENDED where Windows sets it; 0 for a key without a set-1 code.
uint16_t AfxScanFlagsFromKernelKeyCode(unsigned kernelCode);
