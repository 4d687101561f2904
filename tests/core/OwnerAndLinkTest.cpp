// SPDX-License-Identifier: MIT
// Whose the file is after a save, and which file a save replaces, on the real
// file system: a save by root leaves the user's file the user's, a file of
// several names is rewritten as one, root follows no link it does not own, and
// the backup of a file read in part sits beside the file it keeps. The tests
// run as root; an ordinary user is met in a child process.
#include "AsUser.h"
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "FakeDirectSound.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const std::string kOldContents = "Old kick\r\nOld snare\r\n";

// A save of a kit holding a name only this save gives.
int SaveNew(const char* path) {
    CDrumKit kit;
    kit.m_names[0] = "New kick";
    return kit.SaveSet(path);
}

class SaveOnDisk : public ::testing::Test {
protected:
    void SetUp() override {
        if (geteuid() != 0)
            GTEST_SKIP() << "needs root, to hand files to another user";
        // The user met in a child process must reach the folder.
        std::filesystem::permissions(m_folder.Path(), std::filesystem::perms(0755));
    }

    static struct stat Facts(const char* path) {
        struct stat info = {};
        EXPECT_EQ(0, lstat(path, &info)) << path;
        return info;
    }

    static std::string NewBytes() {
        CDrumKit kit;
        kit.m_names[0] = "New kick";
        return FormatDrumSet(kit.m_names, kit.m_keyMap);
    }

    CTempFolder m_folder;
};

