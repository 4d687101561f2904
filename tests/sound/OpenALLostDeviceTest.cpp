// SPDX-License-Identifier: MIT
// An output that goes away under the OpenAL Soft back end, as a sound card
// unplugged where the stream cannot move elsewhere (ALSA) would take it. The
// back end runs on OpenAL Soft's wave writer; its seams say when the open
// device is gone, make reopening fail while the output stays away, and stand
// in for the clock that paces the attempts. The writer starts its file afresh
// on every open, so after a reconnection the file holds only what was played
// on the new device.
#include "DirectSound.h"
#include "OpenALSeams.h"
#include "OpenALTestSupport.h"
#include "Resources.h"
#include "SoundVoice.h"
#include "WaveImage.h"

#include <AL/al.h>
#include <AL/alc.h>

#include <gtest/gtest.h>

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string g_waveFile;

// The devices opened so far are numbered; those up to g_lostThrough are gone.
// Devices open on the output's own thread.
std::atomic<int> g_opened{0};
std::atomic<int> g_lostThrough{0};
// Attempts to open the default device since the output was lost.
std::atomic<int> g_openCalls{0};
std::atomic<bool> g_outputAway{false};
uint64_t g_nowMs = 0;

// While held, an open waits inside the server, as with one that hangs.
std::mutex g_holdLock;
std::condition_variable g_holdChanged;
bool g_held = false;
bool g_holding = false;
// A held open fails once let go (the hung server was killed), rather than opening.
bool g_heldOpenFails = false;
std::atomic<int> g_heldEnded{0};

ALCdevice* OpenUnlessAway() {
    {
        std::unique_lock<std::mutex> lock(g_holdLock);
        const bool held = g_held;
        g_holding = held;
        g_holdChanged.notify_all();
        g_holdChanged.wait(lock, [] { return !g_held; });
        g_holding = false;
        if (held && g_heldOpenFails) {
            ++g_heldEnded;
            return nullptr;
        }
    }
    ++g_openCalls;
    if (g_outputAway)
        return nullptr;
    ALCdevice* pDevice = alcOpenDevice(nullptr);
    if (pDevice != nullptr)
        ++g_opened;
    return pDevice;
}

// Only one device is open at a time: the newest.
bool OpenedDeviceStillThere(ALCdevice*) {
    return g_opened > g_lostThrough;
}

uint64_t TestClock() {
    return g_nowMs;
}

// The output goes away and stays away until Return().
void LoseOutput() {
    g_lostThrough = g_opened.load();
    g_outputAway = true;
    g_openCalls = 0;
}
void ReturnOutput() {
    g_outputAway = false;
}

void HoldOpens() {
    std::lock_guard<std::mutex> lock(g_holdLock);
    g_held = true;
}
// Whether an open is held now, after waiting for one for a while.
bool AnOpenIsHeld() {
    std::unique_lock<std::mutex> lock(g_holdLock);
    return g_holdChanged.wait_for(lock, std::chrono::seconds(30), [] { return g_holding; });
}
void ReleaseOpens(bool fail = false) {
    {
        std::lock_guard<std::mutex> lock(g_holdLock);
        g_held = false;
        g_heldOpenFails = fail;
    }
    g_holdChanged.notify_all();
}

