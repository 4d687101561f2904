// SPDX-License-Identifier: MIT
// Voices on the OpenAL Soft back end, heard through its wave writer: each strike
// puts the whole sample into the output once, at its own rate and channels.
#include "WaveWriterOutput.h"

#include "WaveTable.h"

#include <AL/al.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

TEST_F(OpenALBackendTest, StrikeWritesTheSampleIntoTheOutput) {
    const int ids[] = {302, 320};
    long estimate[2] = {};
    {
        CSoundVoice voices[2];
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(1, voices[i].Create(ids[i], nullptr));
        Sleep(30);
        for (int i = 0; i < 2; ++i) {
            estimate[i] = ClockFrame();
            voices[i].Play(0, 0);
            Sleep(300);
        }
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    std::vector<float> out = ReadOutput();
    long previousEnd = 0;
    for (int i = 0; i < 2; ++i) {
        const std::vector<float> sample = Sample(ids[i]);
        const SFit fit = FindOnset(out, sample, estimate[i], 2048);
        ASSERT_GE(fit.m_at, 0) << ids[i];
        EXPECT_GT(fit.m_match, 0.999) << ids[i];
        EXPECT_GT(fit.m_gain, 0.1) << ids[i];
        // Nothing sounds between the strikes, and the whole sample plays once.
        for (long t = previousEnd; t < fit.m_at; ++t)
            ASSERT_EQ(0.0f, out[t]) << "sound before strike of " << ids[i] << " at " << t;
        const long end = fit.m_at + long(sample.size());
        const double before = Energy(out, fit.m_at, end);
        Subtract(out, sample, fit.m_at, fit.m_gain, end);
        EXPECT_LT(Energy(out, fit.m_at, end), 1e-4 * before) << ids[i];
        previousEnd = end;
    }
    EXPECT_LT(Energy(out, previousEnd, long(out.size())), 1.0) << "silence after the last sample";
}

TEST_F(OpenALBackendTest, OtherRatesAndStereoPlayForTheirOwnLength) {
    // Sound 13 runs at 39063 samples per second, sound 14 is stereo.
    const int ids[] = {313, 314};
    long estimate[2] = {};
    {
        CSoundVoice voices[2];
        for (int i = 0; i < 2; ++i)
            ASSERT_EQ(1, voices[i].Create(ids[i], nullptr));
        for (int i = 0; i < 2; ++i) {
            estimate[i] = ClockFrame();
            voices[i].Play(0, 0);
            Sleep(650);
        }
    }
    const std::vector<float> out = ReadOutput();
    for (int i = 0; i < 2; ++i) {
        const SWaveShape& shape = kWaveShapes[ids[i] - 300];
        const double seconds =
            double(shape.m_dataBytes) / (shape.m_samplesPerSec * shape.m_blockAlign);
        long first = -1;
        long last = -1;
        const long to = std::min<long>(long(out.size()), estimate[i] + long(0.64 * kRate));
        for (long t = std::max(0L, estimate[i]); t < to; ++t) {
            if (std::fabs(out[t]) > 0) {
                if (first < 0)
                    first = t;
                last = t;
            }
        }
        ASSERT_GE(first, 0) << ids[i] << " made no sound";
        EXPECT_LE(first - estimate[i], kLate) << ids[i];
        EXPECT_NEAR(seconds, double(last + 1 - first) / kRate, 0.01) << ids[i];
    }
}

TEST_F(OpenALBackendTest, SecondStrikeRestartsTheVoiceFromItsFirstSample) {
    long estimate[2] = {};
    {
        CSoundVoice voice;
        ASSERT_EQ(1, voice.Create(300, nullptr));
        estimate[0] = ClockFrame();
        voice.Play(0, 0);
        Sleep(80);
        estimate[1] = ClockFrame();
        voice.Play(0, 0);
        Sleep(250);
    }
    std::vector<float> out = ReadOutput();
    const std::vector<float> sample = Sample(300);
    const SFit first = FindOnset(out, sample, estimate[0], 1024);
    const SFit second = FindOnset(out, sample, estimate[1], 1024);
    ASSERT_GE(first.m_at, 0);
    ASSERT_GT(second.m_at, first.m_at + 1024);
    EXPECT_GT(first.m_match, 0.999);
    EXPECT_GT(second.m_match, 0.999);
    EXPECT_NEAR(first.m_gain, second.m_gain, 0.01 * first.m_gain);
    EXPECT_TRUE(SilentBefore(out, first.m_at));
    // The first strike is heard up to the second and no further: from there on the
    // output is one copy from the sample's first frame, not two added together.
    const long end = second.m_at + long(0.2 * kRate);
    const double energy = Energy(out, first.m_at, end);
    Subtract(out, sample, first.m_at, first.m_gain, second.m_at);
    Subtract(out, sample, second.m_at, second.m_gain, end);
    EXPECT_LT(Energy(out, first.m_at, end), 1e-4 * energy);
}

TEST_F(OpenALBackendTest, FiveVoicesOfOneSoundOverlap) {
    constexpr int kFive = 5;
    long estimate[kFive] = {};
    {
        CSoundVoice voices[kFive];
        for (CSoundVoice& voice : voices)
            ASSERT_EQ(1, voice.Create(300, nullptr));
        for (int i = 0; i < kFive; ++i) {
            estimate[i] = ClockFrame();
            voices[i].Play(0, 0);
            Sleep(45);
        }
        Sleep(200);
    }
    std::vector<float> out = ReadOutput();
    const std::vector<float> sample = Sample(300);
    long at[kFive] = {};
    const long end = estimate[kFive - 1] + long(0.2 * kRate);
    const double energy = Energy(out, std::max(0L, estimate[0] - kEarly), end);
    for (int i = 0; i < kFive; ++i) {
        // Each strike is found in what is left once the earlier ones are taken away.
        const SFit fit = FindOnset(out, sample, estimate[i], 1024);
        ASSERT_GE(fit.m_at, 0) << i;
        EXPECT_GT(fit.m_match, 0.999) << i;
        at[i] = fit.m_at;
        Subtract(out, sample, fit.m_at, fit.m_gain, end);
        if (i > 0) {
            EXPECT_GT(at[i], at[i - 1]) << i;
            // Each earlier voice is still sounding when the next one starts.
            EXPECT_LT(at[i] - at[0], long(sample.size())) << i;
        }
    }
    EXPECT_LT(Energy(out, std::max(0L, estimate[0] - kEarly), end), 1e-4 * energy)
        << "the output is the five copies added together";
}

} // namespace
