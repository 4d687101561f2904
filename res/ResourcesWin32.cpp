// SPDX-License-Identifier: MIT
// The built-in resources on Windows: the executable's own resource section, as
// windres compiled it from the generated script.
#include "Resources.h"

#include <windows.h>

#include <cstring>

int FindResourceImage(const char* type, int id, SResourceImage* pImage) {
    if (pImage == nullptr || type == nullptr)
        return 0;
    *pImage = SResourceImage{};
    HMODULE module = GetModuleHandleA(nullptr);
    // An icon lives in the resource section as a group that lists its images;
    // the group's header is the icon file's header, which is what callers read.
    const bool icon = std::strcmp(type, kResTypeIcon) == 0;
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(id), icon ? RT_GROUP_ICON : type);
    if (info == nullptr)
        return 0;
    HGLOBAL loaded = LoadResource(module, info);
    if (loaded == nullptr)
        return 0;
    const void* pData = LockResource(loaded);
    // The resource's own length: a WAVE image may carry bytes beyond its RIFF
    // chunk, and the reader must know where the image really ends.
    const DWORD length = SizeofResource(module, info);
    if (pData == nullptr || length == 0)
        return 0;
    pImage->m_pData = static_cast<const unsigned char*>(pData);
    pImage->m_length = length;
    return 1;
}
