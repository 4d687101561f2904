// SPDX-License-Identifier: MIT
// The OpenAL Soft back end, played into OpenAL Soft's wave file writer and
// checked by what the written file holds. The writer runs in real time on its
// own thread; the tests sleep only to place strikes apart, and find where each
// strike landed from the device clock read at the strike and from the file.
//
// OpenAL Soft reads its configuration once, at its first call, so main() writes
// this program's own configuration and points ALSOFT_CONF at it before any test.
#pragma once

#include "OpenALTestSupport.h"
#include "SoundVoice.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

inline constexpr int kRate = 44100;
// Generous bounds on where a strike can land after the clock was read: OpenAL
// starts a source at the next mix period, and the shipped periods are far shorter.
inline constexpr long kEarly = 64;
inline constexpr long kLate = 4096;

// Set by main before the first test: the run's own folder, the file the writer
// writes in it, and this program (to run it again under another configuration).
extern std::string g_dir;
extern std::string g_waveFile;
extern std::string g_self;

void WriteFile(const std::string& path, const std::string& text);
// The configuration of this program: the wave writer, 16-bit stereo at 44100,
// and nothing that changes samples after mixing (no limiter, no dither), so that
// the output is the plain sum of the voices.
std::string WaveConfig(const std::string& file);
void Sleep(int ms);
// The output frame the device has reached.
long ClockFrame();

// 16-bit samples of one channel, as floats.
std::vector<float> Mono16(const unsigned char* p, uint32_t bytes, int channels, int channel);
// The sample data of a built-in sound, as floats.
std::vector<float> Sample(int id);
// The left channel of what the writer wrote.
std::vector<float> ReadOutput();

struct SFit {
    long m_at = -1;     // output frame where the sample's first frame landed
    double m_gain = 0;  // output level relative to the sample
    double m_match = 0; // normalised correlation there, 1 for a perfect copy
};

// Finds where the sample starts in `out` near `estimate`, judging by `window`
// frames from its frame `skip` on.
SFit FindOnset(const std::vector<float>& out, const std::vector<float>& sample, long estimate,
               long window, long skip = 0);
// Takes gain * sample placed at `at` away from out[at, to).
void Subtract(std::vector<float>& out, const std::vector<float>& sample, long at, double gain,
              long to);
double Energy(const std::vector<float>& v, long from, long to);
// Output frames before `at` hold nothing.
bool SilentBefore(const std::vector<float>& out, long at);

// Each test starts with no output file and ends with every voice released.
class OpenALBackendTest : public ::testing::Test {
protected:
    void SetUp() override { std::remove(g_waveFile.c_str()); }
    void TearDown() override {
        EXPECT_EQ(0, CSoundVoice::IsDeviceOpen()) << "every test releases its voices";
    }
};

// Opens the device under the configuration file and tells how that went, as
// the exit status of a fresh copy of this program (--open-probe).
int OpenProbe(const char* config);
