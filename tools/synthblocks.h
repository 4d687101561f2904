// SPDX-License-Identifier: MIT
// The building blocks of the drum synthesizer: a noise source, oscillators, filters and
// envelopes. Everything is plain double arithmetic with no state outside the objects, so a
// recipe renders the same samples on every run.
#pragma once

#include <cmath>
#include <cstdint>

namespace synth {

inline constexpr double kPi = 3.14159265358979323846;
inline constexpr double kTwoPi = 2.0 * kPi;

// xorshift64*: our own generator, so that no library or clock decides what the noise is.
class CNoise {
public:
    explicit CNoise(uint64_t seed)
        : m_state(seed * 0x9E3779B97F4A7C15ull + 0x2545F4914F6CDD1Dull) {}

    // Uniform in [-1, 1).
    double White() {
        m_state ^= m_state >> 12;
        m_state ^= m_state << 25;
        m_state ^= m_state >> 27;
        const uint64_t r = m_state * 0x2545F4914F6CDD1Dull;
        return double(r >> 11) * (2.0 / 9007199254740992.0) - 1.0;
    }
    double Uniform(double lo, double hi) { return lo + (hi - lo) * 0.5 * (White() + 1.0); }

private:
    uint64_t m_state;
};

// A sine whose frequency may change on every sample: the phase is accumulated, so a pitch
// sweep stays continuous.
class CSine {
public:
    explicit CSine(double phase = 0.0) : m_phase(phase) {}
    double Next(double hz, double rate) {
        const double v = std::sin(kTwoPi * m_phase);
        m_phase += hz / rate;
        m_phase -= std::floor(m_phase);
        return v;
    }

private:
    double m_phase;
};

// Smooths the step of a naive square so that its harmonics above the Nyquist frequency do
// not fold back as audible whistles.
inline double PolyBlep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

class CSquare {
public:
    explicit CSquare(double phase = 0.0) : m_phase(phase) {}
    double Next(double hz, double rate) {
        const double dt = hz / rate;
        double v = m_phase < 0.5 ? 1.0 : -1.0;
        v += PolyBlep(m_phase, dt);
        double half = m_phase + 0.5;
        if (half >= 1.0)
            half -= 1.0;
        v -= PolyBlep(half, dt);
        m_phase += dt;
        if (m_phase >= 1.0)
            m_phase -= 1.0;
        return v;
    }

private:
    double m_phase;
};

// Six squares at mutually inharmonic frequencies: the clang of a struck metal plate. Hats,
// cymbals and the cowbell are made from these.
class CMetal {
public:
    // The ratios of the classic analogue hi-hat circuit, scaled by `scale`; the start phases
    // come from `noise` so that the six edges do not line up into one click.
    CMetal(double scale, CNoise& noise) {
        for (int k = 0; k < 6; ++k) {
            m_hz[k] = kRatios[k] * scale;
            m_osc[k] = CSquare(0.5 * (noise.White() + 1.0));
        }
    }
    double Next(double rate) {
        double sum = 0.0;
        for (int k = 0; k < 6; ++k)
            sum += m_osc[k].Next(m_hz[k], rate);
        return sum / 6.0;
    }

private:
    static constexpr double kRatios[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double m_hz[6] = {};
    CSquare m_osc[6];
};

// Second-order filter sections after the well-known audio cookbook formulas.
class CBiquad {
public:
    static CBiquad LowPass(double hz, double q, double rate) {
        const double w = kTwoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2.0 * q);
        return CBiquad((1 - c) / 2, 1 - c, (1 - c) / 2, 1 + a, -2 * c, 1 - a);
    }
    static CBiquad HighPass(double hz, double q, double rate) {
        const double w = kTwoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2.0 * q);
        return CBiquad((1 + c) / 2, -(1 + c), (1 + c) / 2, 1 + a, -2 * c, 1 - a);
    }
    // Raises (or lowers) everything above hz by gainDb, with a gentle slope.
    static CBiquad HighShelf(double hz, double gainDb, double rate) {
        const double w = kTwoPi * hz / rate, c = std::cos(w);
        const double A = std::pow(10.0, gainDb / 40.0),
                     s = std::sqrt(A) * std::sin(w) * std::sqrt(2.0);
        return CBiquad(A * ((A + 1) + (A - 1) * c + s), -2 * A * ((A - 1) + (A + 1) * c),
                       A * ((A + 1) + (A - 1) * c - s), (A + 1) - (A - 1) * c + s,
                       2 * ((A - 1) - (A + 1) * c), (A + 1) - (A - 1) * c - s);
    }
    // Unity gain at the centre frequency.
    static CBiquad BandPass(double hz, double q, double rate) {
        const double w = kTwoPi * hz / rate, c = std::cos(w), a = std::sin(w) / (2.0 * q);
        return CBiquad(a, 0, -a, 1 + a, -2 * c, 1 - a);
    }

    double Process(double x) {
        const double y = m_b0 * x + m_z1;
        m_z1 = m_b1 * x - m_a1 * y + m_z2;
        m_z2 = m_b2 * x - m_a2 * y;
        return y;
    }

private:
    CBiquad(double b0, double b1, double b2, double a0, double a1, double a2)
        : m_b0(b0 / a0), m_b1(b1 / a0), m_b2(b2 / a0), m_a1(a1 / a0), m_a2(a2 / a0) {}

    double m_b0, m_b1, m_b2, m_a1, m_a2;
    double m_z1 = 0.0, m_z2 = 0.0;
};

// Envelopes: functions of the time t in seconds since the stroke.

// Exponential decay with time constant tau (down 8.7 dB per tau).
inline double Decay(double t, double tau) {
    return std::exp(-t / tau);
}

// Full level for `hold` seconds, then an exponential decay.
inline double HoldDecay(double t, double hold, double tau) {
    return t < hold ? 1.0 : std::exp(-(t - hold) / tau);
}

// A short smooth rise, so that a burst starting in the middle of a sound does not click.
inline double Rise(double t, double rise) {
    if (t <= 0.0)
        return 0.0;
    if (t >= rise)
        return 1.0;
    const double s = std::sin(0.5 * kPi * t / rise);
    return s * s;
}

// A burst that starts at `start`, rises in 0.3 ms and decays with tau.
inline double Burst(double t, double start, double tau) {
    return t < start ? 0.0 : Rise(t - start, 0.0003) * std::exp(-(t - start) / tau);
}

// A decaying sine: one vibration mode of a struck body.
inline double Mode(double t, double hz, double tau) {
    return std::sin(kTwoPi * hz * t) * std::exp(-t / tau);
}

// Soft saturation that keeps 1 at 1: raises the body of a sound against its first peak.
inline double Saturate(double x, double drive) {
    return std::tanh(drive * x) / std::tanh(drive);
}

} // namespace synth
