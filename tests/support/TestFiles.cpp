// SPDX-License-Identifier: MIT
#include "TestFiles.h"

#include <sys/stat.h>

#include <algorithm>
#include <fstream>
#include <iterator>

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

int ModeOf(const std::filesystem::path& path) {
    struct stat info;
    if (stat(path.string().c_str(), &info) != 0)
        return -1;
    return static_cast<int>(info.st_mode & 07777);
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
