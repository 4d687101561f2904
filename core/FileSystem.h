// SPDX-License-Identifier: MIT
// The few file operations the drum set file needs, behind one small interface.
// The save's logic above it is the same on every platform: it asks the platform
// only what each can answer (is process N running, may this file be replaced,
// put that file in this one's place). And tests can make any single step fail:
// they run as root, where permission bits stop nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// What a failed operation answers: always a negative number. These are the
// failures the callers tell apart; each platform maps its own errors onto them,
// and anything it has no name for here is kFileFailed.
enum EFileError : int {
    kFileFailed = -1,
    kFileMissing = -2,     // no such file
    kFileRefused = -3,     // this process may not: permissions, a read-only file
    kFileNoRoom = -4,      // the disk (or the user's share of it) is full
    kFileNotPlain = -5,    // a folder, a device or a pipe where a file was wanted
    kFileUnsupported = -6, // the file system cannot do this at all
    kFileExists = -7,      // a new file's name is taken
    kFileBusy = -8,        // another program holds the file without sharing it so
};

class IFileSystem {
public:
    // ---- Files by handle: small non-negative numbers.

    // Opens an existing plain file for reading; anything else (a folder, a
    // device, a pipe that would block) is refused with kFileNotPlain. Where the
    // save follows symbolic links itself, never through one.
    virtual int OpenRead(const char* path) = 0;
    // Opens a file for writing, creating it empty and private to this user
    // (0600 where files carry permission bits) when it is missing; an existing
    // file is opened as it is. Where the save follows symbolic links itself,
    // never through one. A file made by the administrator goes as MatchOwner
    // gives a new file.
    virtual int OpenCreate(const char* path) = 0;
    // Opens an existing plain file to be rewritten in place, neither creating
    // nor emptying it. Where the save follows symbolic links itself, never
    // through one: a link put in the file's place since must not redirect the
    // write.
    virtual int OpenUpdate(const char* path) = 0;
    // Creates a new file at path, private to this user, never over anything:
    // kFileExists when the name is taken.
    virtual int OpenNew(const char* path) = 0;
    // Creates a new, unique file from a template ending in "XXXXXX" (replaced in
    // place), private to this user. kFileRefused where the folder takes no new
    // file from this process, though the files in it may still be writable.
    virtual int CreateTemp(char* pathTemplate) = 0;
    // The bytes read or written, at least one unless at the end of the file;
    // an interrupted call is carried on, never answered.
    virtual long Read(int fd, void* buffer, size_t size) = 0;
    virtual long Write(int fd, const void* data, size_t size) = 0;
    // Flushes the file's data to the disk.
    virtual int Sync(int fd) = 0;
    // The length of an open file in bytes.
    virtual int GetSize(int fd, uint64_t* pSize) = 0;
    // Makes room on the disk for the first length bytes of an open file, so
    // that writing them cannot run out of space; the file may grow to length,
    // and its bytes keep their values. kFileNoRoom when the room is not there,
    // kFileUnsupported where the file system can promise no room at all.
    virtual int Reserve(int fd, uint64_t length) = 0;
    // Cuts an open file to length bytes (or lengthens it with zero bytes).
    virtual int Truncate(int fd, uint64_t length) = 0;
    // Gives an open file what the file at path has of who may do what with it
    // (its permission bits, or its attributes); where there is no file at path,
    // makes it private to this user.
    virtual int CopyAccess(int fd, const char* path) = 0;
    // Gives an open file the owner and group of the file at path; kFileRefused
    // where this process may not hand a file over like that. Where there is no
    // file at path and the process has the administrator's powers, the file
    // goes to the owner and group of the folder path names (when that is not
    // the administrator), so that what root makes in a user's folder is theirs.
    virtual int MatchOwner(int fd, const char* path) = 0;
    virtual int Close(int fd) = 0;

    // ---- Files by name.

