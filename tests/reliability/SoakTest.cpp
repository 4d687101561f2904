// SPDX-License-Identifier: MIT
// A long session on the real OpenAL Soft back end (its null driver, which mixes
// in real time and plays nowhere): every bound key, autorepeat bursts, the whole
// kit sounding at once. Nothing may fail, and memory must stay where it was
// once the session is under way.
#include "DrumKit.h"
#include "DrumSetFiles.h"
#include "OpenALTestSupport.h"
#include "ProcessMemory.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <gtest/gtest.h>

#include <random>
#include <thread>

namespace {

constexpr int kStrokes = 100000;
constexpr int kSettleStrokes = 1000;
// What resident memory may grow by after the settling strokes: a few pages for
// whatever the mixer touches late, nothing that grows with the strokes.
constexpr long kGrowthAllowedKiB = 512;

class SoakOnOpenAL : public ::testing::Test {
protected:
    CAlsoftConfig m_config{"[general]\ndrivers = null\n"};
    CTempFolder m_folder;
};

TEST_F(SoakOnOpenAL, HundredThousandStrokesRaiseNoErrorAndKeepMemoryFlat) {
    WriteBytes("drums.set", StarterSet());
    CDrumKit kit;
    kit.Init();
    ASSERT_EQ(1, CSoundVoice::IsDeviceOpen());
    for (const CSoundVoice& voice : kit.m_voices)
        ASSERT_EQ(1, voice.IsValid());
    std::vector<ScanCode> bound;
    for (int code = 0; code < kKeyMapSize; ++code) {
        if (kit.m_keyMap[code] >= 0 && kit.m_keyMap[code] < kSoundCount)
            bound.push_back(static_cast<ScanCode>(code));
    }
    ASSERT_GE(bound.size(), static_cast<size_t>(kSoundCount));

    std::mt19937 random(4711);
    long settledKiB = -1;
    int wholeKitPlaying = 0;
    int stroke = 0;
    while (stroke < kStrokes) {
        const ScanCode key = bound[random() % bound.size()];
        const int roll = static_cast<int>(random() % 100);
        if (roll < 2) {
            // The whole kit at once: every voice of every sound.
            for (int sound = 0; sound < kSoundCount; ++sound)
                for (int voice = 0; voice < kVoicesPerSound; ++voice)
                    kit.PlaySound(sound);
            stroke += kSoundCount * kVoicesPerSound;
            wholeKitPlaying = std::max(wholeKitPlaying, PlayingSources());
        } else {
            // A key held down repeats some 30 times a second; often a single hit.
            const int burst = roll < 30 ? 10 + static_cast<int>(random() % 40) : 1;
            for (int i = 0; i < burst; ++i)
                kit.PlayKey(key);
            stroke += burst;
        }
        // A pause between hits, so that the session runs some seconds of mixing
        // with sounds starting, ringing out and being cut off.
        std::this_thread::sleep_for(std::chrono::microseconds(1500));
        if (settledKiB < 0 && stroke >= kSettleStrokes)
            settledKiB = ResidentKiB();
    }
    const long endKiB = ResidentKiB();
    std::printf("resident memory after %d strokes: %ld KiB, after %d: %ld KiB; "
                "most voices playing at once: %d\n",
                kSettleStrokes, settledKiB, stroke, endKiB, wholeKitPlaying);

    EXPECT_EQ(kSoundCount * kVoicesPerSound, wholeKitPlaying);
    EXPECT_EQ(AL_NO_ERROR, alGetError());
    ALCcontext* pContext = alcGetCurrentContext();
    ASSERT_NE(nullptr, pContext);
    EXPECT_EQ(ALC_NO_ERROR, alcGetError(alcGetContextsDevice(pContext)));
    ASSERT_GT(settledKiB, 0);
    EXPECT_LE(endKiB - settledKiB, kGrowthAllowedKiB);
}

} // namespace
