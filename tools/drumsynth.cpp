// Writes the 28 built-in WAVE images into a folder:  drumsynth OUTDIR
// Deterministic: the same bytes on every run.
#include "WaveTable.h"

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace {

void Put16(std::vector<unsigned char>& v, uint32_t x) {
    v.push_back(x & 0xFF);
    v.push_back((x >> 8) & 0xFF);
}
void Put32(std::vector<unsigned char>& v, uint32_t x) {
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

std::vector<unsigned char> Render(const SWaveShape& w, int index) {
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
    // Placeholder: a decaying tone of the sound's own pitch.
    const double freq = 110.0 * std::pow(2.0, index / 6.0);
    const uint32_t frames = w.m_dataBytes / w.m_blockAlign;
    const uint32_t total = (w.m_imageBytes - 44) / w.m_blockAlign;
    for (uint32_t f = 0; f < total; ++f) {
        const uint32_t n = f < frames ? f : f - frames;
        const uint32_t len = f < frames ? frames : total - frames;
        const double t = double(n) / w.m_samplesPerSec;
        const double env = std::exp(-5.0 * n / len) * (1.0 - double(n) / len);
        const int s = int(std::lround(0.8 * 32767 * env * std::sin(2 * M_PI * freq * t)));
        for (int c = 0; c < w.m_channels; ++c)
            Put16(img, uint16_t(int16_t(s)));
    }
    while (img.size() < w.m_imageBytes)
        img.push_back(0);
    return img;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: drumsynth OUTDIR\n");
        return 2;
    }
    for (int i = 0; i < 28; ++i) {
        const SWaveShape& w = kWaveShapes[i];
        std::vector<unsigned char> img = Render(w, i);
        std::string path = std::string(argv[1]) + "/wave" + std::to_string(w.m_id) + ".wav";
        FILE* f = std::fopen(path.c_str(), "wb");
        if (!f || std::fwrite(img.data(), 1, img.size(), f) != img.size() || std::fclose(f) != 0) {
            std::fprintf(stderr, "drumsynth: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
