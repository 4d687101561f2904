// SPDX-License-Identifier: MIT
// Any bytes at all as "drums.set", through the kit's own load and save.
#include "FuzzChecks.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = CheckDrumSetFile(data, size);
    if (!fault.empty()) {
        std::fprintf(stderr, "drum set file: %s\n", fault.c_str());
        std::abort();
    }
    return 0;
}
