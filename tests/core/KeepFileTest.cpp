// SPDX-License-Identifier: MIT
// A run must not cost the user any part of "drums.set": a run without changes
// leaves its bytes, a change to a file read only in part keeps the file as read
// beside it, a save in place on a full disk leaves the old file whole, and a
// file too large to be real is never read nor written. Over a file system in
// memory, one run of the program at a time: Init, a change or none, the end.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "MemoryFileSystem.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

const char kFile[] = "drums.set";
const char kBackup[] = "drums.set.bak";

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// The user's file as a text editor may have saved it.
std::string Utf16WithByteOrderMark() {
    std::string bytes = "\xff\xfe";
    for (char c : UserSetBytes()) {
        bytes += c;
        bytes += '\0';
    }
    return bytes;
}

std::string WithTypo() {
    std::string file = UserSetBytes();
    const size_t at = file.rfind(" 10 ");
    return file.replace(at, 4, " 1O ");
}

struct SFileCase {
    const char* m_label;
    std::function<std::string()> m_bytes;
};

std::ostream& operator<<(std::ostream& out, const SFileCase& c) {
    return out << c.m_label;
}

// Files a save gives back, line ends apart, or of which it keeps every byte.
const SFileCase kWholeFiles[] = {
    {"AsTheProgramWritesIt", UserSetBytes},
    {"LineFeedsAlone", [] { return Replaced(UserSetBytes(), "\r\n", "\n"); }},
    {"LineEndAfterTheKeyMap", [] { return UserSetBytes() + "\r\n"; }},
    {"Empty", [] { return std::string(); }},
    {"TenNamesOnly", [] { return UserSetBytes().substr(0, UserSetBytes().find("Sound 10")); }},
    // A lone CR stays in its name: the whole file becomes the first name.
    {"OldMacLineEnds", [] { return Replaced(UserSetBytes(), "\r\n", "\r"); }},
};

// Files read only in part: a save would lose what was not understood.
const SFileCase kMisreadFiles[] = {
    {"Utf16WithByteOrderMark", Utf16WithByteOrderMark},
    {"TypoInTheKeyMap", WithTypo},
    {"ZeroByteInAName", [] { return Replaced(UserSetBytes(), "Sound 5", "Sou\0nd 5"s); }},
    {"CtrlZBeforeTheEnd", [] { return Replaced(UserSetBytes(), "Sound 20", "\x1aSound 20"); }},
    {"OctalNumber", [] { return Replaced(UserSetBytes(), " 10 ", " 012 "); }},
    {"WordsAfterTheKeyMap", [] { return UserSetBytes() + "notes"; }},
};

// One run of the program over a file system in memory.
class OneRun {
protected:
    // Init, then change (when given), then the kit goes, as the window does.
    void RunProgram(const std::function<void(CDrumKit&)>& change = nullptr) {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        if (change)
            change(kit);
    }

    // The bytes of the one recovery file the run kept.
    std::string Recovered() const {
        std::vector<std::string> kept;
        for (const std::string& name : m_fs.Names()) {
            if (name.rfind(CMemoryFileSystem::kStateFolder, 0) == 0)
                kept.push_back(name);
        }
        EXPECT_EQ(1u, kept.size());
        return kept.empty() ? std::string() : m_fs.Get(kept[0]);
    }

    CMemoryFileSystem m_fs;
};

void Rename(CDrumKit& kit) {
    kit.m_names[3] = "Renamed";
}

class UnchangedRun : public OneRun, public ::testing::TestWithParam<SFileCase> {};

TEST_P(UnchangedRun, LeavesTheFileByteForByte) {
    const std::string bytes = GetParam().m_bytes();
    m_fs.Put(kFile, bytes);
    RunProgram();
    EXPECT_EQ(bytes, m_fs.Get(kFile));
    EXPECT_EQ(std::vector<std::string>{kFile}, m_fs.Names());
}

INSTANTIATE_TEST_SUITE_P(Whole, UnchangedRun, ::testing::ValuesIn(kWholeFiles),
                         [](const auto& info) { return std::string(info.param.m_label); });
INSTANTIATE_TEST_SUITE_P(Misread, UnchangedRun, ::testing::ValuesIn(kMisreadFiles),
                         [](const auto& info) { return std::string(info.param.m_label); });

class ChangedRun : public OneRun, public ::testing::TestWithParam<SFileCase> {
protected:
    // What a kit that read bytes and took the change saves.
    static std::string Saved(const std::string& bytes) {
        CDrumKit kit;
        CMemorySource source(bytes.data(), bytes.size());
        ReadDrumSet(source, kit.m_names, kit.m_keyMap);
        Rename(kit);
        return FormatDrumSet(kit.m_names, kit.m_keyMap);
    }
};

class ChangeToAWholeFile : public ChangedRun {};

TEST_P(ChangeToAWholeFile, IsSavedWithoutABackup) {
    const std::string bytes = GetParam().m_bytes();
    m_fs.Put(kFile, bytes);
    RunProgram(Rename);
    EXPECT_EQ(Saved(bytes), m_fs.Get(kFile));
    EXPECT_EQ(std::vector<std::string>{kFile}, m_fs.Names());
}

