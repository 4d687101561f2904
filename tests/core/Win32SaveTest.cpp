// SPDX-License-Identifier: MIT
// Saving over the Win32 calls must never cost the user the file they had: a
// new file replaces the old as one step, a read-only file is left alone, a
// file of several names and one in a folder that takes no new file are written
// in place, with room reserved first. The tests run as root under Wine, where
// nothing is refused, so refusals come through the faulty file system.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FaultyFileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

const std::string kOldContents = "Old kick\r\nOld snare\r\n";

int SaveNewKit(const char* path) {
    CDrumKit kit;
    MakeNewKit(kit);
    return kit.SaveSet(path);
}

BY_HANDLE_FILE_INFORMATION Facts(const char* path) {
    BY_HANDLE_FILE_INFORMATION info = {};
    const HANDLE file = CreateFileA(path, FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    EXPECT_NE(INVALID_HANDLE_VALUE, file) << path;
    EXPECT_TRUE(GetFileInformationByHandle(file, &info)) << path;
    CloseHandle(file);
    return info;
}

class Win32Save : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(Win32Save, ReplacesTheFileAsOneStepAndLeavesNothingElse) {
    WriteBytes("drums.set", kOldContents);
    const uint64_t oldFile = FileIdOf("drums.set");
    CFaultyFileSystem fs;
    fs.LimitWrites(7); // short writes must be carried on, not taken for the whole

    EXPECT_EQ(1, SaveNewKit("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("drums.set"));
    EXPECT_NE(oldFile, FileIdOf("drums.set"));
    ASSERT_EQ(1u, fs.m_temps.size());
    const std::string tempStart = "drums.set.saving-" + std::to_string(GetCurrentProcessId()) + "-";
    EXPECT_EQ(0u, fs.m_temps[0].rfind(tempStart, 0)) << fs.m_temps[0];
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

TEST_F(Win32Save, MakesAMissingFile) {
    CDrumKit kit;
    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_EQ(EmptySetBytes(), ReadBytes("drums.set"));
    EXPECT_EQ(0u, GetFileAttributesA("drums.set") & FILE_ATTRIBUTE_READONLY);
}

TEST_F(Win32Save, ReadOnlyFileIsLeftAloneAndTheSaveFails) {
    WriteBytes("drums.set", kOldContents);
    ASSERT_TRUE(SetFileAttributesA("drums.set", FILE_ATTRIBUTE_READONLY));

    EXPECT_EQ(0, SaveNewKit("drums.set"));
    EXPECT_EQ(kOldContents, ReadBytes("drums.set"));
    EXPECT_NE(0u, GetFileAttributesA("drums.set") & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
    SetFileAttributesA("drums.set", FILE_ATTRIBUTE_NORMAL);
}

TEST_F(Win32Save, ReplacementKeepsTheHiddenAttribute) {
    WriteBytes("drums.set", kOldContents);
    ASSERT_TRUE(SetFileAttributesA("drums.set", FILE_ATTRIBUTE_HIDDEN));

    EXPECT_EQ(1, SaveNewKit("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("drums.set"));
    EXPECT_EQ(DWORD{FILE_ATTRIBUTE_HIDDEN},
              GetFileAttributesA("drums.set") & ~DWORD{FILE_ATTRIBUTE_ARCHIVE});
}

TEST_F(Win32Save, FolderInTheFilesPlaceIsLeftAlone) {
    std::filesystem::create_directory("drums.set");
    EXPECT_EQ(0, SaveNewKit("drums.set"));
    EXPECT_TRUE(std::filesystem::is_directory("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

TEST_F(Win32Save, FileOfSeveralNamesIsRewrittenAsOne) {
    std::filesystem::create_directory("store");
    WriteBytes("store/kit.set", kOldContents);
    ASSERT_TRUE(CreateHardLinkA("drums.set", "store\\kit.set", nullptr));
    const uint64_t oldFile = FileIdOf("drums.set");

    ASSERT_EQ(1, SaveNewKit("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("store/kit.set"));
    EXPECT_EQ(oldFile, FileIdOf("drums.set"));
    EXPECT_EQ(2u, Facts("drums.set").nNumberOfLinks);
    EXPECT_EQ((std::vector<std::string>{"drums.set", "store"}), FolderEntries("."));
}

// A name is bytes of the system's code page, as every text of the program:
// the file goes by the characters those bytes are there, and a leftover of a
// killed save of it is still found.
TEST_F(Win32Save, NamesAreBytesOfTheSystemsCodePage) {
    const char name[] = "Tr\xe9sor.set";
    wchar_t wide[32];
    if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, name, -1, wide, 32) == 0)
        GTEST_SKIP() << "no character 0xE9 in code page " << GetACP();
    const std::wstring leftover = std::wstring(wide) + L".saving-99999999-Ab3xYz";
    std::ofstream(std::filesystem::path(leftover)) << "half a file";

    ASSERT_EQ(1, SaveNewKit(name));
    std::ifstream in(std::filesystem::path(wide), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(NewKitBytes(), bytes);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(leftover)));
    CDrumKit reread;
    ASSERT_EQ(1, reread.LoadSet(name));
    EXPECT_EQ("New kick", reread.m_names[0]);
}

TEST_F(Win32Save, InPlaceCutsALongerFileToLength) {
    WriteBytes("drums.set", std::string(5000, 'o') + kOldContents);
    CFaultyFileSystem fs;
    fs.Fail(kCreateTemp, kFileRefused);
    EXPECT_EQ(1, SaveNewKit("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("drums.set"));
}

} // namespace