    // Whether the file at path, links followed, may have its contents replaced
    // by this process: 0 for a plain file it may write, kFileMissing when there
    // is none, kFileRefused for one it may not write (the user made it
    // read-only: to the administrator too, a file its owner may not write),
    // kFileNotPlain for anything but a plain file.
    virtual int CheckReplaceable(const char* path) = 0;
    // 1 when the file at path must be rewritten where it stands rather than
    // replaced: it has other names (hard links) that a replacement would part
    // from it, or its name is a link the save does not follow itself; else 0.
    virtual int MustStayInPlace(const char* path) = 0;
    // One step along a symbolic link that the save follows itself: 1 with the
    // path (usable from the working folder) of what the link at path names, 0
    // when path is no such link. kFileRefused for a link this process must not
    // follow: one that someone else owns while the process runs with the powers
    // of the system's administrator, so that a link planted in a user's folder
    // cannot make it replace a file of the system's.
    virtual int FollowLink(const char* path, std::string* pTarget) = 0;
    // Puts the file from in to's place as one step, replacing whatever has that
    // name (a link itself, never what it points to).
    virtual int Rename(const char* from, const char* to) = 0;
    virtual int Remove(const char* path) = 0;
    // Makes a rename into the folder holding path survive a crash.
    virtual int SyncFolder(const char* path) = 0;
    // Every file in the folder holding path, each named the way path names that
    // folder (a bare name for a file in the working folder).
    virtual int ListBeside(const char* path, std::vector<std::string>* pPaths) = 0;

    // The folder where the program keeps files of its own for this user,
    // made when missing, with its separator at the end: on Linux
    // $XDG_STATE_HOME/kadenzo/ (~/.local/state/kadenzo/ by default), on
    // Windows %LOCALAPPDATA%\Kadenzo\.
    virtual int MakeStateFolder(std::string* pFolder) = 0;

    // ---- Processes.

    virtual uint32_t ProcessId() = 0;
    // 1 while process pid runs, 0 when no such process runs, negative where
    // this cannot be told.
    virtual int IsProcessRunning(uint32_t pid) = 0;

protected:
    ~IFileSystem() = default;
};

// The file system every file operation of the program goes through: the
// platform's own unless a test put another in its place. Null restores the
// platform's.
IFileSystem& FileSystem();
void SetFileSystem(IFileSystem* pFileSystem);

// The file that path finally names once every symbolic link the save follows
// is followed; 0 for a loop, or a link FollowLink refuses.
int ResolveLinks(const char* path, std::string* pTarget);

// The file as it was first read, to be kept beside it as "<name>.bak" before
// a save replaces it. Made is set once the backup is on the disk; a backup
// already made is not made again.
struct SBackup {
    const char* m_pData;
    size_t m_size;
    int m_made;
};

// Replaces the contents of path with data as one step: a temporary file in the
// folder of the file replaced (the target, when path is a symbolic link the
// save follows, so the link stays) is written, flushed to the disk, given the
// old file's owner, group and permissions (private for a new file) and put in
// its place. Any failure returns 0, removes the temporary file and leaves the
// old file as it was.
//
// The file is written in place instead, keeping its owner and its other names,
// where it must stay in place (see MustStayInPlace), where the temporary file
// cannot be handed to the old file's owner, where the folder takes no new
// file, and where the replacement is refused (kFileBusy, kFileRefused) for
// about a second: another program holds the file open without letting it be
// replaced. In place, room for the new contents is reserved before the first byte
// is written: where it cannot be, the old file stays whole and the save returns
// 0. A failed write, flush or close there returns 0 too.
//
// An existing file this process may not write, or one that is no plain file,
// is left alone (0); so is a symbolic link FollowLink refuses.
//
// With pBackup, the backup is made beside the target (replacing an older one,
// with the target's owner, group and permissions) before the target is
// replaced; a backup that cannot be made (a folder that takes no new file too)
// fails the save, leaving the old file as it was.
//
// The temporary files are named after the target, this process's id and a
// random part ("drums.set.saving-1234-Ab3xYz"). A save killed half-way leaves
// its temporary file behind; the next save in that folder removes every such
// file whose process has gone, so they never pile up.
int ReplaceFileContents(const char* path, const char* data, size_t size,
                        SBackup* pBackup = nullptr);

// Why the last ReplaceFileContents, WriteNewFile or ResolveLinks failed (see
// EFileError; kFileFailed where nothing better is known).
int LastFileFailure();

// The local date and time as "20261207-140512", for names of files kept.
std::string TimeStamp();

// Writes data to a new file named stem + suffix, never over anything: where
// that name is taken, stem + "-2" + suffix, and so on. With likePath, the file
// takes that file's owner, group and permissions (else it is private). 1 with
// its name in pPath; 0 when none could be written, and nothing is left.
int WriteNewFile(const std::string& stem, const std::string& suffix, const std::string& data,
                 const char* likePath, std::string* pPath);
