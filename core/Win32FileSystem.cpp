// SPDX-License-Identifier: MIT
// The file seam over the Win32 calls: files by handle. Handles are the
// numbers of a small table of system handles. A file's bytes are never
// converted.
#include "PlatformFileSystem.h"

#include "Win32Calls.h"

#include <cstring>

using namespace win32files;

namespace {

// The most one ReadFile or WriteFile is asked for; the callers carry on.
constexpr size_t kMaxChunk = size_t{1} << 30;
// How many random names CreateTemp tries before it gives up.
constexpr int kTempAttempts = 100;
// Attributes a replacement takes over from the file it replaces. Read-only is
// not among them: such a file is never replaced.
constexpr DWORD kCarriedAttributes = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                                     FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// A failure to open path: a folder cannot be opened as a file at all, and is
// told apart from a file this process may not open.
int OpenFailure(const char* path) {
    const DWORD error = GetLastError();
    BY_HANDLE_FILE_INFORMATION info;
    if (error == ERROR_ACCESS_DENIED && Inspect(path, 0, &info) == 0 &&
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        return kFileNotPlain;
    return FromError(error);
}

uint64_t NextRandom(uint64_t* pState) {
    // splitmix64: names only need to differ, the system keeps them unique.
    uint64_t z = (*pState += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

} // namespace

CWin32FileSystem::CWin32FileSystem() {
    for (void*& handle : m_handles)
        handle = nullptr;
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    m_random = static_cast<uint64_t>(now.QuadPart) ^
               (static_cast<uint64_t>(GetCurrentProcessId()) << 32) ^ GetTickCount64();
}

CWin32FileSystem::~CWin32FileSystem() {
    for (void* handle : m_handles) {
        if (handle != nullptr)
            CloseHandle(handle);
    }
}

void* CWin32FileSystem::Handle(int fd) const {
    return fd >= 0 && fd < kMaxOpen ? m_handles[fd] : nullptr;
}

int CWin32FileSystem::Adopt(void* handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        return kFileNotPlain;
    }
    for (int fd = 0; fd < kMaxOpen; ++fd) {
        if (m_handles[fd] == nullptr) {
            m_handles[fd] = handle;
            return fd;
        }
    }
    CloseHandle(handle);
    return kFileFailed;
}

int CWin32FileSystem::OpenRead(const char* path) {
    const HANDLE file = OpenPath(path, GENERIC_READ, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file == INVALID_HANDLE_VALUE ? OpenFailure(path) : Adopt(file);
}

int CWin32FileSystem::OpenCreate(const char* path) {
    const HANDLE file = OpenPath(path, GENERIC_WRITE, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL);
    return file == INVALID_HANDLE_VALUE ? OpenFailure(path) : Adopt(file);
}

int CWin32FileSystem::OpenUpdate(const char* path) {
    // Links are written through: the save leaves following them to the system.
    const HANDLE file = OpenPath(path, GENERIC_WRITE, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL);
    return file == INVALID_HANDLE_VALUE ? OpenFailure(path) : Adopt(file);
}

int CWin32FileSystem::OpenNew(const char* path) {
    const HANDLE file = OpenPath(path, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
    return file == INVALID_HANDLE_VALUE ? OpenFailure(path) : Adopt(file);
}

int CWin32FileSystem::CreateTemp(char* pathTemplate) {
    static const char kAlphabet[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    const size_t length = std::strlen(pathTemplate);
    if (length < 6 || std::strcmp(pathTemplate + length - 6, "XXXXXX") != 0)
        return kFileFailed;
    for (int attempt = 0; attempt < kTempAttempts; ++attempt) {
        uint64_t bits = NextRandom(&m_random);
        for (size_t i = length - 6; i < length; ++i, bits /= sizeof kAlphabet - 1)
            pathTemplate[i] = kAlphabet[bits % (sizeof kAlphabet - 1)];
        // Never FILE_ATTRIBUTE_TEMPORARY: the file becomes the user's.
        const HANDLE file =
            OpenPath(pathTemplate, GENERIC_WRITE, CREATE_NEW, FILE_ATTRIBUTE_NORMAL);
        if (file != INVALID_HANDLE_VALUE)
            return Adopt(file);
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return FromError(error);
    }
    return kFileFailed;
}

long CWin32FileSystem::Read(int fd, void* buffer, size_t size) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
    if (!ReadFile(file, buffer, chunk, &done, nullptr))
        return GetLastError() == ERROR_HANDLE_EOF ? 0 : LastFailure();
    return static_cast<long>(done);
}

long CWin32FileSystem::Write(int fd, const void* data, size_t size) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(size < kMaxChunk ? size : kMaxChunk);
    if (!WriteFile(file, data, chunk, &done, nullptr))
        return LastFailure();
    return static_cast<long>(done);
}

int CWin32FileSystem::Sync(int fd) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    return FlushFileBuffers(file) ? 0 : LastFailure();
}

int CWin32FileSystem::GetSize(int fd, uint64_t* pSize) {
    const HANDLE file = Handle(fd);
    LARGE_INTEGER size;
    if (file == nullptr || !GetFileSizeEx(file, &size))
        return file == nullptr ? kFileFailed : LastFailure();
    *pSize = static_cast<uint64_t>(size.QuadPart);
    return 0;
}

int CWin32FileSystem::Reserve(int fd, uint64_t length) {
    uint64_t size = 0;
    const int known = GetSize(fd, &size);
    if (known < 0)
        return known;
    // Only ever lengthens: a shorter end would cut the bytes still to be
    // written over.
    if (length <= size)
        return 0;
    // A longer end of file takes its clusters from the disk at once on NTFS,
    // or the call says the disk is full. Not on every file system (Wine's over
    // a Linux one takes only the last block): zero bytes written over the new
    // part take them everywhere. The old part holds its data already.
    const int lengthened = Truncate(fd, length);
    if (lengthened < 0)
        return lengthened;
    const HANDLE file = Handle(fd);
    LARGE_INTEGER position;
    const LARGE_INTEGER kNoMove = {};
    if (!SetFilePointerEx(file, kNoMove, &position, FILE_CURRENT))
        return LastFailure();
    static const char kZeros[4096] = {};
    int result = 0;
    for (uint64_t at = size; at < length && result == 0;) {
        const uint64_t left = length - at;
        const DWORD chunk = static_cast<DWORD>(left < sizeof kZeros ? left : sizeof kZeros);
        OVERLAPPED where = {};
        where.Offset = static_cast<DWORD>(at);
        where.OffsetHigh = static_cast<DWORD>(at >> 32);
        DWORD done = 0;
        if (!WriteFile(file, kZeros, chunk, &done, &where))
            result = LastFailure();
        else if (done == 0)
            result = kFileNoRoom;
        at += done;
    }
    // Writing at an offset moved the file's position: the caller's writes
    // start where they would have.
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN) && result == 0)
        result = LastFailure();
    return result;
}

