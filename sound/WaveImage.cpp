// SPDX-License-Identifier: MIT
#include "WaveImage.h"

#include <cstring>

namespace {

uint32_t ReadLe32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

bool IsId(const unsigned char* p, const char* id) {
    return std::memcmp(p, id, 4) == 0;
}

constexpr uint32_t kRiffHeaderBytes = 12;
constexpr uint32_t kChunkHeaderBytes = 8;
constexpr uint32_t kMinFormatBytes = 14;

} // namespace

int ParseWaveImage(const unsigned char* image, uint32_t imageLength, const unsigned char** pFormat,
                   const unsigned char** pData, uint32_t* pDataLength) {
    *pFormat = nullptr;
    *pData = nullptr;
    *pDataLength = 0;
    if (image == nullptr || imageLength < kRiffHeaderBytes)
        return 0;
    if (!IsId(image, "RIFF") || !IsId(image + 8, "WAVE"))
        return 0;

    // Offsets are kept in 64 bits so that no size in the image can wrap them.
    // The RIFF size only says where chunks stop starting: a chunk that starts
    // before the RIFF end is read whole even when it runs past it. Every read
    // stays within the bytes we were given.
    const uint64_t riffEnd = 8 + uint64_t(ReadLe32(image + 4));
    uint64_t cursor = kRiffHeaderBytes;
    if (cursor >= riffEnd)
        return 0;

    for (;;) {
        if (cursor + kChunkHeaderBytes > imageLength)
            return 0;
        const unsigned char* header = image + cursor;
        const uint32_t bodySize = ReadLe32(header + 4);
        const uint64_t body = cursor + kChunkHeaderBytes;
        const bool bodyInside = body + bodySize <= imageLength;

        if (IsId(header, "fmt ")) {
            if (*pFormat == nullptr) {
                if (bodySize < kMinFormatBytes || !bodyInside)
                    return 0;
                *pFormat = image + body;
                if (*pData != nullptr && *pDataLength != 0)
                    return 1;
            }
        } else if (IsId(header, "data")) {
            if (!bodyInside)
                return 0;
            *pData = image + body;
            *pDataLength = bodySize;
            if (*pFormat != nullptr)
                return 1;
        }

        // The pad rounding is done in 32 bits, as the format's writers do: a
        // size of 0xFFFFFFFF rounds to 0 and the next header is read at the body.
        cursor = body + uint32_t((bodySize + 1u) & ~1u);
        if (cursor >= riffEnd)
            return 0;
    }
}
