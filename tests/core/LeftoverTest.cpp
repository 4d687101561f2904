// SPDX-License-Identifier: MIT
// A save killed half-way leaves its temporary file beside the target; the next
// save removes those whose process has gone, and nothing else. Over a file
// system in memory that plays the processes; each platform's own answer to
// "is process N running" has its tests beside that platform's file code.
#include "DrumKit.h"
#include "MemoryFileSystem.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string kSelf = std::to_string(CMemoryFileSystem::kSelf);

const std::vector<std::string> kAbandoned = {
    "drums.set.saving-99-Ab3xYz",            // no such process
    "drums.set.saving-" + kSelf + "-q1w2e3", // an earlier process of this one's id
    "drums.set.saving-4294967295-AAAAAA",    // the largest id there is
};

const std::vector<std::string> kKept = {
    "drums.set.saving-77-Zz9Yy8", // process 77 runs: a save in flight
    "drums.set.saving-notes",     // the user's own files
    "drums.set.saving-99-toolong",
    "drums.set.saving-99-Ab3x!z",
    "drums.set.saving--Ab3xYz",
    "drums.set.saving-4294967296-Ab3xYz",  // no process id has 33 bits
    "drums.set.saving-00000000099-Ab3xYz", // nor 11 digits
    "drums.setsaving-99-Ab3xYz",
    "other.set.saving-99-Ab3xYz",
    "drums.set.bak",
};

class LeftoversOfKilledSaves : public ::testing::Test {
protected:
    void SetUp() override {
        m_fs.Put("drums.set", "Old kick\r\n");
        m_fs.StartProcess(77);
        for (const std::string& name : kAbandoned)
            m_fs.Put(name, "half a file");
        for (const std::string& name : kKept)
            m_fs.Put(name, "the user's");
    }

    static int Save() {
        CDrumKit kit;
        kit.m_names[0] = "New kick";
        return kit.SaveSet("drums.set");
    }

    static std::vector<std::string> Sorted(std::vector<std::string> names) {
        std::sort(names.begin(), names.end());
        return names;
    }

    CMemoryFileSystem m_fs;
};

TEST_F(LeftoversOfKilledSaves, GoWhenTheirProcessHasGone) {
    ASSERT_EQ(1, Save());
    std::vector<std::string> expected = kKept;
    expected.push_back("drums.set");
    EXPECT_EQ(Sorted(expected), m_fs.Names());
}

TEST_F(LeftoversOfKilledSaves, StayWhereRunningProcessesCannotBeTold) {
    m_fs.HideProcesses(true);
    ASSERT_EQ(1, Save());
    std::vector<std::string> expected = kKept;
    expected.insert(expected.end(), kAbandoned.begin(), kAbandoned.end());
    expected.push_back("drums.set");
    EXPECT_EQ(Sorted(expected), m_fs.Names());
}

} // namespace
