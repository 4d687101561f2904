// SPDX-License-Identifier: MIT
#include "DrumSetFiles.h"

#include "DrumKit.h"
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

std::string UserSetBytes() {
    std::string names[kSoundCount];
    int32_t keyMap[kKeyMapSize];
    for (int i = 0; i < kSoundCount; ++i)
        names[i] = "Sound " + std::to_string(i);
    for (int code = 0; code < kKeyMapSize; ++code)
        keyMap[code] = code >= 16 && code < 16 + kSoundCount ? code - 16 : kNoSound;
    return FormatDrumSet(names, keyMap);
}

void MakeNewKit(CDrumKit& kit) {
    kit.m_names[0] = "New kick";
    kit.m_names[27] = "New crash";
    kit.Assign(30, 0);
    kit.Assign(57, 27);
}

std::string NewKitBytes() {
    CDrumKit kit;
    MakeNewKit(kit);
    return FormatDrumSet(kit.m_names, kit.m_keyMap);
}

std::string EmptySetBytes() {
    std::string bytes;
    for (int i = 0; i < 28; ++i)
        bytes += "\r\n";
    for (int i = 0; i < 255; ++i)
        bytes += "255 ";
    return bytes;
}
