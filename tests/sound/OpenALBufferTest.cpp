// SPDX-License-Identifier: MIT
// The buffers of the OpenAL Soft back end: positions set on playing and stopped
// buffers, a position at the end, a context for all 140 voices, and the latency
// of the shipped settings.
#include "WaveWriterOutput.h"

#include "DirectSound.h"
#include "Resources.h"
#include "WaveImage.h"
#include "WaveTable.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

namespace {

// The buffer interface directly: positions on playing and stopped buffers.
class CDirectBuffer {
public:
    explicit CDirectBuffer(int id) {
        SResourceImage image;
        FindResourceImage(kResTypeWave, id, &image);
        const unsigned char* format = nullptr;
        ParseWaveImage(image.m_pData, image.m_length, &format, &m_pData, &m_length);
        if (kds::OpenALDirectSoundCreate(nullptr, &m_pDevice, nullptr) != kds::DS_OK)
            return;
        const kds::DSBUFFERDESC desc{20, kds::DSBCAPS_STATIC, m_length, 0, format};
        if (m_pDevice->CreateSoundBuffer(&desc, &m_pBuffer, nullptr) != kds::DS_OK)
            return;
        void* region = nullptr;
        uint32_t bytes = 0;
        if (m_pBuffer->Lock(0, 0, &region, &bytes, nullptr, nullptr, kds::DSBLOCK_ENTIREBUFFER) !=
            kds::DS_OK)
            return;
        std::memcpy(region, m_pData, bytes);
        m_ok = m_pBuffer->Unlock(region, bytes, nullptr, 0) == kds::DS_OK;
    }
    ~CDirectBuffer() {
        if (m_pBuffer != nullptr)
            m_pBuffer->Release();
        if (m_pDevice != nullptr)
            m_pDevice->Release();
    }
    bool m_ok = false;
    kds::IDirectSound* m_pDevice = nullptr;
    kds::IDirectSoundBuffer* m_pBuffer = nullptr;
    const unsigned char* m_pData = nullptr;
    uint32_t m_length = 0;
};

TEST_F(OpenALBackendTest, PlayKeepsThePositionJustSetOnPlayingAndStoppedBuffers) {
    const uint32_t seekFrame = 30000;
    long estimate[3] = {};
    {
        CDirectBuffer direct(300);
        ASSERT_TRUE(direct.m_ok);
        kds::IDirectSoundBuffer* pBuffer = direct.m_pBuffer;
        // Stopped: starts from the position set.
        ASSERT_EQ(kds::DS_OK, pBuffer->SetCurrentPosition(seekFrame * 2));
        estimate[0] = ClockFrame();
        EXPECT_EQ(kds::DS_OK, pBuffer->Play(0, 0, 0));
        Sleep(80);
        // Playing: a new position is taken at once, and Play goes on from there.
        estimate[1] = ClockFrame();
        EXPECT_EQ(kds::DS_OK, pBuffer->SetCurrentPosition(2 * 1000));
        EXPECT_EQ(kds::DS_OK, pBuffer->Play(0, 0, 0));
        Sleep(80);
        estimate[2] = ClockFrame();
        EXPECT_EQ(kds::DS_OK, pBuffer->SetCurrentPosition(seekFrame * 2));
        Sleep(80);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
    }
    std::vector<float> out = ReadOutput();
    const std::vector<float> sample = Sample(300);
    const std::vector<float> fromSeek(sample.begin() + seekFrame, sample.end());
    const std::vector<float> from1000(sample.begin() + 1000, sample.end());
    // OpenAL Soft fades a source in over its first mix period when it starts from
    // inside its sample, against a click; the comparison starts after that.
    const long fade = 512;
    const SFit a = FindOnset(out, fromSeek, estimate[0], 1024, fade);
    const SFit b = FindOnset(out, from1000, estimate[1], 1024);
    const SFit c = FindOnset(out, fromSeek, estimate[2], 1024);
    EXPECT_GT(a.m_match, 0.999) << a.m_at << " " << estimate[0] << " " << a.m_gain;
    EXPECT_GT(b.m_match, 0.999) << b.m_at << " " << estimate[1] << " " << b.m_gain;
    EXPECT_GT(c.m_match, 0.999) << "a seek without Play moves a playing buffer too";
    EXPECT_TRUE(SilentBefore(out, a.m_at));
    ASSERT_LT(a.m_at + fade, b.m_at);
    ASSERT_LT(b.m_at, c.m_at);
    // Between the seeks the buffer plays on from each position, one copy only.
    const double energy = Energy(out, a.m_at + fade, c.m_at + 2048);
    Subtract(out, fromSeek, a.m_at, a.m_gain, b.m_at);
    Subtract(out, from1000, b.m_at, b.m_gain, c.m_at);
    Subtract(out, fromSeek, c.m_at, c.m_gain, c.m_at + 2048);
    EXPECT_LT(Energy(out, a.m_at + fade, c.m_at + 2048), 1e-4 * energy);
}

TEST_F(OpenALBackendTest, PositionAtTheEndPlaysNothingAndRaisesNoError) {
    long struck = 0;
    long silenced = 0;
    {
        CSoundVoice voice;
        ASSERT_EQ(1, voice.Create(300, nullptr));
        // Stopped: nothing starts.
        voice.Play(0xFFFFFFFFu, 0);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
        Sleep(60);
        struck = ClockFrame();
        voice.Play(0, 0);
        Sleep(60);
        // Playing: the voice falls silent.
        silenced = ClockFrame();
        voice.Play(kWaveShapes[0].m_dataBytes, 0);
        EXPECT_EQ(AL_NO_ERROR, alGetError());
        Sleep(60);
    }
    const std::vector<float> out = ReadOutput();
    const SFit fit = FindOnset(out, Sample(300), struck, 1024);
    EXPECT_GT(fit.m_match, 0.999);
    EXPECT_TRUE(SilentBefore(out, fit.m_at)) << "the strike at the end sounded";
    long lastSound = -1;
    for (long t = 0; t < long(out.size()); ++t)
        if (out[t] != 0)
            lastSound = t;
    EXPECT_GT(lastSound, silenced - kEarly);
    EXPECT_LE(lastSound, silenced + kLate)
        << "the voice went on after its position reached the end";
}

TEST_F(OpenALBackendTest, ContextHoldsEveryVoiceWithoutHrtf) {
    std::vector<std::unique_ptr<CSoundVoice>> voices;
    for (int i = 0; i < 140; ++i) {
        voices.push_back(std::make_unique<CSoundVoice>());
        ASSERT_EQ(1, voices.back()->Create(300 + i / 5, nullptr)) << i;
    }
    ALCdevice* pDevice = CurrentDevice();
    ASSERT_NE(nullptr, pDevice);
    ALCint mono = 0;
    ALCint stereo = 0;
    ALCint hrtf = -1;
    alcGetIntegerv(pDevice, ALC_MONO_SOURCES, 1, &mono);
    alcGetIntegerv(pDevice, ALC_STEREO_SOURCES, 1, &stereo);
    alcGetIntegerv(pDevice, ALC_HRTF_SOFT, 1, &hrtf);
    EXPECT_GE(mono, 140);
    EXPECT_GE(stereo, 140);
    EXPECT_EQ(ALC_FALSE, hrtf);
    // All 140 sound at once.
    for (auto& voice : voices)
        voice->Play(0, 0);
    EXPECT_EQ(AL_NO_ERROR, alGetError());
    // Releasing all but one leaves the context working and every name released once.
    voices.erase(voices.begin(), voices.end() - 1);
    EXPECT_EQ(AL_NO_ERROR, alGetError());
    EXPECT_EQ(1, CSoundVoice::IsDeviceOpen());
    voices.back()->Play(0, 0);
    EXPECT_EQ(AL_NO_ERROR, alGetError());
}

TEST_F(OpenALBackendTest, ShippedSettingsGiveAShortDeviceLatency) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(300, nullptr));
    const int64_t latency = DeviceInteger64(CurrentDevice(), ALC_DEVICE_LATENCY_SOFT);
    ALCint refresh = 0;
    alcGetIntegerv(CurrentDevice(), ALC_REFRESH, 1, &refresh);
    // 256-frame periods at 44100 are refreshed about 172 times a second; OpenAL
    // Soft's own default of 1024 frames would give 43.
    EXPECT_GE(refresh, 150) << "alsoft.conf beside the executable was not read";
    EXPECT_GE(latency, 0);
    std::printf("wave writer: refresh %d Hz, device latency %.3f ms\n", refresh, latency / 1e6);
}

} // namespace