INSTANTIATE_TEST_SUITE_P(Files, ChangeToAWholeFile, ::testing::ValuesIn(kWholeFiles),
                         [](const auto& info) { return std::string(info.param.m_label); });

class ChangeToAMisreadFile : public ChangedRun {};

TEST_P(ChangeToAMisreadFile, KeepsTheFileAsReadBesideIt) {
    const std::string bytes = GetParam().m_bytes();
    m_fs.Put(kFile, bytes);
    m_fs.Put(kBackup, "an older backup");
    RunProgram(Rename);
    EXPECT_EQ(Saved(bytes), m_fs.Get(kFile));
    EXPECT_EQ(bytes, m_fs.Get(kBackup));
    EXPECT_EQ((std::vector<std::string>{kFile, kBackup}), m_fs.Names());
}

INSTANTIATE_TEST_SUITE_P(Files, ChangeToAMisreadFile, ::testing::ValuesIn(kMisreadFiles),
                         [](const auto& info) { return std::string(info.param.m_label); });

class SavesOfOneRun : public OneRun, public ::testing::Test {};

// The end of a desktop session saves, then the end of the program: the backup
// holds the file as this run first read it, whatever came after.
TEST_F(SavesOfOneRun, MakeOneBackupOnly) {
    m_fs.Put(kFile, WithTypo());
    RunProgram([&](CDrumKit& kit) {
        Rename(kit);
        EXPECT_EQ(1, kit.SaveIfRead());
        EXPECT_EQ(WithTypo(), m_fs.Get(kBackup));
        m_fs.Put(kBackup, "the backup, looked at");
        kit.m_names[4] = "Renamed later";
    });
    EXPECT_EQ("the backup, looked at", m_fs.Get(kBackup));
    EXPECT_NE(std::string::npos, m_fs.Get(kFile).find("Renamed later"));
}

// A save leaves nothing more to save: the next one writes nothing.
TEST_F(SavesOfOneRun, WriteOnlyWhatChangedSinceTheLastSave) {
    m_fs.Put(kFile, UserSetBytes());
    RunProgram([&](CDrumKit& kit) {
        Rename(kit);
        EXPECT_EQ(1, kit.SaveIfRead());
        m_fs.Put(kFile, "edited by hand since");
    });
    EXPECT_EQ("edited by hand since", m_fs.Get(kFile));
}

TEST_F(SavesOfOneRun, FirstRunWritesTheEmptySetWithoutAChange) {
    RunProgram();
    EXPECT_EQ(EmptySetBytes(), m_fs.Get(kFile));
}

// Where the folder takes no new file there is no room for a backup either: a
// misread file is not rewritten without one.
TEST_F(SavesOfOneRun, InAFolderTakingNoNewFileFailWithoutABackup) {
    m_fs.Put(kFile, WithTypo());
    m_fs.RefuseNewFiles(true);
    std::string changes;
    RunProgram([&](CDrumKit& kit) {
        Rename(kit);
        EXPECT_EQ(0, kit.SaveIfRead());
        changes = FormatDrumSet(kit.m_names, kit.m_keyMap);
    });
    EXPECT_EQ(WithTypo(), m_fs.Get(kFile));
    EXPECT_EQ(changes, Recovered());
}

// The new file is written before the backup: room for it alone is not enough.
TEST_F(SavesOfOneRun, FailWhenTheBackupCannotBeMadeAndKeepTheFile) {
    const std::string bytes = WithTypo();
    m_fs.Put(kFile, bytes);
    m_fs.SetCapacity(3 * bytes.size() - 1);
    std::string changes;
    RunProgram([&](CDrumKit& kit) {
        Rename(kit);
        EXPECT_EQ(0, kit.SaveIfRead());
        changes = FormatDrumSet(kit.m_names, kit.m_keyMap);
    });
    EXPECT_EQ(bytes, m_fs.Get(kFile));
    EXPECT_EQ(changes, Recovered());
}

struct SInPlaceCase {
    const char* m_label;
    size_t m_spare; // room on the disk beside the old file; -1 for plenty
    bool m_reservation;
    int m_saved;
};

std::ostream& operator<<(std::ostream& out, const SInPlaceCase& c) {
    return out << c.m_label;
}

class InPlaceSave : public OneRun, public ::testing::TestWithParam<SInPlaceCase> {};

// The old file is 4000 bytes, the new one 4098; a torn write of the first
// 4096 would leave code 255 bound to sound 25.
TEST_P(InPlaceSave, ReservesRoomBeforeTheFirstByte) {
    const SInPlaceCase& c = GetParam();
    const std::string oldFile = std::string(2924, 'o') + EmptySetBytes();
    ASSERT_EQ(4000u, oldFile.size());
    m_fs.Put(kFile, oldFile);
    m_fs.RefuseNewFiles(true);
    m_fs.DropReservation(!c.m_reservation);
    if (c.m_spare != static_cast<size_t>(-1))
        m_fs.SetCapacity(oldFile.size() + c.m_spare);
    std::string expected;
    RunProgram([&](CDrumKit& kit) {
        kit.m_names[0] = std::string(2924 + 98, 'n');
        expected = FormatDrumSet(kit.m_names, kit.m_keyMap);
        EXPECT_EQ(c.m_saved, kit.SaveIfRead());
    });
    ASSERT_EQ(4098u, expected.size());
    EXPECT_EQ(c.m_saved ? expected : oldFile, m_fs.Get(kFile));
    EXPECT_EQ(std::vector<std::string>{kFile}, m_fs.Names());
}

