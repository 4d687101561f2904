// SPDX-License-Identifier: MIT
#include "FuzzChecks.h"
#include "WaveImage.h"

#include <cstring>
#include <memory>

std::string CheckWaveImage(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return std::string();
    // A copy of exactly the input's size, so that a read past its end is caught.
    std::unique_ptr<unsigned char[]> image(new unsigned char[size == 0 ? 1 : size]);
    if (size != 0)
        std::memcpy(image.get(), data, size);
    const unsigned char* format = nullptr;
    const unsigned char* pData = nullptr;
    uint32_t length = 0;
    const int result = ParseWaveImage(image.get(), uint32_t(size), &format, &pData, &length);
    if (result == 0)
        return std::string();
    if (result != 1)
        return "the reader returned " + std::to_string(result);
    const unsigned char* begin = image.get();
    const unsigned char* end = begin + size;
    // The format block is at least 14 bytes; the data lies wholly in the image.
    if (format == nullptr || format < begin + 20 || format + 14 > end)
        return "the format block lies outside the image";
    if (pData == nullptr || pData < begin + 20 || pData > end || length > size_t(end - pData))
        return "the data lies outside the image";
    return std::string();
}
