// SPDX-License-Identifier: MIT
// The few file operations the drum set file needs, behind one small interface so
// that tests can make any single one of them fail: tests run as root, where
// permission bits stop nothing.
#pragma once

#include <cstddef>
#include <cstdint>
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
    // Opens an existing file to be rewritten in place, neither creating nor
    // emptying it, and never through a symbolic link: for reading and writing
    // where this process may read it (a reservation may have to read), else for
    // writing alone.
    virtual int OpenUpdate(const char* path) = 0;
    // Creates a new, unique file from a template ending in "XXXXXX" (replaced in
    // place), readable and writable by the owner only.
    virtual int CreateTemp(char* pathTemplate) = 0;
    virtual long Read(int fd, void* buffer, size_t size) = 0;
    virtual long Write(int fd, const void* data, size_t size) = 0;
    // Flushes the file's data to the disk.
    virtual int Sync(int fd) = 0;
    // The length of an open file in bytes.
    virtual int GetSize(int fd, uint64_t* pSize) = 0;
    // Makes room on the disk for the first length bytes of an open file, so
    // that writing them cannot run out of space; the file grows to at least
    // length, and its bytes keep their values. -ENOSPC when the room is not
    // there, -EOPNOTSUPP where the file system can promise no room at all.
    virtual int Reserve(int fd, uint64_t length) = 0;
    // Cuts an open file to length bytes (or lengthens it with zero bytes).
    virtual int Truncate(int fd, uint64_t length) = 0;
    virtual int SetMode(int fd, int mode) = 0;
    virtual int Close(int fd) = 0;
    // The permission bits of a file, following symbolic links.
    virtual int GetMode(const char* path, int* pMode) = 0;
    // How many names (hard links) the file has, following symbolic links.
    virtual int GetLinkCount(const char* path, int* pCount) = 0;
    // Gives an open file the owner and group of the file at path; -EPERM where
    // this process may not hand a file over like that.
    virtual int MatchOwner(int fd, const char* path) = 0;
    // Whether this process may follow the symbolic link at path: -EPERM for a
    // link that someone else owns while the process runs with the powers of the
    // system's administrator, so that a link planted in a user's folder cannot
    // make it replace a file of the system's.
    virtual int CheckFollowLink(const char* path) = 0;
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
    int OpenUpdate(const char* path) override;
    int CreateTemp(char* pathTemplate) override;
    long Read(int fd, void* buffer, size_t size) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int GetSize(int fd, uint64_t* pSize) override;
    int Reserve(int fd, uint64_t length) override;
    int Truncate(int fd, uint64_t length) override;
    int SetMode(int fd, int mode) override;
    int Close(int fd) override;
    int GetMode(const char* path, int* pMode) override;
    int GetLinkCount(const char* path, int* pCount) override;
    int MatchOwner(int fd, const char* path) override;
    int CheckFollowLink(const char* path) override;
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

// The file as it was first read, to be kept beside it as "<name>.bak" before
// a save replaces it. Made is set once the backup is on the disk; a backup
// already made is not made again.
struct SBackup {
    const char* m_pData;
    size_t m_size;
    int m_made;
};

// Replaces the contents of path with data as one step: a temporary file in the
// folder of the file replaced (the target, when path is a symbolic link, so the
// link stays) is written, flushed to the disk, given the old file's owner, group
// and permission bits (0600 for a new file) and renamed over it. Any failure
// returns 0, removes the temporary file and leaves the old file as it was.
//
// The file is written in place instead, keeping its owner and its other names,
// where it has more than one name (hard links), where the temporary file cannot
// be handed to the old file's owner, and where the folder refuses a new file on
// permission grounds. In place, room for the new contents is reserved before
// the first byte is written: where it cannot be, the old file stays whole and
// the save returns 0. A failed write, flush or close there returns 0 too.
//
// An existing file this process may not write, or one that is no regular file,
// is left alone (0); so is a symbolic link CheckFollowLink refuses.
//
// With pBackup, the backup is made beside the target (replacing an older one,
// with the target's owner, group and permission bits) before the target is
// replaced; a backup that cannot be made fails the save, leaving the old file
// as it was. Where the folder takes no new file there can be no backup, and the
// save goes ahead without one.
//
// The temporary files are named after the target, this process's id and a
// random part ("drums.set.saving-1234-Ab3xYz"). A save killed half-way leaves
// its temporary file behind; the next save in that folder removes every such
// file whose process has gone, so they never pile up.
int ReplaceFileContents(const char* path, const char* data, size_t size,
                        SBackup* pBackup = nullptr);
