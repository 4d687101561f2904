// SPDX-License-Identifier: MIT
// The 28 drum samples as the executable carries them. The images are read here on their
// own terms (not through the program's reader): each must hold its row of the format table,
// and each sound must be a clean stroke, balanced against the kit and unlike the others.
#include "Resources.h"
#include "WaveFile.h"
#include "WaveTable.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstring>
#include <numbers>
#include <string>
#include <vector>

namespace {

constexpr double kCommonRate = 44100.0;

std::vector<double> Samples(const unsigned char* p, uint32_t count, int stride) {
    std::vector<double> v(count);
    for (uint32_t i = 0; i < count; ++i)
        v[i] = int16_t(Le16(p + 2 * size_t(i) * stride)) / 32768.0;
    return v;
}

// One embedded sound: its channels as fractions of full scale.
struct SSound {
    int m_rate = 0;
    std::vector<double> m_channel[2];
    int m_channels = 0;

    size_t Frames() const { return m_channel[0].size(); }
    double Peak() const {
        double peak = 0.0;
        for (int c = 0; c < m_channels; ++c)
            for (double v : m_channel[c])
                peak = std::max(peak, std::fabs(v));
        return peak;
    }
    // Both ears together, at the common rate, so that sounds can be compared.
    std::vector<double> Mono() const {
        std::vector<double> mix(Frames());
        for (int c = 0; c < m_channels; ++c)
            for (size_t i = 0; i < Frames(); ++i)
                mix[i] += m_channel[c][i] / m_channels;
        if (m_rate == int(kCommonRate))
            return mix;
        std::vector<double> out;
        const double step = m_rate / kCommonRate;
        for (double at = 0.0; at < double(mix.size() - 1); at += step) {
            const size_t i = size_t(at);
            out.push_back(mix[i] + (mix[i + 1] - mix[i]) * (at - double(i)));
        }
        return out;
    }
};

SResourceImage ImageOf(int id) {
    SResourceImage image;
    FindResourceImage(kResTypeWave, id, &image);
    return image;
}

// Reads the sound from the header fields at their fixed places; the format test holds them
// to the table.
SSound Decode(const SResourceImage& image) {
    SSound sound;
    if (image.m_length < 44)
        return sound;
    const unsigned char* p = image.m_pData;
    sound.m_channels = std::clamp<int>(Le16(p + 22), 1, 2);
    sound.m_rate = int(Le32(p + 24));
    const uint32_t frames =
        std::min<uint32_t>(Le32(p + 40), image.m_length - 44) / (2 * sound.m_channels);
    for (int c = 0; c < sound.m_channels; ++c)
        sound.m_channel[c] = Samples(p + 44 + 2 * c, frames, sound.m_channels);
    return sound;
}

const std::vector<SSound>& Kit() {
    static const std::vector<SSound> kit = [] {
        std::vector<SSound> sounds;
        for (const SWaveShape& shape : kWaveShapes)
            sounds.push_back(Decode(ImageOf(shape.m_id)));
        return sounds;
    }();
    return kit;
}

double Db(double x) {
    return 20.0 * std::log10(std::max(x, 1e-12));
}

// The RMS of the loudest 50 ms, both channels pooled.
double LoudestRms(const SSound& s) {
    const size_t window = size_t(std::lround(0.05 * s.m_rate));
    std::vector<double> power(s.Frames());
    for (int c = 0; c < s.m_channels; ++c)
        for (size_t i = 0; i < s.Frames(); ++i)
            power[i] += s.m_channel[c][i] * s.m_channel[c][i] / s.m_channels;
    double run = 0.0, best = 0.0;
    for (size_t i = 0; i < power.size(); ++i) {
        run += power[i];
        if (i >= window)
            run -= power[i - window];
        best = std::max(best, run);
    }
    return std::sqrt(best / double(std::min(window, power.size())));
}

using CSpectrum = std::vector<std::complex<double>>;

void Fft(CSpectrum& a, bool inverse) {
    const size_t n = a.size();
    for (size_t i = 1, j = 0; i < n; ++i) {
        size_t bit = n >> 1;
        for (; j & bit; bit >>= 1)
            j ^= bit;
        j ^= bit;
        if (i < j)
            std::swap(a[i], a[j]);
    }
    for (size_t len = 2; len <= n; len <<= 1) {
        const double angle = (inverse ? 2.0 : -2.0) * std::numbers::pi / double(len);
        const std::complex<double> step(std::cos(angle), std::sin(angle));
        for (size_t i = 0; i < n; i += len) {
            std::complex<double> w(1.0);
            for (size_t k = 0; k < len / 2; ++k, w *= step) {
                const std::complex<double> u = a[i + k], v = a[i + k + len / 2] * w;
                a[i + k] = u + v;
                a[i + k + len / 2] = u - v;
            }
        }
    }
}

CSpectrum SpectrumOf(const std::vector<double>& x, size_t count, size_t size) {
    CSpectrum a(size);
    for (size_t i = 0; i < std::min(count, x.size()); ++i)
        a[i] = x[i];
    Fft(a, false);
    return a;
}

double Energy(const std::vector<double>& x, size_t count) {
    double e = 0.0;
    for (size_t i = 0; i < std::min(count, x.size()); ++i)
        e += x[i] * x[i];
    return e;
}

// Largest normalized cross-correlation of two attacks within +-10 ms of each other.
double MaxCorrelation(const CSpectrum& a, double energyA, const CSpectrum& b, double energyB) {
    CSpectrum r(a.size());
    for (size_t k = 0; k < a.size(); ++k)
        r[k] = a[k] * std::conj(b[k]);
    Fft(r, true);
    const size_t lags = size_t(0.01 * kCommonRate);
    double best = 0.0;
    for (size_t lag = 0; lag <= lags; ++lag) {
        best = std::max(best, std::fabs(r[lag].real()));
        best = std::max(best, std::fabs(r[(r.size() - lag) % r.size()].real()));
    }
    return best / double(r.size()) / std::sqrt(energyA * energyB);
}

// Where a sound's energy lies: levels of third-octave bands from 50 Hz to 16 kHz, in dB about
// their mean.
std::vector<double> BandLevels(const std::vector<double>& x) {
    size_t size = 1;
    while (size < x.size())
        size <<= 1;
    const CSpectrum a = SpectrumOf(x, x.size(), size);
    std::vector<double> bands;
    for (double centre = 50.0; centre < 16000.0; centre *= std::pow(2.0, 1.0 / 3.0)) {
        const size_t lo = size_t(centre * std::pow(2.0, -1.0 / 6.0) / kCommonRate * double(size));
        const size_t hi = size_t(centre * std::pow(2.0, 1.0 / 6.0) / kCommonRate * double(size));
        double e = 1e-20;
        for (size_t k = lo; k <= hi; ++k)
            e += std::norm(a[k]);
        bands.push_back(10.0 * std::log10(e / double(hi - lo + 1)));
    }
    double mean = 0.0;
    for (double b : bands)
        mean += b / double(bands.size());
    for (double& b : bands)
        b -= mean;
    return bands;
}

// How the sound dies away: the level of each 10 ms over the first half second, in dB below
// its loudest, down to -60 dB.
std::vector<double> Envelope(const std::vector<double>& x) {
    const size_t step = size_t(0.01 * kCommonRate);
    std::vector<double> levels;
    for (size_t start = 0; start < 50 * step; start += step) {
        double e = 0.0;
        for (size_t i = start; i < std::min(start + step, x.size()); ++i)
            e += x[i] * x[i];
        levels.push_back(10.0 * std::log10(e / double(step) + 1e-20));
    }
    const double top = *std::max_element(levels.begin(), levels.end());
    for (double& l : levels)
        l = std::max(l - top, -60.0);
    return levels;
}

double MeanDistance(const std::vector<double>& a, const std::vector<double>& b) {
    double d = 0.0;
    for (size_t i = 0; i < a.size(); ++i)
        d += std::fabs(a[i] - b[i]) / double(a.size());
    return d;
}

// ------------------------------------------------------------------------------------------

class DrumSample : public ::testing::TestWithParam<SWaveShape> {
protected:
    const SSound& Sound() const { return Kit()[size_t(GetParam().m_id - 300)]; }
};

TEST_P(DrumSample, ImageMatchesItsRowOfTheFormatTable) {
    const SWaveShape& shape = GetParam();
    const SResourceImage image = ImageOf(shape.m_id);
    ASSERT_EQ(shape.m_imageBytes, image.m_length);
    const unsigned char* p = image.m_pData;
    EXPECT_EQ(0, std::memcmp(p, "RIFF", 4));
    EXPECT_EQ(shape.m_riffSize, Le32(p + 4));
    EXPECT_EQ(0, std::memcmp(p + 8, "WAVEfmt ", 8));
    EXPECT_EQ(16u, Le32(p + 16));
    EXPECT_EQ(1, Le16(p + 20)) << "PCM";
    EXPECT_EQ(shape.m_channels, Le16(p + 22));
    EXPECT_EQ(shape.m_samplesPerSec, Le32(p + 24));
    EXPECT_EQ(shape.m_samplesPerSec * shape.m_blockAlign, Le32(p + 28));
    EXPECT_EQ(shape.m_blockAlign, Le16(p + 32));
    EXPECT_EQ(16, Le16(p + 34));
    EXPECT_EQ(0, std::memcmp(p + 36, "data", 4));
    EXPECT_EQ(shape.m_dataBytes, Le32(p + 40));
    // The data chunk is the last one: the RIFF chunk ends where its samples end.
    EXPECT_EQ(Le32(p + 4) + 8, 44 + Le32(p + 40));
}

TEST_P(DrumSample, StrikesWithinTheFirstTwoMilliseconds) {
    const SSound& s = Sound();
    ASSERT_GT(s.Frames(), 0u);
    const double threshold = 0.1 * s.Peak();
    size_t onset = 0;
    while (onset < s.Frames() && std::fabs(s.m_channel[0][onset]) < threshold &&
           std::fabs(s.m_channel[s.m_channels - 1][onset]) < threshold)
        ++onset;
    EXPECT_LT(double(onset), 0.002 * s.m_rate) << "onset at frame " << onset;
}

TEST_P(DrumSample, FadesToExactZeroWithoutAClick) {
    const SSound& s = Sound();
    ASSERT_GT(s.Frames(), 0u);
    const size_t tail = size_t(0.002 * s.m_rate);
    for (int c = 0; c < s.m_channels; ++c) {
        EXPECT_EQ(0.0, s.m_channel[c].back()) << "channel " << c;
        double last = 0.0;
        for (size_t i = s.Frames() - tail; i < s.Frames(); ++i)
            last = std::max(last, std::fabs(s.m_channel[c][i]));
        EXPECT_LT(last, 0.01 * s.Peak()) << "channel " << c << " still sounds in its last 2 ms";
    }
}

TEST_P(DrumSample, HasNoDcOffset) {
    const SSound& s = Sound();
    for (int c = 0; c < s.m_channels; ++c) {
        double sum = 0.0;
        for (double v : s.m_channel[c])
            sum += v;
        EXPECT_LT(std::fabs(sum / double(s.Frames())), 0.001) << "channel " << c;
    }
}

TEST_P(DrumSample, PeaksBetweenMinusThreeAndMinusHalfDbfsWithoutClipping) {
    const double peak = Db(Sound().Peak());
    EXPECT_GE(peak, -3.0);
    EXPECT_LE(peak, -0.5);
}

INSTANTIATE_TEST_SUITE_P(AllSounds, DrumSample, ::testing::ValuesIn(kWaveShapes),
                         [](const auto& info) { return "Id" + std::to_string(info.param.m_id); });

TEST(DrumKitSamples, LoudestFiftyMillisecondsStayWithinEightDbOfTheKitMedian) {
    std::vector<double> loudness;
    for (const SSound& s : Kit())
        loudness.push_back(Db(LoudestRms(s)));
    std::vector<double> sorted = loudness;
    std::sort(sorted.begin(), sorted.end());
    const double median = 0.5 * (sorted[13] + sorted[14]);
    for (size_t s = 0; s < loudness.size(); ++s)
        EXPECT_LE(std::fabs(loudness[s] - median), 8.0)
            << "sound " << s << " at " << loudness[s] << " dBFS, kit median " << median;
}

TEST(DrumKitSamples, NoTwoSoundsAreNearCopies) {
    // Copies show in two ways: attacks that correlate sample by sample, or the same spread
    // of energy over the spectrum dying away in the same way.
    const size_t attack = size_t(0.1 * kCommonRate), size = 16384; // room for every lag
    std::vector<CSpectrum> attacks;
    std::vector<double> energies;
    std::vector<std::vector<double>> bands, envelopes;
    for (const SSound& s : Kit()) {
        const std::vector<double> mono = s.Mono();
        attacks.push_back(SpectrumOf(mono, attack, size));
        energies.push_back(Energy(mono, attack));
        bands.push_back(BandLevels(mono));
        envelopes.push_back(Envelope(mono));
    }
    for (size_t a = 0; a < attacks.size(); ++a)
        for (size_t b = a + 1; b < attacks.size(); ++b) {
            const double correlation =
                MaxCorrelation(attacks[a], energies[a], attacks[b], energies[b]);
            EXPECT_LT(correlation, 0.9) << "sounds " << a << " and " << b;
            const double spectrum = MeanDistance(bands[a], bands[b]);
            const double decay = MeanDistance(envelopes[a], envelopes[b]);
            EXPECT_FALSE(spectrum < 1.5 && decay < 3.0)
                << "sounds " << a << " and " << b << " differ by " << spectrum
                << " dB in spectrum and " << decay << " dB in decay";
        }
}

TEST(DrumKitSamples, TheDetectorsTellACopyFromADifferentSound) {
    // The same sound a little quieter and later must be caught; two different sounds must not.
    const std::vector<double> kick = Kit()[3].Mono(), snare = Kit()[4].Mono();
    std::vector<double> copy(kick.size() + 40, 0.0);
    for (size_t i = 0; i < kick.size(); ++i)
        copy[i + 40] = 0.7 * kick[i];
    const size_t attack = size_t(0.1 * kCommonRate), size = 16384;
    const CSpectrum k = SpectrumOf(kick, attack, size), c = SpectrumOf(copy, attack, size),
                    s = SpectrumOf(snare, attack, size);
    EXPECT_GT(MaxCorrelation(k, Energy(kick, attack), c, Energy(copy, attack)), 0.9);
    EXPECT_LT(MaxCorrelation(k, Energy(kick, attack), s, Energy(snare, attack)), 0.9);
    EXPECT_LT(MeanDistance(BandLevels(kick), BandLevels(copy)), 1.5);
    EXPECT_LT(MeanDistance(Envelope(kick), Envelope(copy)), 3.0);
}

TEST(DrumKitSamples, TheStereoSoundUsesItsWidth) {
    const SSound& s = Kit()[14];
    ASSERT_EQ(2, s.m_channels);
    const std::vector<double>&left = s.m_channel[0], &right = s.m_channel[1];
    double cross = 0.0;
    for (size_t i = 0; i < s.Frames(); ++i)
        cross += left[i] * right[i];
    const double energyLeft = Energy(left, left.size()), energyRight = Energy(right, right.size());
    // Both ears sound about as loud, but they do not hear the same signal.
    EXPECT_LT(std::fabs(10.0 * std::log10(energyLeft / energyRight)), 3.0);
    EXPECT_LT(cross / std::sqrt(energyLeft * energyRight), 0.8);
}

TEST(DrumKitSamples, ImageWithBytesBeyondItsRiffChunkCarriesALongerTakeOfTheSameStroke) {
    const SWaveShape& shape = kWaveShapes[2];
    const SResourceImage image = ImageOf(shape.m_id);
    ASSERT_EQ(shape.m_imageBytes, image.m_length);
    const uint32_t riffEnd = 8 + shape.m_riffSize;
    ASSERT_EQ(16898u, riffEnd);
    const uint32_t count = (image.m_length - riffEnd) / 2;
    ASSERT_EQ(13592u, count);
    const std::vector<double> beyond = Samples(image.m_pData + riffEnd, count, 1);
    const std::vector<double>& played = Kit()[2].m_channel[0];
    ASSERT_GT(beyond.size(), played.size());

    double peak = 0.0;
    for (double v : beyond)
        peak = std::max(peak, std::fabs(v));
    EXPECT_GT(Db(peak), -3.0);
    EXPECT_EQ(0.0, beyond.back());
    const size_t stroke = size_t(0.02 * shape.m_samplesPerSec);
    double cross = 0.0;
    for (size_t i = 0; i < stroke; ++i)
        cross += played[i] * beyond[i];
    EXPECT_GT(cross / std::sqrt(Energy(played, stroke) * Energy(beyond, stroke)), 0.95);
}

} // namespace
