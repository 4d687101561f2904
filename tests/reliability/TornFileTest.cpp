// SPDX-License-Identifier: MIT
// A save killed at any moment must leave "drums.set" whole, old or new, and
// must not leave its temporary files lying about to pile up run after run.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <random>
#include <string>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kKills = 200;

// Two kits whose files differ in length and in every name, so that a mix of
// the two or a cut-off file cannot pass for either.
void MakeKit(CDrumKit& kit, char fill, size_t nameLength, int sound) {
    for (int i = 0; i < kSoundCount; ++i)
        kit.m_names[i] = std::string(nameLength, fill) + std::to_string(i);
    for (int key = 1; key < kKeyMapSize; ++key)
        kit.Assign(key, (key + sound) % kSoundCount);
}

void SleepMicroseconds(long microseconds) {
    timespec pause{microseconds / 1000000, (microseconds % 1000000) * 1000};
    nanosleep(&pause, nullptr);
}

std::vector<std::string> Temporaries() {
    std::vector<std::string> others;
    for (const std::string& name : FolderEntries("."))
        if (name != "drums.set")
            others.push_back(name);
    return others;
}

TEST(TornSave, KilledSavesLeaveWholeFilesAndNoPileOfTemporaries) {
    CTempFolder folder;
    CDrumKit oldKit;
    CDrumKit newKit;
    MakeKit(oldKit, 'o', 700, 3);
    MakeKit(newKit, 'n', 3000, 11);
    const std::string oldBytes = FormatDrumSet(oldKit.m_names, oldKit.m_keyMap);
    const std::string newBytes = FormatDrumSet(newKit.m_names, newKit.m_keyMap);
    ASSERT_EQ(1, oldKit.SaveSet("drums.set"));

    std::mt19937 random(20240607);
    int sawOld = 0;
    int sawNew = 0;
    int killedInFlight = 0;
    for (int run = 0; run < kKills; ++run) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            // Saves for ever, alternating; a failed save is a fault of its own.
            for (long i = 0;; ++i) {
                if ((i % 2 == 0 ? newKit : oldKit).SaveSet("drums.set") != 1)
                    _exit(3);
            }
        }
        SleepMicroseconds(500 + static_cast<long>(random() % 20000));
        kill(child, SIGKILL);
        int status = 0;
        ASSERT_EQ(child, waitpid(child, &status, 0));
        ASSERT_TRUE(WIFSIGNALED(status)) << "the saving child ended by itself, status " << status;

        const std::string bytes = ReadBytes("drums.set");
        if (bytes == oldBytes) {
            ++sawOld;
        } else if (bytes == newBytes) {
            ++sawNew;
        } else {
            ADD_FAILURE() << "run " << run << ": drums.set is torn, " << bytes.size() << " bytes";
            break;
        }
        const std::vector<std::string> temps = Temporaries();
        killedInFlight += temps.empty() ? 0 : 1;
        // The save in flight may leave its own; every earlier one must be gone.
        ASSERT_LE(temps.size(), 1u) << "run " << run << ": " << temps.size() << " temporary files";
    }
    std::printf("%d kills: old file %d times, new file %d times, a save in flight %d times\n",
                kKills, sawOld, sawNew, killedInFlight);
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);

    // The next save clears what the last killed one left.
    ASSERT_EQ(1, newKit.SaveSet("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
    EXPECT_EQ(newBytes, ReadBytes("drums.set"));
}

} // namespace
