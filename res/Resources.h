// SPDX-License-Identifier: MIT
// Lookup of the resources that the build embeds into the executable. Nothing is
// read from disk at run time: every image lives in read-only data for the whole run.
#pragma once

#include <cstdint>

// Resource types, as the executable's resource section would name them.
inline constexpr const char* kResTypeWave = "WAVE";
inline constexpr const char* kResTypeIcon = "ICON";
inline constexpr const char* kResTypePng = "PNG";

struct SResourceImage {
    const unsigned char* m_pData = nullptr;
    uint32_t m_length = 0;
};

// Finds the embedded resource of the given type and numeric id. Returns 1 and
// fills pImage when it exists, else 0 and leaves pImage empty.
int FindResourceImage(const char* type, int id, SResourceImage* pImage);

// The string table. Returns the empty text for an id that has no string.
const char* LoadResourceString(int id);
