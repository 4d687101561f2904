// SPDX-License-Identifier: MIT
// Writes the 28 built-in drum samples as WAVE images into a folder:  drumsynth OUTDIR
// Every sound is synthesized here from oscillators, noise and filters (no recording is
// involved), and the output is the same, byte for byte, on every run.
#include "WaveTable.h"
#include "synthblocks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace synth;

// One rendering of a sound: floating-point channels before finishing and quantizing.
struct STake {
    double m_rate = 44100.0;
    int m_frames = 0;
    int m_channels = 1;
    std::vector<double> m_ch[2];

    double Time(int i) const { return i / m_rate; }
};

// Filtered noise has peaks far above its body. Soft-clipping the steady source before an
// envelope shapes it brings them nearer (down to `ceiling` times its RMS) without flattening
// the decay, so that a hat sounds as full as a drum of the same peak level.
void Tame(std::vector<double>& source, double ceiling) {
    double power = 0.0;
    for (double v : source)
        power += v * v;
    const double rms = std::sqrt(power / double(source.size()));
    for (double& v : source)
        v = ceiling * std::tanh(v / (rms * ceiling));
}

// Soft-limits a whole take at its own peak: for a sound whose bursts pile up into a few
// peaks far above the rest.
void SoftLimit(STake& take, double drive) {
    double peak = 0.0;
    for (int c = 0; c < take.m_channels; ++c)
        for (double v : take.m_ch[c])
            peak = std::max(peak, std::fabs(v));
    for (int c = 0; c < take.m_channels; ++c)
        for (double& v : take.m_ch[c])
            v = Saturate(v / peak, drive);
}

// ---------------------------------------------------------------------------------------
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

// ---------------------------------------------------------------------------------------
// Hats: the metal plate signal high-passed, with some noise for the sizzle.

struct SHatTuning {
    double m_scale;        // of the plate frequencies
    double m_bandHz, m_q;  // where the plate rings loudest
    double m_hpHz;         // what is left of the low clang
    double m_tau, m_noise; // decay and sizzle
    double m_chick;        // extra level of the first few milliseconds
};

void HatWith(STake& take, const SHatTuning& h, uint64_t seed) {
    CNoise noise(seed);
    CMetal plate(h.m_scale, noise);
    CBiquad band = CBiquad::BandPass(h.m_bandHz, h.m_q, take.m_rate);
    CBiquad hp1 = CBiquad::HighPass(h.m_hpHz, 0.7, take.m_rate);
    CBiquad hp2 = CBiquad::HighPass(h.m_hpHz, 0.7, take.m_rate);
    CBiquad lp = CBiquad::LowPass(13500.0, 0.7, take.m_rate);
    std::vector<double>& x = take.m_ch[0];
    for (int i = 0; i < take.m_frames; ++i) {
        const double metal = 2.0 * band.Process(plate.Next(take.m_rate));
        x[i] = lp.Process(hp2.Process(hp1.Process(metal + h.m_noise * noise.White())));
    }
    Tame(x, 2.2);
    for (int i = 0; i < take.m_frames; ++i)
        x[i] *= Decay(take.Time(i), h.m_tau) * (1.0 + h.m_chick * Decay(take.Time(i), 0.006));
}

void ClosedHat(STake& take) {
    HatWith(take, {1.0, 10000.0, 1.2, 7000.0, 0.022, 0.5, 0.3}, 21);
}
void OpenHat(STake& take) {
    HatWith(take, {1.0, 10000.0, 1.0, 6500.0, 0.22, 0.45, 0.6}, 1);
}

// The foot closes the hats: a softer, lower "chick" than a stick stroke.
void PedalHat(STake& take) {
    HatWith(take, {0.87, 7500.0, 0.9, 4500.0, 0.03, 0.3, 0.0}, 19);
    for (int i = 0; i < take.m_frames; ++i)
        take.m_ch[0][i] *= 0.6 + 0.4 * Decay(take.Time(i), 0.004);
}

// ---------------------------------------------------------------------------------------
// Cymbals: two plates ring-modulated into a dense inharmonic wash; the high band dies sooner
// than the middle, as on a real cymbal.

