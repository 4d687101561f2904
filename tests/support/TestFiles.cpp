// SPDX-License-Identifier: MIT
#include "TestFiles.h"

#include <sys/stat.h>
#ifdef _WIN32
#include <windows.h>
#endif

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

uint64_t FileIdOf(const std::filesystem::path& path) {
#ifdef _WIN32
    BY_HANDLE_FILE_INFORMATION info = {};
    const HANDLE file = CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 0;
    GetFileInformationByHandle(file, &info);
    CloseHandle(file);
    return (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
#else
    struct stat info;
    return stat(path.string().c_str(), &info) == 0 ? static_cast<uint64_t>(info.st_ino) : 0;
#endif
}

std::vector<std::string> FolderEntries(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