TEST_F(SaveOnDisk, ByRootLeavesTheUsersFileTheUsers) {
    WriteBytes("drums.set", kOldContents);
    ASSERT_EQ(0, chown("drums.set", kNobody, kNobody));
    ASSERT_EQ(0, chmod("drums.set", 0640));
    const ino_t oldFile = Facts("drums.set").st_ino;

    ASSERT_EQ(1, SaveNew("drums.set"));
    const struct stat info = Facts("drums.set");
    EXPECT_EQ(kNobody, info.st_uid);
    EXPECT_EQ(kNobody, info.st_gid);
    EXPECT_EQ(0640u, info.st_mode & 07777);
    EXPECT_NE(oldFile, info.st_ino) << "replaced as one step, not written in place";
    EXPECT_EQ(NewBytes(), ReadBytes("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

// A user may not give a file away to a group of which they are no member:
// the file itself is rewritten, and keeps its group.
TEST_F(SaveOnDisk, WhereTheOwnerCannotBeKeptWritesInPlace) {
    std::filesystem::create_directory("home");
    ASSERT_EQ(0, chown("home", kNobody, kNobody));
    WriteBytes("home/drums.set", kOldContents);
    ASSERT_EQ(0, chown("home/drums.set", kNobody, 0));
    ASSERT_EQ(0, chmod("home/drums.set", 0664));
    const ino_t oldFile = Facts("home/drums.set").st_ino;

    EXPECT_EQ(1, RunAsUser(kNobody, [] { return SaveNew("home/drums.set"); }));
    const struct stat info = Facts("home/drums.set");
    EXPECT_EQ(oldFile, info.st_ino);
    EXPECT_EQ(0u, info.st_gid);
    EXPECT_EQ(0664u, info.st_mode & 07777);
    EXPECT_EQ(NewBytes(), ReadBytes("home/drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("home"));
}

TEST_F(SaveOnDisk, FileOfSeveralNamesIsRewrittenAsOne) {
    std::filesystem::create_directory("store");
    WriteBytes("store/kit.set", kOldContents);
    ASSERT_EQ(0, link("store/kit.set", "drums.set"));

    ASSERT_EQ(1, SaveNew("drums.set"));
    EXPECT_EQ(NewBytes(), ReadBytes("store/kit.set"));
    EXPECT_EQ(Facts("store/kit.set").st_ino, Facts("drums.set").st_ino);
    EXPECT_EQ(2u, Facts("drums.set").st_nlink);
    EXPECT_EQ((std::vector<std::string>{"drums.set", "store"}), FolderEntries("."));
}

struct SLinkCase {
    const char* m_label;
    uid_t m_firstOwner;  // owner of "drums.set" -> "hop.set"
    uid_t m_secondOwner; // owner of "hop.set" -> "store/target.set"
    int m_followed;
};

std::ostream& operator<<(std::ostream& out, const SLinkCase& c) {
    return out << c.m_label;
}

class LinksSavedByRoot : public SaveOnDisk, public ::testing::WithParamInterface<SLinkCase> {};

// A link someone else planted must not make root replace a file of its choice.
TEST_P(LinksSavedByRoot, AreFollowedOnlyWhenRootOwnsThem) {
    const SLinkCase& c = GetParam();
    std::filesystem::create_directory("store");
    WriteBytes("store/target.set", kOldContents);
    std::filesystem::create_symlink("store/target.set", "hop.set");
    std::filesystem::create_symlink("hop.set", "drums.set");
    ASSERT_EQ(0, lchown("drums.set", c.m_firstOwner, c.m_firstOwner));
    ASSERT_EQ(0, lchown("hop.set", c.m_secondOwner, c.m_secondOwner));

    EXPECT_EQ(c.m_followed, SaveNew("drums.set"));
    EXPECT_EQ(c.m_followed ? NewBytes() : kOldContents, ReadBytes("store/target.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("drums.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("hop.set"));
    EXPECT_EQ(std::vector<std::string>{"target.set"}, FolderEntries("store"));
}

INSTANTIATE_TEST_SUITE_P(Owners, LinksSavedByRoot,
                         ::testing::Values(SLinkCase{"RootsOwn", 0, 0, 1},
                                           SLinkCase{"PlantedByAUser", kNobody, 0, 0},
                                           SLinkCase{"LaterHopPlantedByAUser", 0, kNobody, 0}),
                         [](const auto& info) { return std::string(info.param.m_label); });

// An ordinary user follows their links as before.
TEST_F(SaveOnDisk, UserFollowsTheirOwnLink) {
    std::filesystem::create_directory("home");
    std::filesystem::create_directory("home/store");
    WriteBytes("home/store/drums.set", kOldContents);
    std::filesystem::create_symlink("store/drums.set", "home/drums.set");
    for (const char* path : {"home", "home/store", "home/store/drums.set", "home/drums.set"})
        ASSERT_EQ(0, lchown(path, kNobody, kNobody));

    EXPECT_EQ(1, RunAsUser(kNobody, [] { return SaveNew("home/drums.set"); }));
    EXPECT_EQ(NewBytes(), ReadBytes("home/store/drums.set"));
    EXPECT_TRUE(std::filesystem::is_symlink("home/drums.set"));
}

struct SRootRun {
    const char* m_label;
    std::function<void()> m_leftByTheUser; // what the user's folder holds
    std::function<void()> m_check;         // after root ran the program there
};

std::ostream& operator<<(std::ostream& out, const SRootRun& c) {
    return out << c.m_label;
}

const SRootRun kRootRuns[] = {
    {"LinkToAFileOnlyRootMayRead",
     [] {
         WriteBytes("secret", "Root's secret\r\n");
         ASSERT_EQ(0, chmod("secret", 0600));
         std::filesystem::create_symlink("secret", "drums.set");
         ASSERT_EQ(0, lchown("drums.set", kNobody, kNobody));
     },
     [] { EXPECT_EQ("Root's secret\r\n", ReadBytes("secret")); }},
    {"DanglingLink",
     [] {
         std::filesystem::create_symlink("made-by-root", "drums.set");
         ASSERT_EQ(0, lchown("drums.set", kNobody, kNobody));
     },
     [] { EXPECT_FALSE(std::filesystem::exists("made-by-root")); }},
    {"FileItsOwnerMadeReadOnly",
     [] {
         WriteBytes("drums.set", kOldContents);
         ASSERT_EQ(0, chown("drums.set", kNobody, kNobody));
         ASSERT_EQ(0, chmod("drums.set", 0444));
     },
     [] {
         EXPECT_EQ(kOldContents, ReadBytes("drums.set"));
         EXPECT_EQ(0444, ModeOf("drums.set"));
     }},
    {"EmptyFolder", [] {},
     [] {
         struct stat info = {};
         ASSERT_EQ(0, stat("drums.set", &info));
         EXPECT_EQ(kNobody, info.st_uid);
         EXPECT_EQ(kNobody, info.st_gid);
         EXPECT_EQ(0600u, info.st_mode & 07777);
         // The user's own next run reads it and may save it.
         EXPECT_EQ(1, RunAsUser(kNobody, [] {
                       CDrumKit kit;
                       return kit.LoadSet("drums.set") && SaveNew("drums.set");
                   }));
     }},
};

class RootRun : public SaveOnDisk, public ::testing::WithParamInterface<SRootRun> {};

// Root running the program in a user's folder takes nothing: it reads nothing
// the user could not, writes nothing the user could not, and what it makes
// there is the user's.
TEST_P(RootRun, InAUsersFolderTakesNothing) {
    ASSERT_EQ(0, chown(".", kNobody, kNobody));
    GetParam().m_leftByTheUser();
    {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        EXPECT_NE("Root's secret", kit.m_names[0]);
        kit.m_names[0] = "Root's change";
    }
    GetParam().m_check();
}

INSTANTIATE_TEST_SUITE_P(Cases, RootRun, ::testing::ValuesIn(kRootRuns),
                         [](const auto& info) { return std::string(info.param.m_label); });

// The user's file held more than the kit understood (a typo stops the key map)
// and root changed something: the file as read is kept, the user's too.
TEST_F(SaveOnDisk, BackupSitsBesideTheTargetAndIsTheOwners) {
    std::filesystem::create_directory("store");
    const std::string userFile = std::string(28, '\n') + "1 2 3O 4 5 ";
    WriteBytes("store/drums.set", userFile);
    ASSERT_EQ(0, chown("store/drums.set", kNobody, kNobody));
    ASSERT_EQ(0, chmod("store/drums.set", 0640));
    std::filesystem::create_symlink("store/drums.set", "drums.set");
    {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        EXPECT_EQ(2, kit.m_keyMap[2]);
        kit.Assign(30, 7);
    }
    EXPECT_EQ(userFile, ReadBytes("store/drums.set.bak"));
    const struct stat backup = Facts("store/drums.set.bak");
    EXPECT_EQ(kNobody, backup.st_uid);
    EXPECT_EQ(kNobody, backup.st_gid);
    EXPECT_EQ(0640u, backup.st_mode & 07777);
    EXPECT_EQ(kNobody, Facts("store/drums.set").st_uid);
    EXPECT_EQ((std::vector<std::string>{"drums.set", "store"}), FolderEntries("."));

    CDrumKit reread;
    ASSERT_EQ(1, reread.LoadSet("drums.set"));
    EXPECT_EQ(7, reread.m_keyMap[30]);
    EXPECT_EQ(3, reread.m_keyMap[3]);
    EXPECT_EQ(kNoSound, reread.m_keyMap[5]);
}

// A backup name taken by a link: the link is replaced, never what it points to.
TEST_F(SaveOnDisk, BackupReplacesALinkInItsPlaceNotItsTarget) {
    WriteBytes("elsewhere.set", kOldContents);
    std::filesystem::create_symlink("elsewhere.set", "drums.set.bak");
    const std::string userFile = std::string(28, '\n') + "1 x ";
    WriteBytes("drums.set", userFile);
    {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        kit.Assign(30, 7);
    }
    EXPECT_FALSE(std::filesystem::is_symlink("drums.set.bak"));
    EXPECT_EQ(userFile, ReadBytes("drums.set.bak"));
    EXPECT_EQ(kOldContents, ReadBytes("elsewhere.set"));
}

} // namespace