struct SCymbalTuning {
    double m_scaleA, m_scaleB;
    double m_bodyHz, m_bodyTau;      // the middle band and its decay
    double m_airHz, m_airTau, m_air; // the high band, its decay and level
    double m_noise, m_drive;
};

void CymbalWith(STake& take, const SCymbalTuning& c, uint64_t seed) {
    CNoise noise(seed);
    CMetal a(c.m_scaleA, noise), b(c.m_scaleB, noise);
    CBiquad bodyHp = CBiquad::HighPass(c.m_bodyHz, 0.7, take.m_rate);
    CBiquad bodyLp = CBiquad::LowPass(c.m_bodyHz * 2.5, 0.7, take.m_rate);
    CBiquad airHp1 = CBiquad::HighPass(c.m_airHz, 0.7, take.m_rate);
    CBiquad airHp2 = CBiquad::HighPass(c.m_airHz, 0.7, take.m_rate);
    CBiquad airLp = CBiquad::LowPass(12500.0, 0.7, take.m_rate);
    std::vector<double> body(take.m_frames), air(take.m_frames);
    for (int i = 0; i < take.m_frames; ++i) {
        const double ring = a.Next(take.m_rate) * b.Next(take.m_rate);
        const double src = Saturate(ring + c.m_noise * noise.White(), c.m_drive);
        body[i] = bodyLp.Process(bodyHp.Process(src));
        air[i] = airLp.Process(airHp2.Process(airHp1.Process(src)));
    }
    Tame(body, 2.2);
    Tame(air, 2.2);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        take.m_ch[0][i] = body[i] * Decay(t, c.m_bodyTau) * (1.0 + 0.5 * Decay(t, 0.03)) +
                          c.m_air * air[i] * Decay(t, c.m_airTau) * (1.0 + 1.5 * Decay(t, 0.02));
    }
}

void Crash(STake& take) {
    CymbalWith(take, {1.37, 2.11, 3000.0, 0.5, 7000.0, 0.32, 0.8, 0.5, 1.2}, 100);
}

void Splash(STake& take) {
    CymbalWith(take, {1.61, 2.47, 4500.0, 0.2, 9000.0, 0.14, 0.9, 0.45, 1.2}, 127);
}

// Trashy and lower, with the edge of a turned-up rim: more drive, a lower body band.
void China(STake& take) {
    CymbalWith(take, {0.93, 1.29, 1600.0, 0.32, 5500.0, 0.2, 0.5, 0.35, 3.0}, 126);
}

// A stick on the ride: a clear bell-like ping over a quiet wash.
void Ride(STake& take) {
    CymbalWith(take, {1.77, 2.63, 4500.0, 0.55, 8000.0, 0.35, 0.7, 0.3, 1.0}, 125);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        const double ping = Mode(t, 612.0, 0.5) + 0.8 * Mode(t, 1398.0, 0.42) +
                            0.6 * Mode(t, 2503.0, 0.3) + 0.45 * Mode(t, 3688.0, 0.22);
        take.m_ch[0][i] = 0.6 * take.m_ch[0][i] + 0.28 * ping;
    }
}

// ---------------------------------------------------------------------------------------
// Percussion.

// Two square partials a fifth and a bit apart, band-passed: the classic machine cowbell,
// with a fast first decay and a longer ring.
void Cowbell(STake& take) {
    CSquare a, b(0.3);
    CBiquad band = CBiquad::BandPass(1100.0, 0.9, take.m_rate);
    CBiquad hp = CBiquad::HighPass(450.0, 0.7, take.m_rate);
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        const double tone = a.Next(562.0, take.m_rate) + b.Next(845.0, take.m_rate);
        const double env = 0.45 * Decay(t, 0.012) + 0.55 * Decay(t, 0.11);
        take.m_ch[0][i] = hp.Process(band.Process(tone)) * env;
    }
}

