// SPDX-License-Identifier: MIT
// A save in place on a real disk with no room left.
#include "AsUser.h"
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <filesystem>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

struct SDiskCase {
    const char* m_label;
    const char* m_type; // of the file system
    bool m_full;        // no page left
    int m_mode;         // of the user's file
    int m_saved;        // what the save answers
};

std::ostream& operator<<(std::ostream& out, const SDiskCase& c) {
    return out << c.m_label;
}

// The old file, 4000 bytes, fills one page of a small file system; the new one
// needs 4098 bytes. The folder takes no new file from the user, so the save
// writes in place. Without the reservation, on a full disk the first 4096 bytes
// went in and the last two did not: code 255 then read as sound 25. A file
// system without fallocate (ramfs) gets the C library's reservation, which
// reads the file to do it. Runs in a child process, as root.
int SaveInPlace(const SDiskCase& c) {
    // A file system of its own, gone with the process.
    if (unshare(CLONE_NEWNS) != 0 ||
        mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0)
        return 77;
    if (mount("kadenzo-test", ".", c.m_type, 0, "size=64k,mode=0755") != 0)
        return 77;
    // Into the new file system, which now hides the folder it was mounted on.
    if (chdir(std::filesystem::current_path().c_str()) != 0)
        return 10;
    const std::string oldFile = std::string(2924, 'o') + EmptySetBytes();
    WriteBytes("drums.set", oldFile);
    if (chown("drums.set", kNobody, kNobody) != 0 || chmod("drums.set", c.m_mode) != 0)
        return 11;
    if (c.m_full) {
        const int filler = open("filler", O_WRONLY | O_CREAT, 0600);
        const std::string block(4096, 'f');
        for (size_t size = block.size(); size > 0; size /= 2) {
            while (write(filler, block.data(), size) == static_cast<ssize_t>(size)) {
            }
        }
        close(filler);
    }
    CDrumKit kit;
    kit.m_names[0] = std::string(2924 + 98, 'n');
    const std::string newFile = FormatDrumSet(kit.m_names, kit.m_keyMap);
    if (newFile.size() != 4098)
        return 20;
    const int saved = RunAsUser(kNobody, [&] { return kit.SaveSet("drums.set"); });
    if (saved != c.m_saved)
        return 21;
    return ReadBytes("drums.set") == (saved ? newFile : oldFile) ? 0 : 22;
}

class InPlaceOnTheRealDisk : public ::testing::TestWithParam<SDiskCase> {};

TEST_P(InPlaceOnTheRealDisk, ReservesRoomOrLeavesTheOldFileWhole) {
    if (geteuid() != 0)
        GTEST_SKIP() << "needs root, to mount a small file system";
    CTempFolder folder;
    std::filesystem::create_directory("disk");
    std::filesystem::permissions(folder.Path(), std::filesystem::perms(0755));
    std::filesystem::current_path("disk");
    const SDiskCase c = GetParam();
    const int result = RunAsUser(0, [c] { return SaveInPlace(c); });
    std::filesystem::current_path(folder.Path());
    if (result == 77)
        GTEST_SKIP() << "no private mount of a " << c.m_type << " file system here";
    EXPECT_EQ(0, result);
}

INSTANTIATE_TEST_SUITE_P(Disks, InPlaceOnTheRealDisk,
                         ::testing::Values(SDiskCase{"Room", "tmpfs", false, 0644, 1},
                                           SDiskCase{"Full", "tmpfs", true, 0644, 0},
                                           SDiskCase{"NoFallocate", "ramfs", false, 0644, 1},
                                           SDiskCase{"NoFallocateFileNotReadable", "ramfs", false,
                                                     0200, 0}),
                         [](const auto& info) { return std::string(info.param.m_label); });

// Two gigabytes, not one of them on the disk: found too large without reading.
} // namespace
