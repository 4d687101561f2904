// Any bytes at all as a drum set file: reading must stay in bounds, and one
// load and save must give a file that loads and saves to the same bytes.
#include "DrumSetFile.h"

#include <cstdio>
#include <cstdlib>

namespace {

std::string LoadAndFormat(const char* data, size_t size) {
    std::string names[kSoundCount];
    int32_t keyMap[kKeyMapSize];
    for (int32_t& entry : keyMap)
        entry = kNoSound;
    CMemorySource source(data, size);
    ReadDrumSet(source, names, keyMap);
    for (int32_t entry : keyMap) {
        if (entry != kNoSound && (entry < 0 || entry >= kSoundCount)) {
            std::fprintf(stderr, "key map holds %d\n", entry);
            std::abort();
        }
    }
    return FormatDrumSet(names, keyMap);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string once = LoadAndFormat(reinterpret_cast<const char*>(data), size);
    if (LoadAndFormat(once.data(), once.size()) != once) {
        std::fprintf(stderr, "a saved file changes when loaded and saved again\n");
        std::abort();
    }
    return 0;
}