// A tambourine stroke: the jingles strike one another a few times in the first tens of
// milliseconds, each strike a bright metallic burst; the frame gives a small thump.
void Tambourine(STake& take) {
    CNoise noise(10);
    CMetal jingles(3.1, noise);
    CBiquad hp1 = CBiquad::HighPass(5500.0, 0.7, take.m_rate);
    CBiquad hp2 = CBiquad::HighPass(5500.0, 0.7, take.m_rate);
    CBiquad lp = CBiquad::LowPass(14000.0, 0.7, take.m_rate);
    std::vector<double>& x = take.m_ch[0];
    for (int i = 0; i < take.m_frames; ++i)
        x[i] =
            lp.Process(hp2.Process(hp1.Process(jingles.Next(take.m_rate) + 0.6 * noise.White())));
    Tame(x, 2.2);
    const double strikes[] = {0.0, 0.011, 0.019, 0.034, 0.052};
    const double levels[] = {1.0, 0.7, 0.8, 0.5, 0.35};
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        double env = 0.25 * Decay(t, 0.07);
        for (int k = 0; k < 5; ++k)
            env += levels[k] * Burst(t, strikes[k], 0.018);
        x[i] = x[i] * env + 0.6 * Mode(t, 240.0, 0.02);
    }
}

// Beads against the shell: a dense rain of tiny clicks in a bright band, thinning out.
void Shaker(STake& take) {
    CNoise noise(24);
    CBiquad hp = CBiquad::HighPass(4500.0, 0.8, take.m_rate);
    CBiquad lp = CBiquad::LowPass(11000.0, 0.7, take.m_rate);
    std::vector<double>& x = take.m_ch[0];
    double grain = 0.0;
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        // Each bead hit starts a 0.4 ms grain; hits get rarer as the beads settle.
        if (noise.Uniform(0.0, 1.0) < 0.02 * Decay(t, 0.06) + 0.004)
            grain = noise.Uniform(0.5, 1.0);
        grain *= std::exp(-1.0 / (0.0004 * take.m_rate));
        x[i] = lp.Process(hp.Process(noise.White() * (0.35 + grain)));
    }
    Tame(x, 2.2);
    for (int i = 0; i < take.m_frames; ++i)
        x[i] *= HoldDecay(take.Time(i), 0.02, 0.045);
}

// A group of four clappers across the stereo field, each clap a few quick bursts, then the
// room answers with a different tail in each ear.
void Clap(STake& take) {
    struct SClapper {
        double m_pan, m_start, m_hz;
    };
    const SClapper clappers[4] = {
        {-0.7, 0.0, 1150.0}, {0.6, 0.0035, 1320.0}, {-0.2, 0.008, 1050.0}, {0.25, 0.012, 1450.0}};
    CNoise noise(14);
    std::vector<double> hands[4];
    for (int c = 0; c < 4; ++c) {
        CBiquad band = CBiquad::BandPass(clappers[c].m_hz, 1.4, take.m_rate);
        hands[c].resize(take.m_frames);
        for (int i = 0; i < take.m_frames; ++i)
            hands[c][i] = band.Process(noise.White());
        Tame(hands[c], 2.2);
    }
    std::vector<double> room[2];
    for (int side = 0; side < 2; ++side) {
        CBiquad band = CBiquad::BandPass(side == 0 ? 1250.0 : 1180.0, 0.8, take.m_rate);
        room[side].resize(take.m_frames);
        for (int i = 0; i < take.m_frames; ++i)
            room[side][i] = band.Process(noise.White());
        Tame(room[side], 2.2);
    }
    for (int i = 0; i < take.m_frames; ++i) {
        const double t = take.Time(i);
        double left = 0.0, right = 0.0;
        for (int c = 0; c < 4; ++c) {
            const SClapper& k = clappers[c];
            const double env = Burst(t, k.m_start, 0.006) +
                               0.8 * Burst(t, k.m_start + 0.009, 0.006) +
                               0.9 * Burst(t, k.m_start + 0.017, 0.016);
            left += hands[c][i] * env * std::sqrt(0.5 * (1.0 - k.m_pan));
            right += hands[c][i] * env * std::sqrt(0.5 * (1.0 + k.m_pan));
        }
        const double tail = 0.8 * Burst(t, 0.02, 0.075);
        take.m_ch[0][i] = left + room[0][i] * tail;
        take.m_ch[1][i] = right + room[1][i] * tail;
    }
    SoftLimit(take, 2.0);
}

