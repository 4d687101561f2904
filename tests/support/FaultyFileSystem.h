// SPDX-License-Identifier: MIT
// The platform's real file system with any one step made to fail, for tests of
// what a save does when the disk, the folder or the file says no. The tests run
// as root, whom permission bits do not stop, so most refusals come this way.
//
// Use:
//     CFaultyFileSystem fs;                  // installs itself; the destructor restores the real
//     one fs.Fail(kRename, kFileFailed);         // every Rename fails so kit.SaveSet("drums.set");
//     fs.m_temps                             // every temporary file made
#pragma once

#include "PlatformFileSystem.h"

#include <cstddef>
#include <string>
#include <vector>

enum EStep {
    kCreateTemp,
    kWrite, // every write after the first, which gets half through
    kSync,
    kCopyAccess,
    kClose, // the file is closed all the same
    kRename,
    kOpenWrite, // OpenCreate and OpenUpdate
    kOpenRead,
    kRead, // every read after the first
    kCheckReplaceable,
    kReserve,
    kStepCount
};

class CFaultyFileSystem : public CPlatformFileSystem {
public:
    CFaultyFileSystem();
    ~CFaultyFileSystem() override;
    CFaultyFileSystem(const CFaultyFileSystem&) = delete;
    CFaultyFileSystem& operator=(const CFaultyFileSystem&) = delete;

    void Fail(EStep step, EFileError error) { m_errors[step] = error; }
    // Each write takes at most this many bytes, as a pipe or a full disk may.
    void LimitWrites(size_t bytes) { m_writeLimit = bytes; }

    int CreateTemp(char* pathTemplate) override;
    int OpenCreate(const char* path) override;
    int OpenUpdate(const char* path) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int CopyAccess(int fd, const char* path) override;
    int Close(int fd) override;
    int Rename(const char* from, const char* to) override;
    int OpenRead(const char* path) override;
    long Read(int fd, void* buffer, size_t size) override;
    int CheckReplaceable(const char* path) override;
    int Reserve(int fd, uint64_t length) override;

    std::vector<std::string> m_temps; // every temporary file made, in order

private:
    int m_errors[kStepCount];
    size_t m_writeLimit = 0;
    int m_writes = 0;
    int m_reads = 0;
};
