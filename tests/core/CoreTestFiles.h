// SPDX-License-Identifier: MIT
// File helpers for the core tests. The kit opens "drums.set" by its bare name,
// so every test that reaches it runs inside a folder of its own.
#pragma once

#include "TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdlib.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline int ModeOf(const std::string& path) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

// The names in a folder, sorted, so that a stray temporary file shows.
inline std::vector<std::string> FolderEntries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// What a kit writes when nothing is named and nothing bound: 28 empty lines and
// 255 times "255 ".
inline std::string EmptySetBytes() {
    std::string bytes;
    for (int i = 0; i < 28; ++i)
        bytes += "\r\n";
    for (int i = 0; i < 255; ++i)
        bytes += "255 ";
    return bytes;
}
