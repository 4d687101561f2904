// SPDX-License-Identifier: MIT
#include "WaveFile.h"

#include "TestFiles.h"

#include <cstring>
#include <string>

namespace {

struct SFormat {
    int m_tag = 0;
    int m_channels = 0;
    int m_rate = 0;
    int m_blockAlign = 0;
    int m_bits = 0;
};

int DecodeData(const SFormat& format, const unsigned char* pData, size_t bytes, SPcmSound* pSound) {
    const bool isFloat = format.m_tag == 3 && format.m_bits == 32;
    const bool isInt16 = format.m_tag == 1 && format.m_bits == 16;
    if (format.m_channels <= 0 || format.m_rate <= 0 || (!isFloat && !isInt16) ||
        format.m_blockAlign != format.m_channels * format.m_bits / 8)
        return 0;
    const size_t frames = bytes / size_t(format.m_blockAlign);
    const size_t sampleBytes = size_t(format.m_bits / 8);
    pSound->m_rate = format.m_rate;
    pSound->m_channels = format.m_channels;
    pSound->m_samples.resize(frames * size_t(format.m_channels));
    for (size_t i = 0; i < pSound->m_samples.size(); ++i) {
        const unsigned char* p = pData + i * sampleBytes;
        if (isFloat) {
            const uint32_t word = Le32(p);
            std::memcpy(&pSound->m_samples[i], &word, sizeof word);
        } else {
            pSound->m_samples[i] = static_cast<int16_t>(Le16(p)) / 32768.0f;
        }
    }
    return 1;
}

} // namespace

int DecodeWave(const unsigned char* pImage, size_t length, SPcmSound* pSound) {
    if (length < 12 || std::memcmp(pImage, "RIFF", 4) != 0 ||
        std::memcmp(pImage + 8, "WAVE", 4) != 0)
        return 0;
    SFormat format;
    size_t at = 12;
    while (at + 8 <= length) {
        const unsigned char* pChunk = pImage + at;
        const size_t size = Le32(pChunk + 4);
        const size_t rest = length - at - 8;
        if (std::memcmp(pChunk, "fmt ", 4) == 0 && size >= 16 && rest >= 16) {
            format.m_tag = Le16(pChunk + 8);
            format.m_channels = Le16(pChunk + 10);
            format.m_rate = static_cast<int>(Le32(pChunk + 12));
            format.m_blockAlign = Le16(pChunk + 20);
            format.m_bits = Le16(pChunk + 22);
            // The extensible block: the sub-format's first two bytes are the tag.
            if (format.m_tag == 0xFFFE && size >= 40 && rest >= 40)
                format.m_tag = Le16(pChunk + 8 + 24);
        } else if (std::memcmp(pChunk, "data", 4) == 0) {
            return DecodeData(format, pChunk + 8, size == 0 || size > rest ? rest : size, pSound);
        }
        at += 8 + size + (size & 1);
    }
    return 0;
}

int ReadWaveFile(const std::filesystem::path& path, SPcmSound* pSound) {
    const std::string bytes = ReadBytes(path);
    return DecodeWave(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), pSound);
}
