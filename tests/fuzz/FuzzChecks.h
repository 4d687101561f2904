// SPDX-License-Identifier: MIT
// What each fuzz target demands of one input. Shared by the libFuzzer entries
// and by the suite, which replays every kept input (the seeds and every input
// that ever found a fault) on each run. Each returns the empty text when the
// input passed, else what went wrong.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The bytes as "drums.set", through the kit's own LoadSet and SaveSet: loads,
// binds only real sounds, saves, and one load and save more gives the same bytes.
std::string CheckDrumSetFile(const uint8_t* data, size_t size);

// The bytes as a WAVE image of exactly that length: the reader stays inside it,
// and what it finds lies inside it.
std::string CheckWaveImage(const uint8_t* data, size_t size);
