// SPDX-License-Identifier: MIT
// Finds the strikes in a recording of the program's output (OpenAL Soft's wave
// writer) and tells which of the 28 built-in sounds each one is, by correlating
// the start of every strike with the start of every sound.
//
// Usage: strike_finder OUTPUT.wav
// Prints one line per strike: its time in seconds, the sound (0 to 27), the
// correlation with that sound (1 is a perfect match) and with the next best.
// Strikes must stand apart by a short silence; sounds may not overlap.
#include "DrumTypes.h"
#include "Resources.h"
#include "TestFiles.h"
#include "WaveFile.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

// Below this a sample counts as silence (full scale is 1).
constexpr float kSilence = 0.01f;
// The silence that must come before a strike.
constexpr double kGapSeconds = 0.08;
// The stretch of each strike compared, and how far around the detected onset
// the match is looked for (the onset is found where the sound first rises above
// the silence, a little after its true start).
constexpr double kWindowSeconds = 0.04;
constexpr double kEarlySeconds = 0.01;
constexpr double kLateSeconds = 0.002;

struct SAudio {
    std::vector<float> m_samples; // channels summed
    double m_rate = 0;
};

// The channels of each frame summed.
bool Decode(const unsigned char* image, size_t length, SAudio* pAudio) {
    SPcmSound sound;
    if (!DecodeWave(image, length, &sound))
        return false;
    pAudio->m_rate = sound.m_rate;
    pAudio->m_samples.assign(sound.Frames(), 0.0f);
    for (size_t frame = 0; frame < sound.Frames(); ++frame) {
        float sum = 0;
        for (int channel = 0; channel < sound.m_channels; ++channel)
            sum += sound.At(frame, channel);
        pAudio->m_samples[frame] = sum;
    }
    return true;
}

// Linear interpolation to another rate, as the mixer's default resampler does.
std::vector<float> Resample(const SAudio& audio, double rate, size_t count) {
    std::vector<float> out(count, 0.0f);
    const double step = audio.m_rate / rate;
    for (size_t i = 0; i < count; ++i) {
        const double position = i * step;
        const size_t index = static_cast<size_t>(position);
        if (index + 1 >= audio.m_samples.size())
            break;
        const double fraction = position - index;
        out[i] = static_cast<float>(audio.m_samples[index] * (1 - fraction) +
                                    audio.m_samples[index + 1] * fraction);
    }
    return out;
}

double Correlation(const float* a, const std::vector<float>& b) {
    double ab = 0, aa = 0, bb = 0;
    for (size_t i = 0; i < b.size(); ++i) {
        ab += a[i] * b[i];
        aa += a[i] * a[i];
        bb += b[i] * b[i];
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: strike_finder OUTPUT.wav\n");
        return 2;
    }
    const std::string bytes = ReadBytes(argv[1]);
    SAudio output;
    if (!Decode(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), &output)) {
        std::fprintf(stderr, "%s: no PCM WAVE file\n", argv[1]);
        return 2;
    }
    const double rate = output.m_rate;
    const size_t window = static_cast<size_t>(kWindowSeconds * rate);
    std::vector<std::vector<float>> starts(kSoundCount);
    for (int sound = 0; sound < kSoundCount; ++sound) {
        SResourceImage image;
        SAudio audio;
        if (!FindResourceImage(kResTypeWave, kFirstWaveId + sound, &image) ||
            !Decode(image.m_pData, image.m_length, &audio)) {
            std::fprintf(stderr, "built-in sound %d cannot be read\n", sound);
            return 2;
        }
        starts[sound] = Resample(audio, rate, window);
    }

    const std::vector<float>& x = output.m_samples;
    const size_t gap = static_cast<size_t>(kGapSeconds * rate);
    const size_t early = static_cast<size_t>(kEarlySeconds * rate);
    const size_t late = static_cast<size_t>(kLateSeconds * rate);
    size_t quiet = gap; // the recording starts as if after a silence
    for (size_t i = 0; i < x.size(); ++i) {
        if (std::fabs(x[i]) <= kSilence) {
            ++quiet;
            continue;
        }
        const bool onset = quiet >= gap;
        quiet = 0;
        if (!onset)
            continue;
        double best = -1, second = -1;
        int bestSound = -1;
        for (int sound = 0; sound < kSoundCount; ++sound) {
            double score = -1;
            const size_t first = i > early ? i - early : 0;
            for (size_t s = first; s <= i + late && s + window <= x.size(); ++s)
                score = std::max(score, Correlation(&x[s], starts[sound]));
            if (score > best) {
                second = best;
                best = score;
                bestSound = sound;
            } else if (score > second) {
                second = score;
            }
        }
        std::printf("%.3f %d %.3f %.3f\n", i / rate, bestSound, best, second);
    }
    return 0;
}
