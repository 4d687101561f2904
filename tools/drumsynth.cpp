// SPDX-License-Identifier: MIT
// Writes the 28 built-in drum samples as WAVE images into a folder:  drumsynth OUTDIR
// Every sound is synthesized here from oscillators, noise and filters (no recording is
// involved), and the output is the same, byte for byte, on every run.
#include "WaveTable.h"
#include "drumsounds.h"
#include "synthblocks.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

using namespace synth;
using namespace drums;

struct SRecipe {
    const char* m_name;
    void (*m_render)(STake&);
};

const SRecipe kRecipes[28] = {
    {"Crash", Crash},
    {"Open Hat", OpenHat},
    {"Tight Kick", TightKick},
    {"Kick", Kick},
    {"Snare", Snare},
    {"Rimshot", Rimshot},
    {"Piccolo Snare", PiccoloSnare},
    {"High Tom", HighTom},
    {"Deep Kick", DeepKick},
    {"Low Conga", LowConga},
    {"Tambourine", Tambourine},
    {"Mid Tom", MidTom},
    {"Low Tom", LowTom},
    {"Timbale", Timbale},
    {"Clap", Clap},
    {"Sticks", Sticks},
    {"Bongo", Bongo},
    {"High Conga", HighConga},
    {"Floor Tom", FloorTom},
    {"Pedal Hat", PedalHat},
    {"Rim", Rim},
    {"Closed Hat", ClosedHat},
    {"Cowbell", Cowbell},
    {"Wood Block", WoodBlock},
    {"Shaker", Shaker},
    {"Ride", Ride},
    {"China", China},
    {"Splash", Splash},
};

STake Render(const SRecipe& recipe, double rate, int frames, int channels) {
    STake take;
    take.m_rate = rate;
    take.m_frames = frames;
    take.m_channels = channels;
    for (int c = 0; c < 2; ++c)
        take.m_ch[c].assign(frames, 0.0);
    recipe.m_render(take);
    return take;
}

// Makes a raw take playable: no rumble below hearing, a smooth fade to exact zero over its
// last quarter, no offset, and a given peak.
void Finish(STake& take) {
    const int n = take.m_frames;
    const int fadeIn = 8;
    const int fadeOut = std::max(16, n / 4);
    std::vector<double> window(n, 1.0);
    for (int i = 0; i < fadeIn; ++i)
        window[i] = Rise(i + 1.0, fadeIn + 1.0);
    for (int i = 0; i < fadeOut; ++i) {
        const double s = std::cos(0.5 * kPi * (i + 1.0) / fadeOut);
        window[n - fadeOut + i] = s * s;
    }
    double windowSum = 0.0;
    for (int i = 0; i < n; ++i)
        windowSum += window[i];
    for (int c = 0; c < take.m_channels; ++c) {
        std::vector<double>& x = take.m_ch[c];
        CBiquad rumble1 = CBiquad::HighPass(22.0, 0.7, take.m_rate);
        CBiquad rumble2 = CBiquad::HighPass(22.0, 0.7, take.m_rate);
        double sum = 0.0;
        for (int i = 0; i < n; ++i) {
            x[i] = rumble2.Process(rumble1.Process(x[i])) * window[i];
            sum += x[i];
        }
        // Taking the offset out in the shape of the window keeps both ends at zero.
        const double offset = sum / windowSum;
        for (int i = 0; i < n; ++i)
            x[i] -= offset * window[i];
    }
}

double Peak(const STake& take) {
    double peak = 0.0;
    for (int c = 0; c < take.m_channels; ++c)
        for (double v : take.m_ch[c])
            peak = std::max(peak, std::fabs(v));
    return peak;
}

void Scale(STake& take, double gain) {
    for (int c = 0; c < take.m_channels; ++c)
        for (double& v : take.m_ch[c])
            v *= gain;
}

// The RMS of the loudest 50 ms, all channels together. With `weighted`, the signal is first
// weighted the way loudness meters do (less deep bass, more presence), which is closer to
// what the ear compares across a kit.
double LoudestRms(const STake& take, bool weighted) {
    const int window = int(std::lround(0.05 * take.m_rate));
    std::vector<double> power(take.m_frames, 0.0);
    for (int c = 0; c < take.m_channels; ++c) {
        CBiquad shelf = CBiquad::HighShelf(1680.0, 4.0, take.m_rate);
        CBiquad bass = CBiquad::HighPass(38.0, 0.5, take.m_rate);
        for (int i = 0; i < take.m_frames; ++i) {
            const double v =
                weighted ? bass.Process(shelf.Process(take.m_ch[c][i])) : take.m_ch[c][i];
            power[i] += v * v / take.m_channels;
        }
    }
    double run = 0.0, best = 0.0;
    for (int i = 0; i < take.m_frames; ++i) {
        run += power[i];
        if (i >= window)
            run -= power[i - window];
        best = std::max(best, run);
    }
    return std::sqrt(best / std::min(window, take.m_frames));
}

