// SPDX-License-Identifier: MIT
// Any bytes at all as a WAVE image of the length given.
#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = CheckWaveImage(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "WAVE image: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
