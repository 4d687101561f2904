// SPDX-License-Identifier: MIT
// Key identities as Windows reports them, from the key codes other platforms
// give. Pure code: no toolkit.
#pragma once

#include "WinApi.h"

#include <cstdint>

// The flags word's scan-code part for a Linux kernel key code (X11 and Wayland
// hand it on plus 8): the low byte of the key's Windows set-1 scan code, with
// KF_EXTENDED where Windows sets it; 0 for a key without a set-1 code.
uint16_t AfxScanFlagsFromKernelKeyCode(unsigned kernelCode);