// ---------------------------------------------------------------------------------------

struct SRecipe {
    const char* m_name;
    void (*m_render)(STake&);
};

const SRecipe kRecipes[28] = {
    {"Crash", Crash},
    {"Open Hat", OpenHat},
    {"Tight Kick", TightKick},
    {"Kick", Kick},
    {"Snare", Snare},
    {"Rimshot", Rimshot},
    {"Piccolo Snare", PiccoloSnare},
    {"High Tom", HighTom},
    {"Deep Kick", DeepKick},
    {"Low Conga", LowConga},
    {"Tambourine", Tambourine},
    {"Mid Tom", MidTom},
    {"Low Tom", LowTom},
    {"Timbale", Timbale},
    {"Clap", Clap},
    {"Sticks", Sticks},
    {"Bongo", Bongo},
    {"High Conga", HighConga},
    {"Floor Tom", FloorTom},
    {"Pedal Hat", PedalHat},
    {"Rim", Rim},
    {"Closed Hat", ClosedHat},
    {"Cowbell", Cowbell},
    {"Wood Block", WoodBlock},
    {"Shaker", Shaker},
    {"Ride", Ride},
    {"China", China},
    {"Splash", Splash},
};

STake Render(const SRecipe& recipe, double rate, int frames, int channels) {
    STake take;
    take.m_rate = rate;
    take.m_frames = frames;
    take.m_channels = channels;
    for (int c = 0; c < 2; ++c)
        take.m_ch[c].assign(frames, 0.0);
    recipe.m_render(take);
    return take;
}

// Makes a raw take playable: no rumble below hearing, a smooth fade to exact zero over its
// last quarter, no offset, and a given peak.
void Finish(STake& take) {
    const int n = take.m_frames;
    const int fadeIn = 8;
    const int fadeOut = std::max(16, n / 4);
    std::vector<double> window(n, 1.0);
    for (int i = 0; i < fadeIn; ++i)
        window[i] = Rise(i + 1.0, fadeIn + 1.0);
    for (int i = 0; i < fadeOut; ++i) {
        const double s = std::cos(0.5 * kPi * (i + 1.0) / fadeOut);
        window[n - fadeOut + i] = s * s;
    }
    double windowSum = 0.0;
    for (int i = 0; i < n; ++i)
        windowSum += window[i];
    for (int c = 0; c < take.m_channels; ++c) {
        std::vector<double>& x = take.m_ch[c];
        CBiquad rumble1 = CBiquad::HighPass(22.0, 0.7, take.m_rate);
        CBiquad rumble2 = CBiquad::HighPass(22.0, 0.7, take.m_rate);
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            x[i] = rumble2.Process(rumble1.Process(x[i])) * window[i];
            sum += x[i];
        }
        // Taking the offset out in the shape of the window keeps both ends at zero.
        const double offset = sum / windowSum;
        for (int i = 0; i < n; ++i)
            x[i] -= offset * window[i];
    }
}

double Peak(const STake& take) {
    double peak = 0.0;
    for (int c = 0; c < take.m_channels; ++c)
        for (double v : take.m_ch[c])
            peak = std::max(peak, std::fabs(v));
    return peak;
}

void Scale(STake& take, double gain) {
    for (int c = 0; c < take.m_channels; ++c)
        for (double& v : take.m_ch[c])
            v *= gain;
}

// The RMS of the loudest 50 ms, all channels together. With `weighted`, the signal is first
// weighted the way loudness meters do (less deep bass, more presence), which is closer to
// what the ear compares across a kit.
double LoudestRms(const STake& take, bool weighted) {
    const int window = int(std::lround(0.05 * take.m_rate));
    std::vector<double> power(take.m_frames, 0.0);
    for (int c = 0; c < take.m_channels; ++c) {
        CBiquad shelf = CBiquad::HighShelf(1680.0, 4.0, take.m_rate);
        CBiquad bass = CBiquad::HighPass(38.0, 0.5, take.m_rate);
        for (int i = 0; i < take.m_frames; ++i) {
            const double v =
                weighted ? bass.Process(shelf.Process(take.m_ch[c][i])) : take.m_ch[c][i];
            power[i] += v * v / take.m_channels;
        }
    }
    double run = 0.0, best = 0.0;
    for (int i = 0; i < take.m_frames; ++i) {
        run += power[i];
        if (i >= window)
            run -= power[i - window];
        best = std::max(best, run);
    }
    return std::sqrt(best / std::min(window, take.m_frames));
}

