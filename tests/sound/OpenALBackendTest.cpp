// SPDX-License-Identifier: MIT
// The OpenAL Soft back end, played into OpenAL Soft's wave file writer and
// checked by what the written file holds. The writer runs in real time on its
// own thread; the tests sleep only to place strikes apart, and find where each
// strike landed from the device clock read at the strike and from the file.
//
// OpenAL Soft reads its configuration once, at its first call, so main() writes
// this program's own configuration and points ALSOFT_CONF at it before any test.
#include "DirectSound.h"
#include "Resources.h"
#include "SoundVoice.h"
#include "WaveImage.h"
#include "WaveTable.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

constexpr int kRate = 44100;
// Generous bounds on where a strike can land after the clock was read: OpenAL
// starts a source at the next mix period, and the shipped periods are far shorter.
constexpr long kEarly = 64;
constexpr long kLate = 4096;

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

ALCdevice* CurrentDevice() {
    ALCcontext* pContext = alcGetCurrentContext();
    return pContext != nullptr ? alcGetContextsDevice(pContext) : nullptr;
}

int64_t DeviceInt64(ALCenum what) {
    ALCdevice* pDevice = CurrentDevice();
    auto get = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
        alcGetProcAddress(pDevice, "alcGetInteger64vSOFT"));
    if (pDevice == nullptr || get == nullptr)
        return -1;
    ALCint64SOFT value = -1;
    get(pDevice, what, 1, &value);
    return value;
}

// The output frame the device has reached.
long ClockFrame() {
    return long(DeviceInt64(ALC_DEVICE_CLOCK_SOFT) * kRate / 1000000000);
}

std::vector<float> Mono16(const unsigned char* p, uint32_t bytes, int channels, int channel) {
    std::vector<float> out;
    const uint32_t frames = bytes / (2 * channels);
    out.reserve(frames);
    for (uint32_t f = 0; f < frames; ++f) {
        const unsigned char* s = p + 2 * (f * channels + channel);
        out.push_back(float(int16_t(uint16_t(s[0] | s[1] << 8))));
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
    std::ifstream in(g_waveFile, std::ios::binary);
    std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                     std::istreambuf_iterator<char>());
    const unsigned char* format = nullptr;
    const unsigned char* data = nullptr;
    uint32_t length = 0;
    if (ParseWaveImage(bytes.data(), uint32_t(bytes.size()), &format, &data, &length) != 1) {
        ADD_FAILURE() << "the writer left no readable WAVE file";
        return {};
    }
    EXPECT_EQ(2, format[2] | format[3] << 8) << "channels";
    EXPECT_EQ(uint32_t(kRate), uint32_t(format[4] | format[5] << 8 | format[6] << 16));
    EXPECT_EQ(16, format[14] | format[15] << 8) << "bits per sample";
    return Mono16(data, length, 2, 0);
}

double Dot(const float* a, const float* b, long n) {
    double sum = 0;
    for (long i = 0; i < n; ++i)
        sum += double(a[i]) * b[i];
    return sum;
}

struct SFit {
    long m_at = -1;     // output frame where the sample's first frame landed
    double m_gain = 0;  // output level relative to the sample
    double m_match = 0; // normalised correlation there, 1 for a perfect copy
};

// Finds where the sample starts in `out` near `estimate`, judging by `window`
// frames from its frame `skip` on.
SFit FindOnset(const std::vector<float>& out, const std::vector<float>& sample, long estimate,
               long window, long skip = 0) {
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

class OpenALBackendTest : public ::testing::Test {
protected:
    void SetUp() override { std::remove(g_waveFile.c_str()); }
    void TearDown() override {
        EXPECT_EQ(0, CSoundVoice::IsDeviceOpen()) << "every test releases its voices";
    }
};

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
    const int64_t latency = DeviceInt64(ALC_DEVICE_LATENCY_SOFT);
    ALCint refresh = 0;
    alcGetIntegerv(CurrentDevice(), ALC_REFRESH, 1, &refresh);
    // 256-frame periods at 44100 are refreshed about 172 times a second; OpenAL
    // Soft's own default of 1024 frames would give 43.
    EXPECT_GE(refresh, 150) << "alsoft.conf beside the executable was not read";
    EXPECT_GE(latency, 0);
    std::printf("wave writer: refresh %d Hz, device latency %.3f ms\n", refresh, latency / 1e6);
}

// Opening the device in a fresh process under another configuration, since
// OpenAL Soft reads its configuration only once.
int OpenUnder(const std::string& config) {
    const std::string path = g_dir + "/probe.conf";
    WriteFile(path, config);
    const char* argv[] = {g_self.c_str(), "--open-probe", path.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, g_self.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
        return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

enum EProbe { kProbeOk = 10, kProbeNoDriver, kProbeAllocated, kProbeOther };

TEST(OpenALDeviceOpen, NoDriverOnlyWhenNoDeviceIsListed) {
    // No back end at all: nothing is listed.
    EXPECT_EQ(kProbeNoDriver, OpenUnder("[general]\ndrivers = kadenzo-none\n"));
    // The writer lists its device but cannot open a file where there is no folder:
    // taken as busy, and retried.
    EXPECT_EQ(kProbeAllocated,
              OpenUnder("[general]\ndrivers = wave\n[wave]\nfile = " + g_dir + "/none/out.wav\n"));
    EXPECT_EQ(kProbeOk, OpenUnder("[general]\ndrivers = null\n"));
}

int OpenProbe(const char* config) {
    setenv("ALSOFT_CONF", config, 1);
    kds::IDirectSound* pDevice = nullptr;
    const kds::HRESULT result = kds::OpenALDirectSoundCreate(nullptr, &pDevice, nullptr);
    if (pDevice != nullptr)
        pDevice->Release();
    if (result == kds::DS_OK)
        return pDevice != nullptr ? kProbeOk : kProbeOther;
    if (pDevice != nullptr)
        return kProbeOther;
    return result == kds::DSERR_NODRIVER    ? kProbeNoDriver
           : result == kds::DSERR_ALLOCATED ? kProbeAllocated
                                            : kProbeOther;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--open-probe") == 0)
        return OpenProbe(argv[2]);

    char dir[] = "/tmp/kadenzo-openal-XXXXXX";
    if (mkdtemp(dir) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    g_dir = dir;
    g_waveFile = g_dir + "/out.wav";
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = n > 0 ? std::string(self, size_t(n)) : std::string(argv[0]);
    const std::string config = g_dir + "/alsoft.conf";
    WriteFile(config, WaveConfig(g_waveFile));
    setenv("ALSOFT_CONF", config.c_str(), 1);

    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();

    std::remove(g_waveFile.c_str());
    std::remove((g_dir + "/probe.conf").c_str());
    std::remove(config.c_str());
    rmdir(dir);
    return result;
}
