// SPDX-License-Identifier: MIT
// PCM sound out of RIFF WAVE images and files, read on the tests' own terms
// (not through the program's reader): the built-in samples, and what OpenAL
// Soft's wave writer recorded.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <vector>

// Little-endian fields.
inline uint16_t Le16(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t Le32(const unsigned char* p) {
    return static_cast<uint32_t>(Le16(p)) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}

// Samples as fractions of full scale, the channels of a frame side by side.
struct SPcmSound {
    int m_rate = 0;
    int m_channels = 0;
    std::vector<float> m_samples;

    size_t Frames() const { return m_channels > 0 ? m_samples.size() / size_t(m_channels) : 0; }
    float At(size_t frame, int channel) const {
        return m_samples[frame * size_t(m_channels) + size_t(channel)];
    }
};

// 16-bit integer or 32-bit float PCM, in a plain or an extensible format block.
// A data chunk whose size is 0 or runs past the image (a writer that never went
// back to fill it in) runs to the image's end. 0 for anything else.
int DecodeWave(const unsigned char* pImage, size_t length, SPcmSound* pSound);
int ReadWaveFile(const std::filesystem::path& path, SPcmSound* pSound);
