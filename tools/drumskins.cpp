// SPDX-License-Identifier: MIT
// Kicks, snares, toms, hand drums and wooden clicks: drum heads and small hard
// bodies, each a few modes excited by a stroke.
#include "drumsounds.h"
#include "synthblocks.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace drums {

using namespace synth;

// Kicks: a sine that falls in pitch (the head), a short bright click (the beater), and some
// saturation so that the body is heard on small speakers too.

struct SKickTuning {
    double m_restHz, m_sweepHz, m_sweepTau; // pitch: rest + sweep * e^(-t/tau)
    double m_hold, m_tau;                   // body envelope
    double m_click;                         // beater level
    double m_drive;
};

void KickWith(STake& take, const SKickTuning& k, uint64_t seed) {
    CNoise noise(seed);
    CSine body;
    CBiquad beater = CBiquad::BandPass(3200.0, 0.9, take.m_rate);
    CBiquad knock = CBiquad::BandPass(900.0, 1.2, take.m_rate);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        const double hz = k.m_restHz + k.m_sweepHz * Decay(t, k.m_sweepTau);
        const double head = body.Next(hz, take.m_rate) * HoldDecay(t, k.m_hold, k.m_tau);
        const double n = noise.White();
        const double click =
            beater.Process(n) * Decay(t, 0.004) + knock.Process(n) * Decay(t, 0.008);
        take.m_ch[0][i] = Saturate(head + k.m_click * click, k.m_drive);
    }
}

void Kick(STake& take) {
    KickWith(take, {50.0, 120.0, 0.028, 0.025, 0.11, 1.3, 1.8}, 3);
}

void DeepKick(STake& take) {
    KickWith(take, {41.0, 75.0, 0.06, 0.04, 0.2, 0.7, 2.4}, 8);
}

// Sound 2: a dry, short kick. The image carries a longer take of it after its RIFF chunk.
void TightKick(STake& take) {
    KickWith(take, {64.0, 170.0, 0.012, 0.012, 0.045, 1.8, 1.4}, 2);
}

// ---------------------------------------------------------------------------------------
// Snares: two drum-head modes with a small pitch drop, the rattle of the wires (band-limited
// noise) and the stick's attack.

struct SSnareTuning {
    double m_lowHz, m_highHz, m_toneTau;
    double m_wireLoHz, m_wireHiHz, m_wireTau, m_wires;
    double m_crack; // rim crack level (0 for a plain stroke)
};

void SnareWith(STake& take, const SSnareTuning& s, uint64_t seed) {
    CNoise noise(seed);
    CSine low, high;
    CBiquad wireHp = CBiquad::HighPass(s.m_wireLoHz, 0.7, take.m_rate);
    CBiquad wireLp = CBiquad::LowPass(s.m_wireHiHz, 0.7, take.m_rate);
    CBiquad stick = CBiquad::HighPass(4000.0, 0.7, take.m_rate);
    CBiquad crack = CBiquad::BandPass(1800.0, 3.0, take.m_rate);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        const double bend = 1.0 + 0.12 * Decay(t, 0.015);
        const double tone =
            0.7 * low.Next(s.m_lowHz * bend, take.m_rate) * Decay(t, s.m_toneTau) +
            0.4 * high.Next(s.m_highHz * bend, take.m_rate) * Decay(t, 0.6 * s.m_toneTau);
        const double n = noise.White();
        const double wires = wireLp.Process(wireHp.Process(n)) * HoldDecay(t, 0.004, s.m_wireTau);
        const double attack = stick.Process(n) * Decay(t, 0.003);
        const double rim = crack.Process(n) * Decay(t, 0.006) + Mode(t, 520.0, 0.03);
        take.m_ch[0][i] = Saturate(tone + s.m_wires * wires + 0.5 * attack + s.m_crack * rim, 1.5);
    }
}

void Snare(STake& take) {
    SnareWith(take, {185.0, 330.0, 0.05, 1800.0, 9000.0, 0.085, 1.5, 0.0}, 4);
}

void Rimshot(STake& take) {
    SnareWith(take, {220.0, 480.0, 0.07, 1500.0, 8000.0, 0.1, 1.3, 1.6}, 5);
}

void PiccoloSnare(STake& take) {
    SnareWith(take, {290.0, 510.0, 0.035, 3000.0, 11000.0, 0.06, 1.6, 0.0}, 6);
}

// ---------------------------------------------------------------------------------------
// Toms and hand drums: a fundamental that settles in pitch after the stroke, two higher
// inharmonic modes of the head that die sooner, and the attack of stick or hand.

