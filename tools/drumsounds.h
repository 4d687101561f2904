// SPDX-License-Identifier: MIT
// The drum synthesizer's sounds: each renders one take of its stroke into the
// channels it is given. drumsynth finishes, balances and writes them.
#pragma once

#include <vector>

namespace drums {

// One rendering of a sound: floating-point channels before finishing and quantizing.
struct STake {
    double m_rate = 44100.0;
    int m_frames = 0;
    int m_channels = 1;
    std::vector<double> m_ch[2];

    double Time(int i) const { return i / m_rate; }
};

// Kicks, snares, toms, hand drums and wooden clicks (drumskins.cpp).
void Kick(STake& take);
void DeepKick(STake& take);
void TightKick(STake& take);
void Snare(STake& take);
void Rimshot(STake& take);
void PiccoloSnare(STake& take);
void HighTom(STake& take);
void MidTom(STake& take);
void LowTom(STake& take);
void FloorTom(STake& take);
void HighConga(STake& take);
void LowConga(STake& take);
void Bongo(STake& take);
void Timbale(STake& take);
void Sticks(STake& take);
void Rim(STake& take);
void WoodBlock(STake& take);

// Hats, cymbals and hand percussion (drumpercussion.cpp).
void ClosedHat(STake& take);
void OpenHat(STake& take);
void PedalHat(STake& take);
void Crash(STake& take);
void Splash(STake& take);
void China(STake& take);
void Ride(STake& take);
void Cowbell(STake& take);
void Tambourine(STake& take);
void Shaker(STake& take);
void Clap(STake& take);

} // namespace drums