INSTANTIATE_TEST_SUITE_P(Disks, InPlaceSave,
                         ::testing::Values(SInPlaceCase{"Room", static_cast<size_t>(-1), true, 1},
                                           SInPlaceCase{"JustRoom", 98, true, 1},
                                           SInPlaceCase{"FullDisk", 96, true, 0},
                                           SInPlaceCase{"NoReservation", 4096, false, 0}),
                         [](const auto& info) { return std::string(info.param.m_label); });

TEST_F(SavesOfOneRun, InPlaceCutAShorterFileToLength) {
    m_fs.Put(kFile, std::string(5000, 'o') + EmptySetBytes());
    m_fs.RefuseNewFiles(true);
    RunProgram([](CDrumKit& kit) { kit.m_names[0] = "Short"; });
    EXPECT_EQ("Short" + EmptySetBytes(), m_fs.Get(kFile));
}

class SizeLimit : public OneRun, public ::testing::Test {
protected:
    // All of the user's file but the first name.
    static std::string Rest() {
        return "\r\n" + UserSetBytes().substr(UserSetBytes().find("Sound 1\r\n"));
    }
    // A file of size bytes: one long name, then the rest of the user's file.
    static std::string FileOf(size_t size) {
        return std::string(size - Rest().size(), 'x') + Rest();
    }
};

// Compared with ==, so that a failure does not print the megabytes.
TEST_F(SizeLimit, FileAtTheLimitLoadsWhole) {
    const std::string bytes = FileOf(kMaxSetFileBytes);
    m_fs.Put(kFile, bytes);
    RunProgram([&](CDrumKit& kit) {
        EXPECT_EQ(kMaxSetFileBytes - Rest().size(), kit.m_names[0].size());
        EXPECT_EQ(kSoundCount - 1, kit.m_keyMap[16 + kSoundCount - 1]);
    });
    EXPECT_TRUE(bytes == m_fs.Get(kFile));
}

// Treated like a file that cannot be read: nothing of it is loaded, and the
// run's changes are not written over it.
TEST_F(SizeLimit, LargerFileIsLeftUnreadAndUnwritten) {
    const std::string bytes = FileOf(kMaxSetFileBytes + 1);
    m_fs.Put(kFile, bytes);
    std::string changes;
    RunProgram([&](CDrumKit& kit) {
        EXPECT_EQ("", kit.m_names[1]);
        EXPECT_EQ(kNoSound, kit.m_keyMap[16]);
        kit.Assign(30, 2);
        EXPECT_EQ(0, kit.SaveIfRead());
        changes = FormatDrumSet(kit.m_names, kit.m_keyMap);
    });
    EXPECT_TRUE(bytes == m_fs.Get(kFile));
    EXPECT_EQ(changes, Recovered());
}

struct SKeepCase {
    const char* m_label;
    std::string m_file;
    int m_keeps;
};

std::ostream& operator<<(std::ostream& out, const SKeepCase& c) {
    return out << c.m_label;
}

class SavingKeeps : public ::testing::TestWithParam<SKeepCase> {};

TEST_P(SavingKeeps, EveryByteOrNot) {
    EXPECT_EQ(GetParam().m_keeps, SaveKeepsAll(GetParam().m_file, "Kick\r\n \r\n1 255 "));
}

INSTANTIATE_TEST_SUITE_P(Files, SavingKeeps,
                         ::testing::Values(SKeepCase{"Same", "Kick\r\n \r\n1 255 ", 1},
                                           SKeepCase{"LineFeeds", "Kick\n \n1 255 ", 1},
                                           SKeepCase{"MixedLineEnds", "Kick\n \r\n1 255 ", 1},
                                           SKeepCase{"Start", "Kick\r\n", 1},
                                           SKeepCase{"CutInAName", "Ki", 1},
                                           SKeepCase{"LineEndsAfter", "Kick\n \n1 255 \r\n\n", 1},
                                           SKeepCase{"Nothing", "", 1},
                                           SKeepCase{"LoneReturn", "Kick\r", 0},
                                           SKeepCase{"ReturnBeforeLineEnd", "Kick\r\r\n", 0},
                                           SKeepCase{"OtherName", "Kicks\r\n", 0},
                                           SKeepCase{"MoreAfter", "Kick\n \n1 255 2", 0},
                                           SKeepCase{"BlankAfter", "Kick\n \n1 255  ", 0}),
                         [](const auto& info) { return std::string(info.param.m_label); });

} // namespace
