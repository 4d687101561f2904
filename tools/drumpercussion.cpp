// SPDX-License-Identifier: MIT
// Hats, cymbals and hand percussion: metal plates, jingles, beads and hands.
#include "drumsounds.h"
#include "synthblocks.h"

#include <cmath>
#include <cstdint>
#include <vector>

namespace drums {

using namespace synth;

namespace {

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

} // namespace

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

} // namespace drums
