// SPDX-License-Identifier: MIT
// The few file operations the drum set file needs, behind one small interface so
// that tests can make any single one of them fail: tests run as root, where
// permission bits stop nothing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Every operation returns a negative errno value on failure. Handles are plain
// file descriptors.
class IFileSystem {
public:
    // Opens an existing regular file for reading; anything else (a folder, a
    // device, a pipe that would block) is refused.
    virtual int OpenRead(const char* path) = 0;
    // Opens for writing, creating the file with mode when it is missing;
    // truncate empties an existing file.
    virtual int OpenWrite(const char* path, int mode, int truncate) = 0;
    // Creates a new, unique file from a template ending in "XXXXXX" (replaced in
    // place), readable and writable by the owner only.
    virtual int CreateTemp(char* pathTemplate) = 0;
    virtual long Read(int fd, void* buffer, size_t size) = 0;
    virtual long Write(int fd, const void* data, size_t size) = 0;
    // Flushes the file's data to the disk.
    virtual int Sync(int fd) = 0;
    virtual int SetMode(int fd, int mode) = 0;
    virtual int Close(int fd) = 0;
    // The permission bits of a file, following symbolic links.
    virtual int GetMode(const char* path, int* pMode) = 0;
    // The target of a symbolic link; -EINVAL when path is no link.
    virtual int ReadLink(const char* path, std::string* pTarget) = 0;
    virtual int Rename(const char* from, const char* to) = 0;
    virtual int Unlink(const char* path) = 0;
    // Makes a rename inside the folder durable.
    virtual int SyncFolder(const char* path) = 0;
    // The names in a folder, without "." and "..".
    virtual int ListFolder(const char* path, std::vector<std::string>* pNames) = 0;
    // Whether an existing file, links followed, may have its contents replaced
    // by this process: 0 for a regular file it may write, -EACCES (or the like)
    // for one it may not, -EINVAL for anything but a regular file.
    virtual int CheckReplaceable(const char* path) = 0;

protected:
    ~IFileSystem() = default;
};

// The real thing, over the POSIX calls.
class CPosixFileSystem : public IFileSystem {
public:
    int OpenRead(const char* path) override;
    int OpenWrite(const char* path, int mode, int truncate) override;
    int CreateTemp(char* pathTemplate) override;
    long Read(int fd, void* buffer, size_t size) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int SetMode(int fd, int mode) override;
    int Close(int fd) override;
    int GetMode(const char* path, int* pMode) override;
    int ReadLink(const char* path, std::string* pTarget) override;
    int Rename(const char* from, const char* to) override;
    int Unlink(const char* path) override;
    int SyncFolder(const char* path) override;
    int ListFolder(const char* path, std::vector<std::string>* pNames) override;
    int CheckReplaceable(const char* path) override;
    virtual ~CPosixFileSystem() = default;
};

// The file system every file operation of the program goes through. Null
// restores the POSIX one.
IFileSystem& FileSystem();
void SetFileSystem(IFileSystem* pFileSystem);

// Replaces the contents of path with data as one step: a temporary file in the
// folder of the file replaced (the target, when path is a symbolic link, so the
// link stays) is written, flushed to the disk, given the old file's permission
// bits (0600 for a new file) and renamed over it. Any failure returns 0, removes
// the temporary file and leaves the old file as it was. Only where the folder
// refuses a new file on permission grounds is the file written in place, still
// returning 0 on any failed write, flush or close. An existing file this process
// may not write, or one that is no regular file, is left alone (0).
//
// The temporary file is named after the target, this process's id and a random
// part ("drums.set.saving-1234-Ab3xYz"). A save killed half-way leaves its
// temporary file behind; the next save in that folder removes every such file
// whose process has gone, so they never pile up.
int ReplaceFileContents(const char* path, const char* data, size_t size);
