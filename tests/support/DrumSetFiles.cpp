// SPDX-License-Identifier: MIT
#include "DrumSetFiles.h"

#include "DrumSetFile.h"
#include "TestFiles.h"

#include <cstdint>

void WriteDrumSet(const std::string (&names)[kSoundCount], const SBinding* pBindings, int count) {
    int32_t keyMap[kKeyMapSize];
    for (int32_t& entry : keyMap)
        entry = kNoSound;
    for (int i = 0; i < count; ++i)
        keyMap[pBindings[i].m_key] = pBindings[i].m_sound;
    WriteBytes("drums.set", FormatDrumSet(names, keyMap));
}

std::string StarterSet() {
    return ReadBytes(std::string(KADENZO_SOURCE_DIR) + "/res/drums.set");
}

std::string EmptySetBytes() {
    std::string bytes;
    for (int i = 0; i < 28; ++i)
        bytes += "\r\n";
    for (int i = 0; i < 255; ++i)
        bytes += "255 ";
    return bytes;
}
