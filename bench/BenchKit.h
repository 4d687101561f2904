// SPDX-License-Identifier: MIT
// The drum set every benchmark plays: the 28 sounds bound to 28 keys over the
// letter rows and two digits, and the sound device's own figures.
#pragma once

#include "BenchFigures.h"
#include "DrumKit.h"
#include "DrumTypes.h"
#include "KernelKeys.h"

// The key of each sound, sound by sound (kernel codes and Windows codes agree here).
inline constexpr ScanCode kBenchKeys[kSoundCount] = {
    kKeyQ, kKeyW, kKeyE, kKeyR, kKeyT, kKeyY, kKeyU, kKeyI, kKeyO, kKeyP,
    kKeyA, kKeyS, kKeyD, kKeyF, kKeyG, kKeyH, kKeyJ, kKeyK, kKeyL, kKeyZ,
    kKeyX, kKeyC, kKeyV, kKeyB, kKeyN, kKeyM, kKey1, kKey2,
};
// The key struck again and again, and its sound.
inline constexpr ScanCode kStrikeKey = kKeyA;
inline constexpr int kStrikeSound = 10;
static_assert(kBenchKeys[kStrikeSound] == kStrikeKey);

// "drums.set" in the working folder with every sound named and bound.
void WriteBenchDrumSet();
void BindAll(CDrumKit& kit);
// Stops every voice of the sound: a position past the end silences a voice.
void SilenceSound(CDrumKit& kit, int sound);
// The latency OpenAL Soft reports for the open device, and its mixing rates, as
// PREFIX_latency_ms, PREFIX_output_hz and PREFIX_mixes_per_s.
void ReportDevice(CFigures& figures, const char* prefix);
