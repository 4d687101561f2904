// SPDX-License-Identifier: MIT
// Whole files as byte strings, file modes and folder listings, for tests that
// look at what the program left on disk.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// The file's bytes; empty when it cannot be read.
std::string ReadBytes(const std::filesystem::path& path);
// Replaces the file with these bytes.
void WriteBytes(const std::filesystem::path& path, const std::string& bytes);
// The permission bits of the file, or -1 when it is not there.
int ModeOf(const std::filesystem::path& path);
// Which file a name stands for (its inode, or its Windows file index): the
// same while the file is rewritten in place, another once it is replaced.
uint64_t FileIdOf(const std::filesystem::path& path);
// The names in a folder, sorted, so that a stray temporary file shows.
std::vector<std::string> FolderEntries(const std::filesystem::path& folder);
