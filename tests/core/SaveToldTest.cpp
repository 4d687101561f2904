// SPDX-License-Identifier: MIT
// The save at the end of a run loses no change and tells what became of it: a
// "drums.set" that cannot be written keeps the changes in a recovery file and
// asks Retry or Cancel; one that could not be read is left alone, the changes
// kept all the same; one another copy of the program wrote meanwhile is kept
// beside it before it is replaced. On the real disk of either platform.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "FakeDirectSound.h"
#include "FaultyFileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::string kOldContents = "Old kick\r\nOld snare\r\n";

// Answers the kit's questions as the test says, and notes what it was told.
class CFakePrompt : public ISavePrompt {
public:
    int AskRetry(const std::string& text) override {
        m_asked.push_back(text);
        if (m_onAsk)
            m_onAsk();
        const size_t at = m_asked.size() - 1;
        return at < m_answers.size() ? m_answers[at] : 0;
    }
    int Tell(const std::string& text) override {
        m_told.push_back(text);
        return 1;
    }

    std::vector<int> m_answers;
    std::function<void()> m_onAsk;
    std::vector<std::string> m_asked;
    std::vector<std::string> m_told;
};

// The user made the file read-only: a mode without write permission on Linux
// (to root too), the read-only attribute on Windows.
void SetReadOnly(const char* path, bool readOnly) {
    std::filesystem::permissions(path, std::filesystem::perms(readOnly ? 0444 : 0644));
}

class SaveAtTheEnd : public ::testing::Test {
protected:
    // Init over the user's file, then a change.
    std::unique_ptr<CDrumKit> ChangedKit() {
        auto pKit = std::make_unique<CDrumKit>();
        pKit->Init();
        pKit->m_names[1] = "Changed";
        return pKit;
    }

    // The recovery files kept so far, by their full names.
    std::vector<std::string> Kept() const {
        std::vector<std::string> paths;
        if (std::filesystem::exists(m_folder.Kept())) {
            for (const std::string& name : FolderEntries(m_folder.Kept()))
                paths.push_back((m_folder.Kept() / name).string());
        }
        return paths;
    }

    CTempFolder m_folder;
    CFakeSoundScope m_fake;
};

struct SFailedSaveCase {
    const char* m_label;
    std::vector<int> m_answers; // Retry 1, Cancel 0, nobody to ask -1
    bool m_writableOnRetry;
    int m_saved;
};

std::ostream& operator<<(std::ostream& out, const SFailedSaveCase& c) {
    return out << c.m_label;
}

class FailedSave : public SaveAtTheEnd, public ::testing::WithParamInterface<SFailedSaveCase> {};

TEST_P(FailedSave, KeepsTheChangesAsideAndAsks) {
    const SFailedSaveCase& c = GetParam();
    WriteBytes("drums.set", kOldContents);
    std::unique_ptr<CDrumKit> pKit = ChangedKit();
    const std::string changes = FormatDrumSet(pKit->m_names, pKit->m_keyMap);
    SetReadOnly("drums.set", true);
    CFakePrompt prompt;
    prompt.m_answers = c.m_answers;
    prompt.m_onAsk = [&] {
        if (c.m_writableOnRetry)
            SetReadOnly("drums.set", false);
    };

    EXPECT_EQ(c.m_saved, pKit->SaveOrKeep(&prompt));
    EXPECT_EQ(c.m_answers.size(), prompt.m_asked.size());
    EXPECT_EQ(c.m_saved ? changes : kOldContents, ReadBytes("drums.set"));
    // The box names the file, the reason and where the changes are.
    ASSERT_FALSE(prompt.m_asked.empty());
    EXPECT_NE(std::string::npos, prompt.m_asked[0].find("\"drums.set\": it may not be written"));
    if (c.m_saved) {
        EXPECT_TRUE(Kept().empty()) << "saved after all: nothing kept aside";
    } else {
        // Asked again and again, the same changes are kept once.
        ASSERT_EQ(1u, Kept().size());
        EXPECT_EQ(changes, ReadBytes(Kept()[0]));
        EXPECT_NE(std::string::npos, prompt.m_asked[0].find(Kept()[0]));
        pKit.reset();
        EXPECT_EQ(1u, Kept().size());
    }
    SetReadOnly("drums.set", false);
}