double ToDb(double x) {
    return 20.0 * std::log10(x);
}
double FromDb(double db) {
    return std::pow(10.0, db / 20.0);
}

void Put16(std::vector<unsigned char>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

void PutSamples(std::vector<unsigned char>& img, const STake& take) {
    for (int i = 0; i < take.m_frames; ++i)
        for (int c = 0; c < take.m_channels; ++c)
            Put16(img, uint16_t(int16_t(std::lround(take.m_ch[c][i] * 32767.0))));
}

std::vector<unsigned char> Image(const SWaveShape& w, const STake& take, const STake* pBeyond) {
    std::vector<unsigned char> img;
    img.insert(img.end(), {'R', 'I', 'F', 'F'});
    Put32(img, w.m_riffSize);
    img.insert(img.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(img, 16);
    Put16(img, 1);
    Put16(img, w.m_channels);
    Put32(img, w.m_samplesPerSec);
    Put32(img, w.m_samplesPerSec * w.m_blockAlign);
    Put16(img, w.m_blockAlign);
    Put16(img, 16);
    img.insert(img.end(), {'d', 'a', 't', 'a'});
    Put32(img, w.m_dataBytes);
    PutSamples(img, take);
    if (pBeyond)
        PutSamples(img, *pBeyond);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: drumsynth OUTDIR\n");
        return 2;
    }
    STake takes[28];
    double loudness[28];
    for (int s = 0; s < 28; ++s) {
        const SWaveShape& w = kWaveShapes[s];
        takes[s] =
            Render(kRecipes[s], w.m_samplesPerSec, w.m_dataBytes / w.m_blockAlign, w.m_channels);
        Finish(takes[s]);
        Scale(takes[s], FromDb(-1.0) / Peak(takes[s]));
        loudness[s] = ToDb(LoudestRms(takes[s], true));
    }
    // Balance the kit: sounds louder than the middle of the kit come down, quieter ones go up,
    // within a peak range that neither clips nor gets lost.
    double sorted[28];
    std::copy(loudness, loudness + 28, sorted);
    std::sort(sorted, sorted + 28);
    const double median = 0.5 * (sorted[13] + sorted[14]);
    int status = 0;
    for (int s = 0; s < 28; ++s) {
        const SWaveShape& w = kWaveShapes[s];
        const double peakDb = std::clamp(-1.0 + median - loudness[s], -2.9, -0.6);
        Scale(takes[s], FromDb(peakDb) / Peak(takes[s]));
        // Beyond the RIFF chunk of an image that is longer than its chunk: a longer take of the
        // same stroke, which never plays.
        const uint32_t beyondBytes = w.m_imageBytes - 8 - w.m_riffSize;
        STake beyond;
        if (beyondBytes > 0) {
            beyond =
                Render(kRecipes[s], w.m_samplesPerSec, beyondBytes / w.m_blockAlign, w.m_channels);
            Finish(beyond);
            Scale(beyond, FromDb(peakDb) / Peak(beyond));
        }
        const std::vector<unsigned char> img =
            Image(w, takes[s], beyondBytes > 0 ? &beyond : nullptr);
        std::fprintf(stderr,
                     "%3d %-14s peak %5.1f dBFS  loudest 50 ms %6.1f dBFS (weighted %6.1f)\n",
                     w.m_id, kRecipes[s].m_name, peakDb, ToDb(LoudestRms(takes[s], false)),
                     ToDb(LoudestRms(takes[s], true)));
        const std::string path = std::string(argv[1]) + "/wave" + std::to_string(w.m_id) + ".wav";
        FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok = f && img.size() == w.m_imageBytes &&
                        std::fwrite(img.data(), 1, img.size(), f) == img.size();
        if (f && std::fclose(f) != 0)
            status = 1;
        if (!ok) {
            std::fprintf(stderr, "drumsynth: cannot write %s\n", path.c_str());
            status = 1;
        }
    }
    return status;
}
