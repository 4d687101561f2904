// Any bytes at all as a WAVE image: the reader must stay inside them, and what
// it returns must lie inside them too.
#include "WaveImage.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 0xFFFFFFFFu)
        return 0;
    // A copy of exactly the input's size, so that a read past its end is caught.
    std::unique_ptr<unsigned char[]> image(new unsigned char[size == 0 ? 1 : size]);
    if (size != 0)
        std::memcpy(image.get(), data, size);
    const unsigned char* format = nullptr;
    const unsigned char* pData = nullptr;
    uint32_t length = 0;
    const int result = ParseWaveImage(image.get(), uint32_t(size), &format, &pData, &length);
    if (result != 1)
        return 0;
    const unsigned char* begin = image.get();
    const unsigned char* end = begin + size;
    const bool formatInside = format != nullptr && format >= begin + 20 && format + 14 <= end;
    const bool dataInside =
        pData != nullptr && pData >= begin + 20 && pData <= end && length <= size_t(end - pData);
    if (!formatInside || !dataInside) {
        std::fprintf(stderr, "result outside the image\n");
        std::abort();
    }
    return 0;
}