void Sleep(int ms) {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

// A built-in sound's first channel, or the writer's left channel, as floats.
std::vector<float> Channel16(const unsigned char* pData, uint32_t bytes, int channels) {
    std::vector<float> out;
    for (uint32_t at = 0; at + 2 * channels <= bytes; at += 2 * channels)
        out.push_back(float(int16_t(uint16_t(pData[at] | pData[at + 1] << 8))));
    return out;
}

std::vector<float> Sample(int id) {
    SResourceImage image;
    EXPECT_EQ(1, FindResourceImage(kResTypeWave, id, &image));
    const unsigned char* pFormat = nullptr;
    const unsigned char* pData = nullptr;
    uint32_t length = 0;
    EXPECT_EQ(1, ParseWaveImage(image.m_pData, image.m_length, &pFormat, &pData, &length));
    return Channel16(pData, length, 1);
}

std::vector<float> Output() {
    std::ifstream in(g_waveFile, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    const unsigned char* pFormat = nullptr;
    const unsigned char* pData = nullptr;
    uint32_t length = 0;
    if (bytes.empty() ||
        ParseWaveImage(bytes.data(), uint32_t(bytes.size()), &pFormat, &pData, &length) != 1)
        return {};
    return Channel16(pData, length, 2);
}

size_t FirstSound(const std::vector<float>& v, size_t from = 0) {
    while (from < v.size() && v[from] == 0)
        ++from;
    return from;
}

// The sounds struck, in order, each heard in full after a silence: the output
// is their plain sum (no limiter, no dither), and each sample's first frames
// come out as a scaled copy.
::testing::AssertionResult HeardInOrder(const std::vector<int>& ids) {
    const std::vector<float> out = Output();
    size_t at = 0;
    for (int id : ids) {
        const std::vector<float> sample = Sample(id);
        const size_t sampleStart = FirstSound(sample);
        at = FirstSound(out, at);
        constexpr size_t kWindow = 2048;
        if (at + kWindow > out.size())
            return ::testing::AssertionFailure() << "sound " << id << " was not heard";
        double cross = 0, outEnergy = 0, sampleEnergy = 0;
        for (size_t i = 0; i < kWindow; ++i) {
            cross += double(out[at + i]) * sample[sampleStart + i];
            outEnergy += double(out[at + i]) * out[at + i];
            sampleEnergy += double(sample[sampleStart + i]) * sample[sampleStart + i];
        }
        const double match = cross / std::sqrt(outEnergy * sampleEnergy);
        if (match < 0.999)
            return ::testing::AssertionFailure() << "sound " << id << " matched " << match;
        // On to the silence after it.
        at += sample.size() - sampleStart;
    }
    if (FirstSound(out, at) != out.size())
        return ::testing::AssertionFailure() << "more was heard than " << ids.size() << " sounds";
    return ::testing::AssertionSuccess();
}

// A voice of a built-in sound, over the real back end.
int Create(CSoundVoice& voice, int id) {
    SResourceImage image;
    FindResourceImage(kResTypeWave, id, &image);
    return voice.CreateFromMemory(image.m_pData, image.m_length, nullptr);
}

// Strikes and lets the sound play out on the writer, which runs in real time.
void Strike(CSoundVoice& voice) {
    voice.Play(0, 0);
    Sleep(400);
}

class OpenALLostDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        std::remove(g_waveFile.c_str());
        g_lostThrough = g_opened.load();
        g_outputAway = false;
        g_nowMs = 100000;
        // Every open is answered before the caller goes on, however busy the
        // machine, unless a test says otherwise.
        kds::SetOpenWaitMs(60000);
        kds::SetSilenceBeforePauseMs(0);
    }
    void TearDown() override {
        // A test that failed halfway lets go of the open it held.
        ReleaseOpens();
        EXPECT_EQ(0, CSoundVoice::IsDeviceOpen()) << "every test releases its voices";
        EXPECT_EQ(nullptr, alcGetCurrentContext()) << "no context outlives the device";
    }
};

TEST_F(OpenALLostDeviceTest, NextStrikeReopensTheOutputAndIsHeard) {
    {
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 302));
        LoseOutput();
        ReturnOutput();
        Strike(voice);
        EXPECT_EQ(1, g_openCalls.load()) << "the strike opened the output again, once";
        Strike(voice);
        EXPECT_EQ(1, g_openCalls.load()) << "the output stays open";
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    EXPECT_TRUE(HeardInOrder({302, 302}));
}

