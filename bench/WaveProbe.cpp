// SPDX-License-Identifier: MIT
// Where a strike lands in OpenAL Soft's output, through its wave writer: the
// device clock is read at each of 40 strikes, and the sample's first frame is
// looked for in the written file. Also the latency OpenAL Soft reports for the
// device and its mixing period. Only the back end is chosen here: the period
// settings come from the alsoft.conf beside this program, if any.
//
// Usage: wave_probe [--figures FILE]
#include "BenchFigures.h"
#include "BenchKit.h"
#include "OpenALTestSupport.h"
#include "Resources.h"
#include "TempFolder.h"
#include "WaveFile.h"

#include <AL/alext.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr float kOnsetLevel = 0.002f; // about -54 dB of full scale
constexpr int kStrikes = 40;

// The first frame in which a channel of the sound reaches the onset level, from `from` on.
int64_t OnsetFrame(const SPcmSound& sound, int64_t from) {
    for (int64_t f = std::max<int64_t>(0, from); f < int64_t(sound.Frames()); ++f) {
        for (int c = 0; c < sound.m_channels; ++c) {
            if (std::fabs(sound.At(size_t(f), c)) > kOnsetLevel)
                return f;
        }
    }
    return -1;
}

// The sample's own lead-in: the first frame of its data at the onset level.
int SampleOnsetFrame(int sound) {
    SResourceImage image;
    SPcmSound pcm;
    if (!FindResourceImage(kResTypeWave, kFirstWaveId + sound, &image) ||
        !DecodeWave(image.m_pData, image.m_length, &pcm))
        return -1;
    return int(OnsetFrame(pcm, 0));
}

struct SStrike {
    int64_t m_clockNs;                      // the device clock just before PlayKey
    CClock::time_point m_wall;              // the wall clock at the same moment
    std::vector<int64_t> m_clocks;          // device clock values seen after the strike...
    std::vector<CClock::time_point> m_seen; // ...and when each was first seen
};

// Strikes fall at every phase of the mixing period; after each, the device
// clock is watched for a while, then the voice is stopped.
std::vector<SStrike> Strike(CDrumKit& kit, ALCdevice* pDevice) {
    std::vector<SStrike> strikes(kStrikes);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (int i = 0; i < kStrikes; ++i) {
        std::this_thread::sleep_for(std::chrono::microseconds(60000 + (i * 7919) % 30000));
        SStrike& strike = strikes[size_t(i)];
        strike.m_clockNs = DeviceInteger64(pDevice, ALC_DEVICE_CLOCK_SOFT);
        strike.m_wall = CClock::now();
        kit.PlayKey(kStrikeKey);
        int64_t last = strike.m_clockNs;
        const auto until = strike.m_wall + std::chrono::milliseconds(120);
        while (CClock::now() < until) {
            const int64_t clock = DeviceInteger64(pDevice, ALC_DEVICE_CLOCK_SOFT);
            if (clock != last) {
                strike.m_clocks.push_back(clock);
                strike.m_seen.push_back(CClock::now());
                last = clock;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        SilenceSound(kit, kStrikeSound);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    return strikes;
}

void ReportStrikes(CFigures& figures, const std::vector<SStrike>& strikes, const SPcmSound& wave) {
    const int sampleOnset = SampleOnsetFrame(kStrikeSound);
    std::vector<double> streamDelays;
    std::vector<double> mixWaits;
    const double nsPerFrame = 1e9 / wave.m_rate;
    for (const SStrike& strike : strikes) {
        // The output is silent before each strike: the voice before it was stopped.
        const int64_t from = int64_t(double(strike.m_clockNs) / nsPerFrame) - wave.m_rate / 100;
        const int64_t found = OnsetFrame(wave, from);
        if (found < 0)
            continue;
        const int64_t onset = found - sampleOnset;
        streamDelays.push_back((double(onset) * nsPerFrame - double(strike.m_clockNs)) / 1e6);
        // The first clock reading past the onset's frame: the mix that carried it is done.
        const double onsetEndNs = double(onset + 1) * nsPerFrame;
        for (size_t k = 0; k < strike.m_clocks.size(); ++k) {
            if (double(strike.m_clocks[k]) >= onsetEndNs) {
                mixWaits.push_back(NsBetween(strike.m_wall, strike.m_seen[k]) / 1e6);
                break;
            }
        }
    }
    // Each mix moves the device clock on by one period.
    std::vector<double> steps;
    for (const SStrike& strike : strikes) {
        for (size_t k = 1; k < strike.m_clocks.size(); ++k)
            steps.push_back(double(strike.m_clocks[k] - strike.m_clocks[k - 1]) / nsPerFrame);
    }
    figures.Add("wave_period_frames", std::round(SpreadOf(steps).m_median),
                "frames per mix (clock steps)");
    const SSpread stream = SpreadOf(streamDelays);
    const SSpread wait = SpreadOf(mixWaits);
    figures.Add("wave_strikes_found", double(streamDelays.size()),
                "of 40 strikes found in the output");
    figures.Add("wave_sample_onset_frames", sampleOnset, "frames of lead-in in the sample itself");
    figures.Add("wave_stream_delay_ms", stream.m_median,
                "ms strike clock -> first frame in output (median)");
    figures.Add("wave_stream_delay_max_ms", stream.m_max, "ms (largest)");
    figures.Add("wave_mix_wait_ms", wait.m_median,
                "ms real time strike -> mix carrying it (median)");
    figures.Add("wave_mix_wait_max_ms", wait.m_max, "ms (largest)");
}

int Probe(CFigures& figures, const std::string& wavePath) {
    Heading("Wave writer: the output latency and where strikes land in the output");
    auto pKit = std::make_unique<CDrumKit>();
    pKit->Init();
    BindAll(*pKit);
    ALCdevice* pDevice = CurrentDevice();
    if (pDevice == nullptr || !pKit->m_voices[0].IsValid()) {
        std::printf("  no wave writer device\n");
        return 1;
    }
    ReportDevice(figures, "wave");
    ALCint frequency = 0;
    alcGetIntegerv(pDevice, ALC_FREQUENCY, 1, &frequency);
    const std::vector<SStrike> strikes = Strike(*pKit, pDevice);
    pKit.reset(); // closes the device: the writer finishes the file

    SPcmSound wave;
    if (!ReadWaveFile(wavePath, &wave) || wave.m_rate != frequency) {
        std::printf("  the wave writer's output could not be read\n");
        return 1;
    }
    ReportStrikes(figures, strikes, wave);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    std::string figuresPath;
    if (argc == 3 && std::strcmp(argv[1], "--figures") == 0)
        figuresPath = argv[2];
    else if (argc != 1)
        return 2;
    CFigures figures(figuresPath, false);
    if (!figures.IsOpen())
        return 1;
    PrintMachine("wave_probe");

    // A folder of our own: the kit reads and writes drums.set in the working folder.
    CTempFolder folder;
    const std::string wave = (folder.Path() / "strikes.wav").string();
    CAlsoftConfig config("[general]\ndrivers = wave\n[wave]\nfile = " + wave + "\n");
    return Probe(figures, wave);
}
