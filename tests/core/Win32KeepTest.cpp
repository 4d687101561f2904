// SPDX-License-Identifier: MIT
// What the Win32 file seam answers the save, and what a run keeps of the
// user's file on Windows: the seam's answers about files and processes, a
// reservation that takes its room at once, leftovers of killed saves found by
// their process, an unchanged run that writes nothing, and the backup after a
// misread.
#include "DrumKit.h"
#include "DrumSetFile.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "PlatformFileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <windows.h>
#include <winioctl.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

struct SAnswerCase {
    const char* m_label;
    const char* m_path;
    int m_replaceable; // CheckReplaceable
    int m_inPlace;     // MustStayInPlace
    int m_read;        // OpenRead: 1 when it opens
};

std::ostream& operator<<(std::ostream& out, const SAnswerCase& c) {
    return out << c.m_label;
}

class Win32Answers : public ::testing::TestWithParam<SAnswerCase> {
protected:
    void SetUp() override {
        WriteBytes("plain.set", "Kick\r\n");
        WriteBytes("readonly.set", "Kick\r\n");
        SetFileAttributesA("readonly.set", FILE_ATTRIBUTE_READONLY);
        WriteBytes("linked.set", "Kick\r\n");
        CreateHardLinkA("other-name.set", "linked.set", nullptr);
        std::filesystem::create_directory("folder.set");
    }
    void TearDown() override { SetFileAttributesA("readonly.set", FILE_ATTRIBUTE_NORMAL); }

    CTempFolder m_folder;
};

TEST_P(Win32Answers, TellFilesApart) {
    const SAnswerCase& c = GetParam();
    CWin32FileSystem fs;
    EXPECT_EQ(c.m_replaceable, fs.CheckReplaceable(c.m_path));
    EXPECT_EQ(c.m_inPlace, fs.MustStayInPlace(c.m_path));
    const int fd = fs.OpenRead(c.m_path);
    if (c.m_read == 1) {
        EXPECT_GE(fd, 0);
        EXPECT_EQ(0, fs.Close(fd));
    } else {
        EXPECT_EQ(c.m_read, fd);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Files, Win32Answers,
    ::testing::Values(
        SAnswerCase{"Plain", "plain.set", 0, 0, 1},
        SAnswerCase{"ReadOnly", "readonly.set", kFileRefused, 0, 1},
        SAnswerCase{"SeveralNames", "linked.set", 0, 1, 1},
        SAnswerCase{"Folder", "folder.set", kFileNotPlain, 0, kFileNotPlain},
        SAnswerCase{"Missing", "missing.set", kFileMissing, kFileMissing, kFileMissing},
        SAnswerCase{"NoSuchFolder", "nowhere/drums.set", kFileMissing, kFileMissing, kFileMissing}),
    [](const auto& info) { return std::string(info.param.m_label); });

uint64_t AllocatedBytes(const char* path) {
    FILE_STANDARD_INFO info = {};
    const HANDLE file =
        CreateFileA(path, FILE_READ_ATTRIBUTES, 7, nullptr, OPEN_EXISTING, 0, nullptr);
    GetFileInformationByHandleEx(file, FileStandardInfo, &info, sizeof info);
    CloseHandle(file);
    return static_cast<uint64_t>(info.AllocationSize.QuadPart);
}

// The disk's room is taken when Reserve answers, not when the bytes come; the
// old bytes keep their values, and the caller's writes start where they would.
TEST(Win32Reserve, TakesTheRoomAtOnceAndKeepsTheBytes) {
    CTempFolder folder;
    WriteBytes("drums.set", "abc");
    constexpr uint64_t kLength = 1 << 20;
    CWin32FileSystem fs;
    const int fd = fs.OpenUpdate("drums.set");
    ASSERT_GE(fd, 0);
    EXPECT_EQ(0, fs.Reserve(fd, kLength));
    EXPECT_EQ(0, fs.Reserve(fd, 2)); // never shortens
    EXPECT_EQ(1, fs.Write(fd, "X", 1));
    EXPECT_EQ(0, fs.Close(fd));
    EXPECT_GE(AllocatedBytes("drums.set"), kLength);
    const std::string bytes = ReadBytes("drums.set");
    ASSERT_EQ(kLength, bytes.size());
    EXPECT_EQ("Xbc", bytes.substr(0, 3));
    EXPECT_EQ(std::string::npos, bytes.find_first_not_of('\0', 3));
}

// A process of the test's own program, started suspended so that it runs
// until the test ends it.
class CChildProcess {
public:
    CChildProcess() {
        wchar_t program[MAX_PATH];
        GetModuleFileNameW(nullptr, program, MAX_PATH);
        std::wstring commandLine = L"\"" + std::wstring(program) + L"\" --gtest_list_tests";
        STARTUPINFOW startup = {};
        startup.cb = sizeof startup;
        m_started = CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE,
                                   CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup,
                                   &m_process);
    }
    ~CChildProcess() {
        if (m_started) {
            End();
            CloseHandle(m_process.hThread);
            CloseHandle(m_process.hProcess);
        }
    }
    CChildProcess(const CChildProcess&) = delete;
    CChildProcess& operator=(const CChildProcess&) = delete;

    bool Started() const { return m_started; }
    uint32_t Id() const { return m_process.dwProcessId; }
    // Ends the process; this object still holds it, so its id stays taken.
    void End() {
        TerminateProcess(m_process.hProcess, 3);
        WaitForSingleObject(m_process.hProcess, INFINITE);
    }

private:
    PROCESS_INFORMATION m_process = {};
    BOOL m_started = FALSE;
};