TEST_F(OpenALLostDeviceTest, StrikesWhileAwayAreSilentAndRetryAtMostOncePerSecond) {
    {
        CSoundVoice voices[2];
        ASSERT_EQ(1, Create(voices[0], 302));
        ASSERT_EQ(1, Create(voices[1], 310));
        LoseOutput();
        struct SStep {
            uint64_t m_atMs;
            int m_openCalls;
        };
        // The first strike after the loss tries at once; later strikes try
        // only a full second after the last attempt.
        const SStep steps[] = {{0, 1},    {10, 1},   {500, 1}, {999, 1},
                               {1000, 2}, {1001, 2}, {2500, 3}};
        for (const SStep& step : steps) {
            g_nowMs = 100000 + step.m_atMs;
            voices[step.m_atMs % 2].Play(0, 0);
            EXPECT_EQ(step.m_openCalls, g_openCalls.load()) << "strike at " << step.m_atMs << " ms";
            EXPECT_EQ(nullptr, alcGetCurrentContext()) << "no output while it is away";
        }
        ReturnOutput();
        g_nowMs += 999;
        Strike(voices[0]);
        EXPECT_EQ(3, g_openCalls.load()) << "still within the second";
        g_nowMs += 1;
        Strike(voices[1]);
        EXPECT_EQ(4, g_openCalls.load());
        Strike(voices[0]);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    EXPECT_TRUE(HeardInOrder({310, 302}));
}

TEST_F(OpenALLostDeviceTest, EveryBufferIsRefilledWhenTheOutputComesBack) {
    SResourceImage images[2];
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, 302, &images[0]));
    ASSERT_EQ(1, FindResourceImage(kResTypeWave, 310, &images[1]));
    {
        kds::IDirectSound* pDevice = nullptr;
        ASSERT_EQ(kds::DS_OK, kds::OpenALDirectSoundCreate(nullptr, &pDevice, nullptr));
        kds::IDirectSoundBuffer* buffers[2] = {};
        for (int i = 0; i < 2; ++i) {
            const unsigned char* pFormat = nullptr;
            const unsigned char* pData = nullptr;
            uint32_t length = 0;
            ParseWaveImage(images[i].m_pData, images[i].m_length, &pFormat, &pData, &length);
            const kds::DSBUFFERDESC desc{20, kds::DSBCAPS_STATIC, length, 0, pFormat};
            ASSERT_EQ(kds::DS_OK, pDevice->CreateSoundBuffer(&desc, &buffers[i], nullptr));
            void* pRegion = nullptr;
            uint32_t bytes = 0;
            ASSERT_EQ(kds::DS_OK, buffers[i]->Lock(0, 0, &pRegion, &bytes, nullptr, nullptr,
                                                   kds::DSBLOCK_ENTIREBUFFER));
            std::copy(pData, pData + bytes, static_cast<unsigned char*>(pRegion));
            ASSERT_EQ(kds::DS_OK, buffers[i]->Unlock(pRegion, bytes, nullptr, 0));
        }
        LoseOutput();
        // The strike finds the output gone; from then on every buffer is lost.
        EXPECT_EQ(kds::DSERR_BUFFERLOST, buffers[0]->Play(0, 0, 0));
        void* pRegion = nullptr;
        uint32_t bytes = 0;
        EXPECT_EQ(kds::DSERR_BUFFERLOST, buffers[1]->Lock(0, 0, &pRegion, &bytes, nullptr, nullptr,
                                                          kds::DSBLOCK_ENTIREBUFFER));
        EXPECT_EQ(kds::DSERR_BUFFERLOST, buffers[1]->SetCurrentPosition(0));
        EXPECT_EQ(kds::DSERR_BUFFERLOST, buffers[1]->Play(0, 0, 0));
        EXPECT_EQ(kds::DSERR_BUFFERLOST, buffers[0]->Restore()) << "the output is still away";
        ReturnOutput();
        g_nowMs += kds::kReopenIntervalMs;
        // One restore brings the output back with every buffer in it, filled:
        // neither buffer is written again.
        EXPECT_EQ(kds::DS_OK, buffers[0]->Restore());
        EXPECT_EQ(kds::DS_OK, buffers[1]->SetCurrentPosition(0));
        EXPECT_EQ(kds::DS_OK, buffers[1]->Play(0, 0, 0));
        Sleep(400);
        EXPECT_EQ(kds::DS_OK, buffers[0]->SetCurrentPosition(0));
        EXPECT_EQ(kds::DS_OK, buffers[0]->Play(0, 0, 0));
        Sleep(400);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
        buffers[0]->Release();
        buffers[1]->Release();
        pDevice->Release();
    }
    EXPECT_TRUE(HeardInOrder({310, 302}));
}

TEST_F(OpenALLostDeviceTest, VoiceCreatedWhileAwayIsFilledByItsFirstStrikeAfter) {
    {
        CSoundVoice first;
        CSoundVoice late;
        ASSERT_EQ(1, Create(first, 302));
        LoseOutput();
        first.Play(0, 0); // finds the output gone
        // The buffer is made, but cannot be filled while the output is away.
        EXPECT_EQ(0, Create(late, 310));
        EXPECT_EQ(1, late.IsValid());
        ReturnOutput();
        g_nowMs += kds::kReopenIntervalMs;
        Strike(late);
        Strike(first);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    EXPECT_TRUE(HeardInOrder({310, 302}));
}

TEST_F(OpenALLostDeviceTest, VoicesReleasedWhileAwayLeaveNothingBehind) {
    {
        CSoundVoice voices[3];
        for (CSoundVoice& voice : voices)
            ASSERT_EQ(1, Create(voice, 302));
        LoseOutput();
        voices[1].Play(0, 0);
    }
    EXPECT_EQ(0, CSoundVoice::IsDeviceOpen());
    // The next device is a new one, opened as at start-up.
    ReturnOutput();
    {
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 310));
        Strike(voice);
    }
    EXPECT_TRUE(HeardInOrder({310}));
}