int CWin32FileSystem::Truncate(int fd, uint64_t length) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    if (length > static_cast<uint64_t>(INT64_MAX))
        return kFileNoRoom;
    FILE_END_OF_FILE_INFO end;
    end.EndOfFile.QuadPart = static_cast<LONGLONG>(length);
    return SetFileInformationByHandle(file, FileEndOfFileInfo, &end, sizeof end) ? 0
                                                                                 : LastFailure();
}

int CWin32FileSystem::CopyAccess(int fd, const char* path) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    // Who may read and write a file is decided by the folder's access list,
    // which a new file beside the old one inherits alike; what the old file
    // carries itself is its attributes.
    BY_HANDLE_FILE_INFORMATION old;
    const int found = Inspect(path, 0, &old);
    if (found == kFileMissing)
        return 0;
    if (found < 0)
        return found;
    FILE_BASIC_INFO basic = {};
    basic.FileAttributes = old.dwFileAttributes & kCarriedAttributes;
    if (basic.FileAttributes == 0)
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic) ? 0
                                                                                 : LastFailure();
}

int CWin32FileSystem::MatchOwner(int fd, const char*) {
    // A Windows file changes hands only when someone with the privilege takes
    // it; the replacement belongs to whoever saves, as the old file did.
    return Handle(fd) != nullptr ? 0 : kFileFailed;
}

int CWin32FileSystem::Close(int fd) {
    const HANDLE file = Handle(fd);
    if (file == nullptr)
        return kFileFailed;
    m_handles[fd] = nullptr;
    return CloseHandle(file) ? 0 : LastFailure();
}