TEST(Win32Processes, RunningAndEndedAreToldApart) {
    CWin32FileSystem fs;
    CChildProcess child;
    ASSERT_TRUE(child.Started());
    EXPECT_EQ(GetCurrentProcessId(), fs.ProcessId());
    EXPECT_EQ(1, fs.IsProcessRunning(fs.ProcessId()));
    EXPECT_EQ(1, fs.IsProcessRunning(child.Id()));
    child.End();
    EXPECT_EQ(0, fs.IsProcessRunning(child.Id()));
    EXPECT_EQ(0, fs.IsProcessRunning(99999999));
}

// Killed saves leave their temporary files; the next save removes those of
// processes that have ended, keeps those of saves in flight and the user's own.
TEST(Win32Leftovers, GoWhenTheirProcessHasEnded) {
    CTempFolder folder;
    CChildProcess saving;
    CChildProcess killed;
    ASSERT_TRUE(saving.Started() && killed.Started());
    killed.End();
    const std::vector<std::string> abandoned = {
        "drums.set.saving-" + std::to_string(killed.Id()) + "-Ab3xYz",
        "drums.set.saving-99999999-q1w2e3",
        "drums.set.saving-" + std::to_string(GetCurrentProcessId()) + "-Zz9Yy8",
    };
    std::vector<std::string> kept = {
        "drums.set.saving-" + std::to_string(saving.Id()) + "-Ab3xYz",
        "drums.set.saving-notes",
        "other.set.saving-99999999-Ab3xYz",
        "drums.set.bak",
    };
    for (const std::string& name : abandoned)
        WriteBytes(name, "half a file");
    for (const std::string& name : kept)
        WriteBytes(name, "the user's");
    CDrumKit kit;
    ASSERT_EQ(1, kit.SaveSet("drums.set"));
    kept.push_back("drums.set");
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, FolderEntries("."));
}

// The user's file as the program writes it, but for a typo in the key map:
// the kit understands only part of it.
std::string MisreadFile() {
    std::string file = UserSetBytes();
    return file.replace(file.rfind(" 10 "), 4, " 1O ");
}

FILETIME LastWriteOf(const char* path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    GetFileAttributesExA(path, GetFileExInfoStandard, &data);
    return data.ftLastWriteTime;
}

class Win32Run : public ::testing::Test {
protected:
    // Init, then change (when given), then the kit goes, as the window does.
    static void RunProgram(void (*change)(CDrumKit&) = nullptr) {
        CFakeSoundScope fake;
        CDrumKit kit;
        kit.Init();
        if (change != nullptr)
            change(kit);
    }
    static void Rename(CDrumKit& kit) { kit.m_names[3] = "Renamed"; }

    CTempFolder m_folder;
};

TEST_F(Win32Run, WithoutChangesWritesNothing) {
    WriteBytes("drums.set", MisreadFile());
    const FILETIME written = LastWriteOf("drums.set");
    Sleep(20); // a write now would show in the time
    RunProgram();
    EXPECT_EQ(MisreadFile(), ReadBytes("drums.set"));
    const FILETIME after = LastWriteOf("drums.set");
    EXPECT_EQ(0, CompareFileTime(&written, &after));
    EXPECT_EQ(std::vector<std::string>{"drums.set"}, FolderEntries("."));
}

TEST_F(Win32Run, ChangeToAMisreadFileKeepsTheFileAsReadBesideIt) {
    WriteBytes("drums.set", MisreadFile());
    WriteBytes("drums.set.bak", "an older backup");
    RunProgram(Rename);
    EXPECT_EQ(MisreadFile(), ReadBytes("drums.set.bak"));
    CDrumKit reread;
    ASSERT_EQ(1, reread.LoadSet("drums.set"));
    EXPECT_EQ("Renamed", reread.m_names[3]);
    EXPECT_EQ((std::vector<std::string>{"drums.set", "drums.set.bak"}), FolderEntries("."));
}

} // namespace
