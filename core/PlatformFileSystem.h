// SPDX-License-Identifier: MIT
// The file seam over the platform's own calls: POSIX, or Win32. Tests that
// make a single step of the real thing fail derive from CPlatformFileSystem.
#pragma once

#include "FileSystem.h"

#ifdef _WIN32

// Paths are bytes in the system's code page, as the program's texts are; a
// file's bytes are never converted.
class CWin32FileSystem : public IFileSystem {
public:
    CWin32FileSystem();
    virtual ~CWin32FileSystem();
    CWin32FileSystem(const CWin32FileSystem&) = delete;
    CWin32FileSystem& operator=(const CWin32FileSystem&) = delete;

    int OpenRead(const char* path) override;
    int OpenCreate(const char* path) override;
    int OpenUpdate(const char* path) override;
    int OpenNew(const char* path) override;
    int CreateTemp(char* pathTemplate) override;
    long Read(int fd, void* buffer, size_t size) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int GetSize(int fd, uint64_t* pSize) override;
    int Reserve(int fd, uint64_t length) override;
    int Truncate(int fd, uint64_t length) override;
    int CopyAccess(int fd, const char* path) override;
    int MatchOwner(int fd, const char* path) override;
    int Close(int fd) override;
    int CheckReplaceable(const char* path) override;
    int MustStayInPlace(const char* path) override;
    int FollowLink(const char* path, std::string* pTarget) override;
    int Rename(const char* from, const char* to) override;
    int Remove(const char* path) override;
    int SyncFolder(const char* path) override;
    int ListBeside(const char* path, std::vector<std::string>* pPaths) override;
    int MakeStateFolder(std::string* pFolder) override;
    uint32_t ProcessId() override;
    int IsProcessRunning(uint32_t pid) override;

private:
    // A save holds at most two files open at once, a test a few more.
    static constexpr int kMaxOpen = 16;

    // The system handle behind fd, or null.
    void* Handle(int fd) const;
    // Takes an open system handle into the table: its number, or a failure
    // (the handle closed) when it is no file on a disk or the table is full.
    int Adopt(void* handle);

    void* m_handles[kMaxOpen];
    uint64_t m_random;
};

using CPlatformFileSystem = CWin32FileSystem;

#else

class CPosixFileSystem : public IFileSystem {
public:
    int OpenRead(const char* path) override;
    int OpenCreate(const char* path) override;
    int OpenUpdate(const char* path) override;
    int OpenNew(const char* path) override;
    int CreateTemp(char* pathTemplate) override;
    long Read(int fd, void* buffer, size_t size) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int GetSize(int fd, uint64_t* pSize) override;
    int Reserve(int fd, uint64_t length) override;
    int Truncate(int fd, uint64_t length) override;
    int CopyAccess(int fd, const char* path) override;
    int MatchOwner(int fd, const char* path) override;
    int Close(int fd) override;
    int CheckReplaceable(const char* path) override;
    int MustStayInPlace(const char* path) override;
    int FollowLink(const char* path, std::string* pTarget) override;
    int Rename(const char* from, const char* to) override;
    int Remove(const char* path) override;
    int SyncFolder(const char* path) override;
    int ListBeside(const char* path, std::vector<std::string>* pPaths) override;
    int MakeStateFolder(std::string* pFolder) override;
    uint32_t ProcessId() override;
    int IsProcessRunning(uint32_t pid) override;
    virtual ~CPosixFileSystem() = default;
};

using CPlatformFileSystem = CPosixFileSystem;

#endif
