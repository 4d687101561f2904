// SPDX-License-Identifier: MIT
#include "DrumKit.h"
#include "FuzzChecks.h"
#include "MemoryFileSystem.h"

#include <algorithm>

namespace {

const char kFile[] = "drums.set";

std::string CheckKeyMap(const CDrumKit& kit) {
    for (int code = 0; code < kKeyMapSize; ++code) {
        const int32_t value = kit.m_keyMap[code];
        if (value != kNoSound && (value < 0 || value >= kSoundCount))
            return "code " + std::to_string(code) + " is bound to " + std::to_string(value);
    }
    return std::string();
}

// A save and what it left: the file alone, no handle open.
std::string Save(CDrumKit& kit, CMemoryFileSystem& fs, std::string* pBytes) {
    if (kit.SaveSet(kFile) != 1)
        return "the save failed";
    if (fs.Names() != std::vector<std::string>{kFile})
        return "the save left " + std::to_string(fs.Names().size()) + " files";
    if (fs.OpenCount() != 0)
        return "the save left a file open";
    *pBytes = fs.Get(kFile);
    return std::string();
}

} // namespace

std::string CheckDrumSetFile(const uint8_t* data, size_t size) {
    CMemoryFileSystem fs;
    fs.Put(kFile, std::string(reinterpret_cast<const char*>(data), size));

    CDrumKit first;
    if (first.LoadSet(kFile) != 1)
        return "the file could not be loaded";
    if (fs.OpenCount() != 0)
        return "the load left the file open";
    std::string fault = CheckKeyMap(first);
    if (!fault.empty())
        return fault;
    std::string once;
    fault = Save(first, fs, &once);
    if (!fault.empty())
        return fault;
    // 28 lines, whatever the names held: no line break inside a name, nothing
    // that would end a name or the file early.
    if (std::count(once.begin(), once.end(), '\n') != kSoundCount ||
        once.find('\0') != std::string::npos || once.find('\x1a') != std::string::npos)
        return "the saved file does not hold 28 lines";

    CDrumKit second;
    if (second.LoadSet(kFile) != 1)
        return "the saved file could not be loaded";
    for (int i = 0; i < kSoundCount; ++i) {
        if (second.m_names[i] != first.m_names[i])
            return "name " + std::to_string(i) + " changed on the way through the file";
    }
    for (int code = 1; code < kKeyMapSize; ++code) {
        if (second.m_keyMap[code] != first.m_keyMap[code])
            return "the binding of code " + std::to_string(code) + " changed";
    }
    std::string twice;
    fault = Save(second, fs, &twice);
    if (!fault.empty())
        return fault;
    if (twice != once)
        return "a saved file changes when loaded and saved again";
    return std::string();
}
