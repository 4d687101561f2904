// SPDX-License-Identifier: MIT
#include "WaveWriterOutput.h"

#include "Resources.h"
#include "TestFiles.h"
#include "WaveFile.h"
#include "WaveImage.h"

#include <AL/alext.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <fstream>
#include <thread>

std::string g_dir;
std::string g_waveFile;
std::string g_self;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// The configuration of this program: the wave writer, 16-bit stereo at 44100,
// and nothing that changes samples after mixing (no limiter, no dither), so that
// the output is the plain sum of the voices.
std::string WaveConfig(const std::string& file) {
    return "[general]\n"
           "drivers = wave\n"
           "sample-type = int16\n"
           "channels = stereo\n"
           "frequency = 44100\n"
           "output-limiter = false\n"
           "dither = false\n"
           "[wave]\n"
           "file = " +
           file + "\n";
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// The output frame the device has reached.
long ClockFrame() {
    return long(DeviceInteger64(CurrentDevice(), ALC_DEVICE_CLOCK_SOFT) * kRate / 1000000000);
}

std::vector<float> Mono16(const unsigned char* p, uint32_t bytes, int channels, int channel) {
    std::vector<float> out;
    const uint32_t frames = bytes / (2 * channels);
    out.reserve(frames);
    for (uint32_t f = 0; f < frames; ++f) {
        const unsigned char* s = p + 2 * (f * channels + channel);
        out.push_back(float(int16_t(Le16(s))));
    }
    return out;
}

// The sample data of a built-in sound, as floats.
std::vector<float> Sample(int id) {
    SResourceImage image;
    EXPECT_EQ(1, FindResourceImage(kResTypeWave, id, &image));
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(1, ParseWaveImage(image.m_pData, image.m_length, &format, &data, &length));
    return Mono16(data, length, 1, 0);
}

// The left channel of what the writer wrote.
std::vector<float> ReadOutput() {
    const std::string bytes = ReadBytes(g_waveFile);
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    if (ParseWaveImage(reinterpret_cast<const unsigned char*>(bytes.data()), uint32_t(bytes.size()),
                       &format, &data, &length) != 1) {
        ADD_FAILURE() << "the writer left no readable WAVE file";
        return {};
    }
    EXPECT_EQ(2, Le16(format + 2)) << "channels";
    EXPECT_EQ(uint32_t(kRate), Le32(format + 4));
    EXPECT_EQ(16, Le16(format + 14)) << "bits per sample";
    return Mono16(data, length, 2, 0);
}

double Dot(const float* a, const float* b, long n) {
    double sum = 0;
    for (long i = 0; i < n; ++i)
        sum += double(a[i]) * b[i];
    return sum;
}

// Finds where the sample starts in `out` near `estimate`, judging by `window`
// frames from its frame `skip` on.
SFit FindOnset(const std::vector<float>& out, const std::vector<float>& sample, long estimate,
               long window, long skip) {
    SFit best;
    window = std::min<long>(window, long(sample.size()) - skip);
    const float* pSample = sample.data() + skip;
    const double sampleEnergy = Dot(pSample, pSample, window);
    for (long at = std::max(0L, estimate - kEarly); at <= estimate + kLate; ++at) {
        if (at + skip + window > long(out.size()))
            break;
        const float* pOut = out.data() + at + skip;
        const double cross = Dot(pOut, pSample, window);
        const double outEnergy = Dot(pOut, pOut, window);
        if (outEnergy <= 0)
            continue;
        const double match = cross / std::sqrt(outEnergy * sampleEnergy);
        if (match > best.m_match) {
            best = {at, cross / sampleEnergy, match};
        }
    }
    return best;
}

// Energy left in out[from, to) after taking away gain * sample placed at `at`,
// relative to the energy there before.
void Subtract(std::vector<float>& out, const std::vector<float>& sample, long at, double gain,
              long to) {
    for (long t = at; t < to && t < long(out.size()) && t - at < long(sample.size()); ++t)
        out[t] -= float(gain * sample[t - at]);
}

double Energy(const std::vector<float>& v, long from, long to) {
    return Dot(v.data() + from, v.data() + from, std::min<long>(to, long(v.size())) - from);
}

// Output frames before `at` hold nothing.
bool SilentBefore(const std::vector<float>& out, long at) {
    for (long t = 0; t < at && t < long(out.size()); ++t)
        if (out[t] != 0)
            return false;
    return true;
}