INSTANTIATE_TEST_SUITE_P(Answers, FailedSave,
                         ::testing::Values(SFailedSaveCase{"Cancel", {0}, false, 0},
                                           SFailedSaveCase{"RetryOnceWritable", {1}, true, 1},
                                           SFailedSaveCase{
                                               "RetryInVainThenCancel", {1, 0}, false, 0},
                                           SFailedSaveCase{"NobodyToAsk", {-1}, false, 0}),
                         [](const auto& info) { return std::string(info.param.m_label); });

struct SUnreadCase {
    const char* m_label;
    bool m_refused;  // the file may not be read
    uint64_t m_size; // else it is this large (sparse: no room taken)
};

std::ostream& operator<<(std::ostream& out, const SUnreadCase& c) {
    return out << c.m_label;
}

class FileNotRead : public SaveAtTheEnd, public ::testing::WithParamInterface<SUnreadCase> {};

// A file the run could not read is never written; its changes are kept aside
// and told the same way.
TEST_P(FileNotRead, IsLeftAloneAndTheChangesKeptAside) {
    const SUnreadCase& c = GetParam();
    WriteBytes("drums.set", kOldContents);
    if (!c.m_refused)
        std::filesystem::resize_file("drums.set", c.m_size);
    const uint64_t size = std::filesystem::file_size("drums.set");
    const uint64_t file = FileIdOf("drums.set");
    std::unique_ptr<CDrumKit> pKit;
    {
        CFaultyFileSystem fs;
        if (c.m_refused)
            fs.Fail(kOpenRead, kFileRefused);
        pKit = ChangedKit();
    }
    EXPECT_EQ("", pKit->m_names[0]);
    CFakePrompt prompt;
    EXPECT_EQ(0, pKit->SaveOrKeep(&prompt));
    EXPECT_EQ(size, std::filesystem::file_size("drums.set"));
    EXPECT_EQ(file, FileIdOf("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
    EXPECT_TRUE(prompt.m_asked.empty());
    ASSERT_EQ(1u, prompt.m_told.size());
    ASSERT_EQ(1u, Kept().size());
    EXPECT_NE(std::string::npos, prompt.m_told[0].find(Kept()[0]));
    EXPECT_EQ(FormatDrumSet(pKit->m_names, pKit->m_keyMap), ReadBytes(Kept()[0]));
}

INSTANTIATE_TEST_SUITE_P(Files, FileNotRead,
                         ::testing::Values(SUnreadCase{"Refused", true, 0},
                                           // Far beyond 32 bits' worth of the limit.
                                           SUnreadCase{"TooLarge", false, uint64_t{2} << 30}),
                         [](const auto& info) { return std::string(info.param.m_label); });

// Two copies in one folder: the second to end keeps the first one's file
// beside its own, and says so; the file is the last writer's.
TEST_F(SaveAtTheEnd, FileChangedOnTheDiskIsKeptBesideIt) {
    WriteBytes("drums.set", kOldContents);
    std::unique_ptr<CDrumKit> pFirst = ChangedKit();
    std::unique_ptr<CDrumKit> pSecond = ChangedKit();
    pSecond->m_names[2] = "Second's change";
    CFakePrompt firstPrompt;
    ASSERT_EQ(1, pFirst->SaveOrKeep(&firstPrompt));
    EXPECT_TRUE(firstPrompt.m_told.empty());
    const std::string firstFile = ReadBytes("drums.set");

    CFakePrompt secondPrompt;
    ASSERT_EQ(1, pSecond->SaveOrKeep(&secondPrompt));
    EXPECT_EQ(FormatDrumSet(pSecond->m_names, pSecond->m_keyMap), ReadBytes("drums.set"));
    const std::vector<std::string> entries = FolderEntries(".");
    ASSERT_EQ(2u, entries.size());
    EXPECT_EQ(0u, entries[1].rfind("drums.set.replaced-", 0)) << entries[1];
    EXPECT_EQ(firstFile, ReadBytes(entries[1]));
    ASSERT_EQ(1u, secondPrompt.m_told.size());
    EXPECT_NE(std::string::npos, secondPrompt.m_told[0].find(entries[1]));

    // Its own file is no stranger's: a later save keeps nothing more.
    pSecond->m_names[3] = "Later";
    EXPECT_EQ(1, pSecond->SaveOrKeep(&secondPrompt));
    EXPECT_EQ(2u, FolderEntries(".").size());
    EXPECT_TRUE(Kept().empty());
}

} // namespace