// A server that hangs at start: the voices are made at once, their strikes
// stay silent while the open hangs, and the first strike after it answers is
// heard. Nothing here waits for the open to end.
TEST_F(OpenALLostDeviceTest, StartWhileTheServerHangsGoesOnSilentlyAndPlaysOnceItAnswers) {
    kds::SetOpenWaitMs(100);
    {
        HoldOpens();
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 302)) << "filled while the device still opens";
        ASSERT_TRUE(AnOpenIsHeld()) << "the voice was made while the open hung";
        EXPECT_EQ(1, CSoundVoice::IsDeviceOpen());
        voice.Play(0, 0);
        EXPECT_TRUE(AnOpenIsHeld()) << "the strike did not wait for the open";
        EXPECT_EQ(nullptr, alcGetCurrentContext());
        ReleaseOpens();
        // Strikes stay silent until one finds the device open, and plays.
        for (int i = 0; i < 3000 && alcGetCurrentContext() == nullptr; ++i) {
            Sleep(10);
            voice.Play(0, 0);
        }
        Sleep(400);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    EXPECT_TRUE(HeardInOrder({302}));
}

// The server hangs after a restart: the strike that reopens the output does
// not wait for it, nor do the voices' release at exit; a new device opens
// once the server answers.
TEST_F(OpenALLostDeviceTest, ReopenThatHangsHoldsNoStrikeAndIsLeftBehindAtExit) {
    {
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 302));
        kds::SetOpenWaitMs(100);
        LoseOutput();
        ReturnOutput();
        HoldOpens();
        voice.Play(0, 0);
        ASSERT_TRUE(AnOpenIsHeld()) << "the strike asked for the output again";
        g_nowMs += 10 * kds::kReopenIntervalMs;
        voice.Play(0, 0);
        EXPECT_TRUE(AnOpenIsHeld()) << "the strikes went on while the open hung";
    }
    EXPECT_TRUE(AnOpenIsHeld()) << "the voices went without waiting for the open";
    // The hung server is killed: its open fails, and the next device is a new one.
    ReleaseOpens(true);
    for (int i = 0; i < 3000 && g_heldEnded == 0; ++i)
        Sleep(10);
    kds::SetOpenWaitMs(60000);
    {
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 310));
        Strike(voice);
    }
    EXPECT_TRUE(HeardInOrder({310}));
}

// After a long silence the device pauses; a strike then wakes it and is
// played through to its end, never dropped. (The writer cannot show it: it
// rewrites its header when paused.)
TEST_F(OpenALLostDeviceTest, StrikeAfterTheDevicePausedIsPlayedThrough) {
    kds::SetSilenceBeforePauseMs(200);
    {
        CSoundVoice voice;
        ASSERT_EQ(1, Create(voice, 310));
        Strike(voice);
        for (int i = 0; i < 3000 && !kds::OutputPaused(); ++i)
            Sleep(10);
        ASSERT_TRUE(kds::OutputPaused()) << "paused after the silence";
        voice.Play(0, 0);
        EXPECT_EQ(1, PlayingSources()) << "the strike started its source";
        for (int i = 0; i < 3000 && PlayingSources() != 0; ++i)
            Sleep(10);
        EXPECT_EQ(0, PlayingSources()) << "the device woke and played it to its end";
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
}

} // namespace

int main(int argc, char** argv) {
    char dir[] = "/tmp/kadenzo-lost-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    g_waveFile = std::string(dir) + "/out.wav";
    const std::string config = std::string(dir) + "/alsoft.conf";
    // The writer, with nothing that changes samples after mixing.
    std::ofstream(config) << "[general]\ndrivers = wave\nsample-type = int16\nchannels = stereo\n"
                             "frequency = 44100\noutput-limiter = false\ndither = false\n"
                             "[wave]\nfile = "
                          << g_waveFile << "\n";
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_CONF", config.c_str(), 1);
    kds::SetAlcOpenDefault(&OpenUnlessAway);
    kds::SetAlcIsConnected(&OpenedDeviceStillThere);
    kds::SetReopenClock(&TestClock);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::remove(g_waveFile.c_str());
    std::remove(config.c_str());
    rmdir(dir);
    return result;
}
