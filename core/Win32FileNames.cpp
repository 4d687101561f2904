// SPDX-License-Identifier: MIT
// The file seam over the Win32 calls: files by name, and processes.
#include "PlatformFileSystem.h"

#include "Win32Calls.h"

using namespace win32files;

int CWin32FileSystem::CheckReplaceable(const char* path) {
    BY_HANDLE_FILE_INFORMATION info;
    const int found = Inspect(path, 0, &info);
    if (found < 0)
        return found;
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return kFileNotPlain;
    // Read-only is the one permission a Windows file carries itself, and a
    // replacement would get round it.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
        return kFileRefused;
    // Whatever else forbids writing it (its access list, a program holding it
    // without sharing) shows when it is opened for writing; opening changes
    // nothing.
    const HANDLE file = OpenPath(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    if (file == INVALID_HANDLE_VALUE)
        return LastFailure();
    CloseHandle(file);
    return 0;
}

int CWin32FileSystem::MustStayInPlace(const char* path) {
    BY_HANDLE_FILE_INFORMATION info;
    const int found = Inspect(path, FILE_FLAG_OPEN_REPARSE_POINT, &info);
    if (found < 0)
        return found;
    // A symbolic link is written through: replacing its name would put a
    // plain file in the link's place and leave what it points to as it was.
    if ((info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0)
        return 1;
    // A folder counts its subfolders' links to it.
    return (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && info.nNumberOfLinks > 1;
}

int CWin32FileSystem::FollowLink(const char*, std::string*) {
    // The system follows links for the save (see MustStayInPlace).
    return 0;
}

int CWin32FileSystem::Rename(const char* from, const char* to) {
    std::wstring wideFrom;
    std::wstring wideTo;
    if (!Wide(from, &wideFrom) || !Wide(to, &wideTo))
        return kFileFailed;
    // One rename, as POSIX's: the old file stays whole until the new one has
    // its name, and the call returns once the move is on the disk.
    return MoveFileExW(wideFrom.c_str(), wideTo.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
               ? 0
               : LastFailure();
}

int CWin32FileSystem::Remove(const char* path) {
    std::wstring wide;
    if (!Wide(path, &wide))
        return kFileFailed;
    return DeleteFileW(wide.c_str()) ? 0 : LastFailure();
}

int CWin32FileSystem::SyncFolder(const char*) {
    // Rename moved the file with MOVEFILE_WRITE_THROUGH.
    return 0;
}

int CWin32FileSystem::ListBeside(const char* path, std::vector<std::string>* pPaths) {
    std::wstring wide;
    if (!Wide(path, &wide))
        return kFileFailed;
    // Found among characters, not bytes: in a double-byte code page the byte
    // of a backslash may be the second half of a character.
    const size_t cut = wide.find_last_of(L"\\/:");
    const std::wstring wideFolder = cut == std::wstring::npos ? L"" : wide.substr(0, cut + 1);
    std::string folder;
    if (!Narrow(wideFolder, &folder))
        return kFileFailed;
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileExW((wideFolder + L"*").c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, 0);
    pPaths->clear();
    if (search == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? 0 : LastFailure();
    do {
        const std::wstring name = found.cFileName;
        std::string bytes;
        if (name != L"." && name != L".." && Narrow(name, &bytes))
            pPaths->push_back(folder + bytes);
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? 0 : FromError(error);
}

int CWin32FileSystem::MakeStateFolder(std::string* pFolder) {
    wchar_t localBuffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"LOCALAPPDATA", localBuffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return kFileMissing;
    const std::wstring local(localBuffer, length);
    const std::wstring own = local + L"\\Kadenzo";
    // The folder itself is there on any Windows; made all the same, as the
    // program's own is in it.
    for (const std::wstring& path : {local, own}) {
        if (!CreateDirectoryW(path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
            return LastFailure();
    }
    return Narrow(own + L"\\", pFolder) ? 0 : kFileFailed;
}

uint32_t CWin32FileSystem::ProcessId() {
    return GetCurrentProcessId();
}

int CWin32FileSystem::IsProcessRunning(uint32_t pid) {
    const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, pid);
    if (process == nullptr) {
        const DWORD error = GetLastError();
        // No such process; one that exists but is not this user's says so.
        if (error == ERROR_INVALID_PARAMETER)
            return 0;
        return error == ERROR_ACCESS_DENIED ? 1 : FromError(error);
    }
    // A process that has ended lives on as long as someone holds a handle to
    // it; its exit code tells, and its being signalled where that code happens
    // to be STILL_ACTIVE's.
    DWORD code = 0;
    int running = 1;
    if (GetExitCodeProcess(process, &code) && code != STILL_ACTIVE)
        running = 0;
    else if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
        running = 0;
    CloseHandle(process);
    return running;
}
