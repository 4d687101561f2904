// SPDX-License-Identifier: MIT
// Saving must never cost the user the file they had. Tests run as root, where
// permission bits stop nothing, so every fault comes through the file-system seam.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "FaultyFileSystem.h"
#include "FileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

const std::string kOldContents = "Old kick\r\nOld snare\r\n";

class SaveSet : public ::testing::Test {
protected:
    CTempFolder m_folder;
};

TEST_F(SaveSet, ReplacesTheFileAndKeepsItsPermission) {
    WriteBytes("drums.set", kOldContents);
    std::filesystem::permissions("drums.set", std::filesystem::perms(0644));
    CFaultyFileSystem fs;
    fs.LimitWrites(7); // short writes must be carried on, not taken for the whole
    CDrumKit kit;
    MakeNewKit(kit);

    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("drums.set"));
    EXPECT_EQ(0644, ModeOf("drums.set"));
    ASSERT_EQ(1u, fs.m_temps.size());
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

TEST_F(SaveSet, NewFileIsPrivate) {
    CDrumKit kit;
    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_EQ(EmptySetBytes(), ReadBytes("drums.set"));
    EXPECT_EQ(0600, ModeOf("drums.set"));
}

// The file a run makes at its start, when there was none, is as private as a
// saved one.
TEST_F(SaveSet, FileMadeAtStartIsPrivate) {
    {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        EXPECT_EQ(0600, ModeOf("drums.set"));
    }
    CDrumKit kit;
    ASSERT_EQ(1, kit.LoadSet("other.set"));
    EXPECT_EQ(0600, ModeOf("other.set"));
}

TEST_F(SaveSet, SymbolicLinkStaysAndItsTargetIsReplaced) {
    std::filesystem::create_directory("store");
    WriteBytes("store/drums.set", kOldContents);
    std::filesystem::create_symlink("store/drums.set", "drums.set");
    CFaultyFileSystem fs;
    CDrumKit kit;
    MakeNewKit(kit);

    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    ASSERT_TRUE(std::filesystem::is_symlink("drums.set"));
    EXPECT_EQ("store/drums.set", std::filesystem::read_symlink("drums.set").string());
    EXPECT_EQ(NewKitBytes(), ReadBytes("store/drums.set"));
    // The temporary file was made beside the target, so the rename stayed in one folder.
    ASSERT_EQ(1u, fs.m_temps.size());
    EXPECT_EQ(0u, fs.m_temps[0].rfind("store/drums.set.", 0)) << fs.m_temps[0];
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("store"));
}

TEST_F(SaveSet, ChainOfLinksIsFollowedFromEachLinksOwnFolder) {
    std::filesystem::create_directories("store/real");
    WriteBytes("store/real/kit.set", kOldContents);
    std::filesystem::create_symlink("real/kit.set", "store/link.set");
    std::filesystem::create_symlink(m_folder.Path() / "store/link.set", "drums.set");
    CDrumKit kit;
    MakeNewKit(kit);

    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("drums.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("store/link.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("store/real/kit.set"));
    EXPECT_EQ(std::vector<std::string>{"kit.set"}, FolderEntries("store/real"));
}

