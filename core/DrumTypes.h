// SPDX-License-Identifier: MIT
// Types and sizes shared by the whole program.
#pragma once

#include <cstdint>

using ScanCode = uint8_t; // low byte of a key message's flags word (Windows set 1)
using SoundIndex = int;   // 0 to kSoundCount - 1

inline constexpr int kSoundCount = 28;
inline constexpr int kVoicesPerSound = 5;
inline constexpr int kKeyMapSize = 256;
inline constexpr int kNoSound = 255;
inline constexpr int kFirstWaveId = 300;
inline constexpr int kNoKey = 10000;
