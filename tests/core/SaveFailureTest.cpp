// SPDX-License-Identifier: MIT
// Saving must never cost the user the file they had, on either platform: every
// step of a replacement that fails leaves the old file as it was and reports
// the failure; where the file cannot be replaced it is written in place, and
// every failure there is reported too. The tests run as root (under Wine as
// well), where permissions stop nothing, so faults come through the seam.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FaultyFileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::string kOldContents = "Old kick\r\nOld snare\r\n";

int SaveNewKit() {
    CDrumKit kit;
    MakeNewKit(kit);
    return kit.SaveSet("drums.set");
}

struct SSaveFault {
    const char* m_label;
    EStep m_step;
    EFileError m_error;
};

std::ostream& operator<<(std::ostream& out, const SSaveFault& fault) {
    return out << fault.m_label;
}

class SaveFailing : public ::testing::TestWithParam<SSaveFault> {
protected:
    CTempFolder m_folder;
};

TEST_P(SaveFailing, ReportsFailureAndLeavesTheOldFileWhole) {
    WriteBytes("drums.set", kOldContents);
    const uint64_t oldFile = FileIdOf("drums.set");
    CFaultyFileSystem fs;
    fs.Fail(GetParam().m_step, GetParam().m_error);

    EXPECT_EQ(0, SaveNewKit());
    EXPECT_EQ(kOldContents, ReadBytes("drums.set"));
    EXPECT_EQ(oldFile, FileIdOf("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFailing,
    ::testing::Values(SSaveFault{"FileReadOnly", kCheckReplaceable, kFileRefused},
                      SSaveFault{"FileNoPlainFile", kCheckReplaceable, kFileNotPlain},
                      SSaveFault{"TempNotCreatableDiskFull", kCreateTemp, kFileNoRoom},
                      SSaveFault{"TempNotCreatableOtherwise", kCreateTemp, kFileFailed},
                      SSaveFault{"WriteFails", kWrite, kFileNoRoom},
                      SSaveFault{"FlushFails", kSync, kFileFailed},
                      SSaveFault{"AccessNotCopied", kCopyAccess, kFileFailed},
                      SSaveFault{"CloseFails", kClose, kFileFailed},
                      SSaveFault{"ReplaceFails", kRename, kFileFailed}),
    [](const auto& info) { return std::string(info.param.m_label); });

struct SInPlaceCase {
    const char* m_label;
    EStep m_barred;        // why the file is not replaced: no new file, or
    EFileError m_barredBy; // a replacement refused (another program holds it)
    EStep m_step;          // then this step fails too, unless it is kStepCount
    int m_result;
};

std::ostream& operator<<(std::ostream& out, const SInPlaceCase& c) {
    return out << c.m_label;
}

class SaveInPlace : public ::testing::TestWithParam<SInPlaceCase> {
protected:
    CTempFolder m_folder;
};

// A folder that takes no new file holding a writable file, or a file that
// may be written but not replaced: the file itself is all there is.
TEST_P(SaveInPlace, WritesTheFileItselfAndReportsEveryFailure) {
    const SInPlaceCase& c = GetParam();
    WriteBytes("drums.set", kOldContents);
    const uint64_t oldFile = FileIdOf("drums.set");
    CFaultyFileSystem fs;
    fs.Fail(c.m_barred, c.m_barredBy);
    if (c.m_step != kStepCount)
        fs.Fail(c.m_step, c.m_step == kReserve ? kFileNoRoom : kFileFailed);

    EXPECT_EQ(c.m_result, SaveNewKit());
    if (c.m_result == 1) {
        EXPECT_EQ(NewKitBytes(), ReadBytes("drums.set"));
    }
    if (c.m_step == kOpenWrite || c.m_step == kReserve) {
        EXPECT_EQ(kOldContents, ReadBytes("drums.set"));
    }
    EXPECT_EQ(oldFile, FileIdOf("drums.set"));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SaveInPlace,
    ::testing::Values(
        SInPlaceCase{"FolderRefusesNewFiles", kCreateTemp, kFileRefused, kStepCount, 1},
        SInPlaceCase{"FileNotWritableEither", kCreateTemp, kFileRefused, kOpenWrite, 0},
        SInPlaceCase{"NoRoomReserved", kCreateTemp, kFileRefused, kReserve, 0},
        SInPlaceCase{"WriteFails", kCreateTemp, kFileRefused, kWrite, 0},
        SInPlaceCase{"FlushFails", kCreateTemp, kFileRefused, kSync, 0},
        SInPlaceCase{"CloseFails", kCreateTemp, kFileRefused, kClose, 0},
        SInPlaceCase{"ReplacementHeldByAnotherProgram", kRename, kFileBusy, kStepCount, 1}),
    [](const auto& info) { return std::string(info.param.m_label); });

} // namespace