TEST_F(SaveSet, DanglingLinkGetsItsTargetCreated) {
    std::filesystem::create_directory("store");
    std::filesystem::create_symlink("store/drums.set", "drums.set");
    CDrumKit kit;
    MakeNewKit(kit);

    EXPECT_EQ(1, kit.SaveSet("drums.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("drums.set"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("store/drums.set"));
    EXPECT_EQ(0600, ModeOf("store/drums.set"));
}

TEST_F(SaveSet, LinkLoopFailsWithoutWritingAnything) {
    std::filesystem::create_symlink("other.set", "drums.set");
    std::filesystem::create_symlink("drums.set", "other.set");
    CDrumKit kit;
    EXPECT_EQ(0, kit.SaveSet("drums.set"));
    EXPECT_EQ((std::vector<std::string>{"drums.set", "other.set"}), FolderEntries("."));
}

// A save killed half-way leaves its temporary file; the next save in that
// folder takes away those whose process is gone, and nothing else.
TEST_F(SaveSet, RemovesTemporariesOfEndedSavesOnly) {
    std::filesystem::create_directory("store");
    std::filesystem::create_symlink("store/drums.set", "drums.set");
    const std::vector<std::string> abandoned = {
        "drums.set.saving-99999999-Ab3xYz",                         // no such process
        "drums.set.saving-" + std::to_string(getpid()) + "-q1w2e3", // an earlier process of our id
    };
    const std::vector<std::string> kept = {
        "drums.set.saving-1-Zz9Yy8", // process 1 runs: a save in flight
        "drums.set.saving-notes",    // the user's own files
        "drums.set.saving-99999999-toolong",
        "drums.set.saving--Ab3xYz",
        "other.set.saving-99999999-Ab3xYz",
        "drums.set.bak",
    };
    for (const std::string& name : abandoned)
        WriteBytes("store/" + name, "half a file");
    for (const std::string& name : kept)
        WriteBytes("store/" + name, "the user's");
    WriteBytes("drums.set.saving-99999999-Ab3xYz", "not the target's folder");
    CDrumKit kit;
    MakeNewKit(kit);

    ASSERT_EQ(1, kit.SaveSet("drums.set"));
    std::vector<std::string> expected = kept;
    expected.push_back("drums.set");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, FolderEntries("store"));
    EXPECT_TRUE(std::filesystem::exists("drums.set.saving-99999999-Ab3xYz"));
    EXPECT_EQ(NewKitBytes(), ReadBytes("store/drums.set"));
}

TEST_F(SaveSet, NoPlainFileInTheWayIsLeftAlone) {
    std::filesystem::create_directory("drums.set");
    CDrumKit kit;
    EXPECT_EQ(0, kit.SaveSet("drums.set"));
    EXPECT_TRUE(std::filesystem::is_directory("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

struct SUnreadableCase {
    const char* m_label;
    EStep m_step;
    EFileError m_error;
};

std::ostream& operator<<(std::ostream& out, const SUnreadableCase& c) {
    return out << c.m_label;
}

class UnreadableSet : public ::testing::TestWithParam<SUnreadableCase> {
protected:
    CTempFolder m_folder;
};

// A file that exists but could not be read whole must survive the run: the kit
// holds none of it, and writing what it holds would wipe the user's work.
TEST_P(UnreadableSet, IsLeftAsItWasByTheKit) {
    std::string userFile;
    for (int i = 0; i < kSoundCount; ++i)
        userFile += "Sound " + std::to_string(i) + std::string(400, '.') + "\r\n";
    for (int code = 1; code < kKeyMapSize; ++code)
        userFile += std::to_string(code % kSoundCount) + " ";
    ASSERT_GT(userFile.size(), 8192u); // more than one read
    WriteBytes("drums.set", userFile);
    {
        CFaultyFileSystem fs;
        fs.Fail(GetParam().m_step, GetParam().m_error);
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        EXPECT_EQ("", kit.m_names[0]);
        EXPECT_EQ(kNoSound, kit.m_keyMap[1]);
        EXPECT_EQ(0, kit.LoadSet("drums.set"));
        kit.m_names[0] = "Typed during the run";
        // Saving on the way out, as at the end of a desktop session, spares it too.
        EXPECT_EQ(0, kit.SaveIfRead());
    }
    EXPECT_EQ(userFile, ReadBytes("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

INSTANTIATE_TEST_SUITE_P(Faults, UnreadableSet,
                         ::testing::Values(SUnreadableCase{"NoReadPermission", kOpenRead,
                                                           kFileRefused},
                                           SUnreadableCase{"ReadFailsHalfWay", kRead, kFileFailed}),
                         [](const auto& info) { return std::string(info.param.m_label); });

TEST(UnreadableSetFolder, FolderInPlaceOfTheFileStaysAndNothingIsWritten) {
    CTempFolder folder;
    std::filesystem::create_directory("drums.set");
    {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        EXPECT_EQ(0, kit.LoadSet("drums.set"));
    }
    EXPECT_TRUE(std::filesystem::is_directory("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

} // namespace