struct SDrumTuning {
    double m_hz, m_bend, m_tau;
    double m_mode2, m_mode3; // ratios of the two upper modes to the fundamental
    double m_upper;          // level of the upper modes
    double m_slapHz, m_slap; // centre and level of the attack noise
    double m_drive;
};

void DrumWith(STake& take, const SDrumTuning& d, uint64_t seed) {
    CNoise noise(seed);
    CSine f1, f2, f3;
    CBiquad slap = CBiquad::BandPass(d.m_slapHz, 0.8, take.m_rate);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        const double hz = d.m_hz * (1.0 + d.m_bend * Decay(t, 0.04));
        const double head =
            f1.Next(hz, take.m_rate) * Decay(t, d.m_tau) +
            d.m_upper * (f2.Next(hz * d.m_mode2, take.m_rate) * Decay(t, 0.4 * d.m_tau) +
                         0.6 * f3.Next(hz * d.m_mode3, take.m_rate) * Decay(t, 0.25 * d.m_tau));
        const double attack = slap.Process(noise.White()) * Decay(t, 0.005);
        take.m_ch[0][i] = Saturate(head + d.m_slap * attack, d.m_drive);
    }
}

void HighTom(STake& take) {
    DrumWith(take, {180.0, 0.25, 0.12, 1.59, 2.14, 0.35, 2500.0, 1.2, 1.3}, 7);
}
void MidTom(STake& take) {
    DrumWith(take, {138.0, 0.25, 0.14, 1.59, 2.14, 0.35, 2200.0, 1.2, 1.3}, 11);
}
void LowTom(STake& take) {
    DrumWith(take, {106.0, 0.28, 0.16, 1.59, 2.14, 0.35, 2000.0, 1.2, 1.3}, 12);
}
void FloorTom(STake& take) {
    DrumWith(take, {80.0, 0.3, 0.19, 1.59, 2.14, 0.3, 1800.0, 1.2, 1.3}, 18);
}

void HighConga(STake& take) {
    DrumWith(take, {370.0, 0.06, 0.07, 1.48, 2.3, 0.5, 3000.0, 1.8, 1.8}, 17);
}
void LowConga(STake& take) {
    DrumWith(take, {250.0, 0.06, 0.1, 1.48, 2.3, 0.5, 2600.0, 1.6, 1.8}, 9);
}
void Bongo(STake& take) {
    DrumWith(take, {500.0, 0.08, 0.045, 1.52, 2.4, 0.45, 4000.0, 2.2, 1.8}, 16);
}

// A metal-shelled drum: the shell rings on with inharmonic partials after the head is quiet.
void Timbale(STake& take) {
    DrumWith(take, {560.0, 0.02, 0.09, 1.47, 1.98, 0.4, 5000.0, 2.0, 1.6}, 13);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        take.m_ch[0][i] += 0.3 * Mode(t, 560.0 * 2.44, 0.22) + 0.25 * Mode(t, 560.0 * 3.13, 0.18) +
                           0.2 * Mode(t, 560.0 * 4.05, 0.12);
    }
}

// ---------------------------------------------------------------------------------------
// Wooden clicks: a few modes of a small hard body, excited by a very short noise impulse.

struct SClickMode {
    double m_hz, m_tau, m_level;
};

void ClickWith(STake& take, const SClickMode (&modes)[4], double noiseLevel, uint64_t seed) {
    CNoise noise(seed);
    CBiquad hp = CBiquad::HighPass(2500.0, 0.7, take.m_rate);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        double v = noiseLevel * hp.Process(noise.White()) * Decay(t, 0.0015);
        for (const SClickMode& m : modes)
            v += m.m_level * Mode(t + 0.25 / m.m_hz, m.m_hz, m.m_tau);
        take.m_ch[0][i] = Saturate(v, 1.2);
    }
}

void Sticks(STake& take) {
    ClickWith(
        take,
        {{2350.0, 0.012, 1.0}, {3720.0, 0.008, 0.6}, {5900.0, 0.005, 0.4}, {1280.0, 0.02, 0.35}},
        0.8, 15);
}

// A cross-stick: the stick laid on the head knocks on the rim; the shell answers low.
void Rim(STake& take) {
    ClickWith(
        take,
        {{410.0, 0.018, 0.8}, {1250.0, 0.012, 0.7}, {2100.0, 0.008, 0.5}, {3350.0, 0.005, 0.4}},
        1.0, 20);
}

void WoodBlock(STake& take) {
    ClickWith(
        take,
        {{880.0, 0.025, 1.0}, {2420.0, 0.012, 0.5}, {3550.0, 0.007, 0.3}, {5200.0, 0.004, 0.2}},
        0.5, 23);
}

} // namespace drums