double ToDb(double x) {
    return 20.0 * std::log10(x);
}
double FromDb(double db) {
    return std::pow(10.0, db / 20.0);
}

void Put16(std::vector<unsigned char>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

void PutSamples(std::vector<unsigned char>& img, const STake& take) {
    for (int i = 0; i < take.m_frames; ++i)
        for (int c = 0; c < take.m_channels; ++c)
            Put16(img, uint16_t(int16_t(std::lround(take.m_ch[c][i] * 32767.0))));
}

std::vector<unsigned char> Image(const SWaveShape& w, const STake& take, const STake* pBeyond) {
    std::vector<unsigned char> img;
    img.insert(img.end(), {'R', 'I', 'F', 'F'});
    Put32(img, w.m_riffSize);
    img.insert(img.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(img, 16);
    Put16(img, 1);
    Put16(img, w.m_channels);
    Put32(img, w.m_samplesPerSec);
    Put32(img, w.m_samplesPerSec * w.m_blockAlign);
    Put16(img, w.m_blockAlign);
    Put16(img, 16);
    img.insert(img.end(), {'d', 'a', 't', 'a'});
    Put32(img, w.m_dataBytes);
    PutSamples(img, take);
    if (pBeyond)
        PutSamples(img, *pBeyond);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: drumsynth OUTDIR\n");
        return 2;
    }
    STake takes[28];
    double loudness[28];
    for (int s = 0; s < 28; ++s) {
        const SWaveShape& w = kWaveShapes[s];
        takes[s] =
            Render(kRecipes[s], w.m_samplesPerSec, w.m_dataBytes / w.m_blockAlign, w.m_channels);
        Finish(takes[s]);
        Scale(takes[s], FromDb(-1.0) / Peak(takes[s]));
        loudness[s] = ToDb(LoudestRms(takes[s], true));
    }
    // Balance the kit: sounds louder than the middle of the kit come down, quieter ones go up,
    // within a peak range that neither clips nor gets lost.
    double sorted[28];
    std::copy(loudness, loudness + 28, sorted);
    std::sort(sorted, sorted + 28);
    const double median = 0.5 * (sorted[13] + sorted[14]);
    int status = 0;
    for (int s = 0; s < 28; ++s) {
        const SWaveShape& w = kWaveShapes[s];
        const double peakDb = std::clamp(-1.0 + median - loudness[s], -2.9, -0.6);
        Scale(takes[s], FromDb(peakDb) / Peak(takes[s]));
        // Beyond the RIFF chunk of an image that is longer than its chunk: a longer take of the
        // same stroke, which never plays.
        const uint32_t beyondBytes = w.m_imageBytes - 8 - w.m_riffSize;
        STake beyond;
        if (beyondBytes > 0) {
            beyond =
                Render(kRecipes[s], w.m_samplesPerSec, beyondBytes / w.m_blockAlign, w.m_channels);
            Finish(beyond);
            Scale(beyond, FromDb(peakDb) / Peak(beyond));
        }
        const std::vector<unsigned char> img =
            Image(w, takes[s], beyondBytes > 0 ? &beyond : nullptr);
        std::fprintf(stderr,
                     "%3d %-14s peak %5.1f dBFS  loudest 50 ms %6.1f dBFS (weighted %6.1f)\n",
                     w.m_id, kRecipes[s].m_name, peakDb, ToDb(LoudestRms(takes[s], false)),
                     ToDb(LoudestRms(takes[s], true)));
        const std::string path = std::string(argv[1]) + "/wave" + std::to_string(w.m_id) + ".wav";
        FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && img.size() == w.m_imageBytes &&
                        std::fwrite(img.data(), 1, img.size(), f) == img.size();
        if (f && std::fclose(f) != 0)
            status = 1;
        if (!ok) {
            std::fprintf(stderr, "drumsynth: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    return status;
}
