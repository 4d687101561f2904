// SPDX-License-Identifier: MIT
#include "FileSystem.h"

#include "PlatformFileSystem.h"

#include <chrono>
#include <ctime>
#include <thread>

namespace {

// The last failure a save met, for the user to be told why.
int g_lastFailure = kFileFailed;

// result, noted when it is a failure.
int Noted(int result) {
    if (result < 0)
        g_lastFailure = result;
    return result;
}

// A chain of symbolic links longer than this is taken for a loop.
constexpr int kMaxLinkHops = 40;

// What sits between the target's name and the saving process's id in the name
// of a temporary file; unusual enough that no file of the user's matches.
const char kTempInfix[] = ".saving-";
// The random part CreateTemp puts at the end.
constexpr size_t kTempRandomChars = 6;
// A process id has at most this many decimal digits (32 bits).
constexpr size_t kMaxIdDigits = 10;
// A replacement another program bars (one holding the file open, as indexers,
// virus scanners and sync tools do) is tried this many times, this long apart,
// before the file is written in place instead.
constexpr int kReplaceAttempts = 10;
constexpr auto kReplacePause = std::chrono::milliseconds(100);

// What the backup of a file is called: its name and this.
const char kBackupSuffix[] = ".bak";

} // namespace

int ResolveLinks(const char* path, std::string* pTarget) {
    IFileSystem& fs = FileSystem();
    // Every save starts here: what failed before is no reason for this one.
    g_lastFailure = kFileFailed;
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::string next;
        const int followed = Noted(fs.FollowLink(current.c_str(), &next));
        if (followed < 0)
            return 0;
        if (followed == 0) {
            *pTarget = current;
            return 1;
        }
        current = next;
    }
    return 0;
}

namespace {

int WriteAll(IFileSystem& fs, int fd, const char* data, size_t size) {
    while (size > 0) {
        const long written = fs.Write(fd, data, size);
        if (written <= 0) {
            Noted(written < 0 ? static_cast<int>(written) : kFileNoRoom);
            return 0;
        }
        data += written;
        size -= static_cast<size_t>(written);
    }
    return 1;
}

int IsAsciiDigit(char c) {
    return c >= '0' && c <= '9';
}

int IsAsciiAlnum(char c) {
    return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The process id in the name of a temporary file made for target (both named
// the same way from the working folder), or 0 when the name is not one of those.
uint32_t TempOwner(const std::string& path, const std::string& target) {
    const std::string prefix = target + kTempInfix;
    if (path.size() <= prefix.size() || path.compare(0, prefix.size(), prefix) != 0)
        return 0;
    size_t pos = prefix.size();
    uint64_t pid = 0;
    for (; pos < path.size() && IsAsciiDigit(path[pos]); ++pos) {
        if (pos - prefix.size() == kMaxIdDigits)
            return 0;
        pid = pid * 10 + static_cast<uint64_t>(path[pos] - '0');
    }
    if (pos == prefix.size() || pos >= path.size() || path[pos] != '-' || pid > UINT32_MAX)
        return 0;
    ++pos;
    if (path.size() - pos != kTempRandomChars)
        return 0;
    for (; pos < path.size(); ++pos) {
        if (!IsAsciiAlnum(path[pos]))
            return 0;
    }
    return static_cast<uint32_t>(pid);
}

// Removes the temporary files that saves of target killed half-way left in its
// folder. A file whose process still runs is a save in flight and stays; where
// running processes cannot be told, nothing is removed.
void RemoveAbandonedTemps(IFileSystem& fs, const std::string& target) {
    const uint32_t self = fs.ProcessId();
    if (fs.IsProcessRunning(self) != 1)
        return;
    std::vector<std::string> paths;
    if (fs.ListBeside(target.c_str(), &paths) < 0)
        return;
    for (const std::string& path : paths) {
        const uint32_t owner = TempOwner(path, target);
        if (owner == 0)
            continue;
        // This process saves one file at a time: a file of its own id is left
        // over from an earlier process that had the same id.
        if (owner != self && fs.IsProcessRunning(owner) != 0)
            continue;
        fs.Remove(path.c_str());
    }
}

// The name of a new temporary file beside target, before CreateTemp fills in
// its random part.
std::string TempTemplate(IFileSystem& fs, const std::string& target) {
    return target + kTempInfix + std::to_string(fs.ProcessId()) + "-" +
           std::string(kTempRandomChars, 'X');
}

// Rewrites the file itself, where it cannot be replaced. Room for the new
// contents is reserved before the first byte of the old is overwritten, so that
// a full disk leaves the old file whole; every later step that fails is at
// least reported.
int WriteInPlace(IFileSystem& fs, const std::string& target, const char* data, size_t size) {
    const int fd = Noted(fs.OpenUpdate(target.c_str()));
    if (fd < 0)
        return 0;
    uint64_t oldSize = 0;
    int ok = fs.GetSize(fd, &oldSize) >= 0;
    if (ok && Noted(fs.Reserve(fd, size)) < 0) {
        // A reservation that ran out of room part-way may have lengthened the
        // file with zero bytes: cut them off again.
        fs.Truncate(fd, oldSize);
        ok = 0;
    }
    ok = ok && WriteAll(fs, fd, data, size) && Noted(fs.Truncate(fd, size)) >= 0 &&
         Noted(fs.Sync(fd)) >= 0;
    if (Noted(fs.Close(fd)) < 0)
        ok = 0;
    return ok;
}

// Writes the backup of target beside it, replacing an older one, as one step;
// 0 when it could not be made. It takes the target's owner and group where this
// process may hand it over; where it may not, the process belongs to the user
// saving, who read the file.
int WriteBackup(IFileSystem& fs, const std::string& target, const SBackup& backup) {
    std::string temp = TempTemplate(fs, target);
    const int fd = Noted(fs.CreateTemp(temp.data()));
    if (fd < 0)
        return 0;
    fs.MatchOwner(fd, target.c_str());
    int ok = WriteAll(fs, fd, backup.m_pData, backup.m_size) && fs.Sync(fd) >= 0 &&
             fs.CopyAccess(fd, target.c_str()) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    // A rename replaces whatever has the backup's name, a link included, and
    // never what a link points to.
    if (ok && fs.Rename(temp.c_str(), (target + kBackupSuffix).c_str()) < 0)
        ok = 0;
    if (!ok)
        fs.Remove(temp.c_str());
    return ok;
}

// Makes the backup pBackup asks for, unless it was made already; 0 when it
// could not be made, wherever that is (a folder that takes no new file too):
// the file it would keep must then stay as it is.
int MakeBackup(IFileSystem& fs, const std::string& target, SBackup* pBackup) {
    if (pBackup == nullptr || pBackup->m_made)
        return 1;
    pBackup->m_made = WriteBackup(fs, target, *pBackup);
    return pBackup->m_made;
}

// Whether a failed replacement may be another program holding the file.
int IsHeld(int result) {
    return result == kFileBusy || result == kFileRefused;
}

CPlatformFileSystem g_platformFileSystem;
IFileSystem* g_pFileSystem = &g_platformFileSystem;

} // namespace

IFileSystem& FileSystem() {
    return *g_pFileSystem;
}

void SetFileSystem(IFileSystem* pFileSystem) {
    g_pFileSystem = pFileSystem != nullptr ? pFileSystem : &g_platformFileSystem;
}

int LastFileFailure() {
    return g_lastFailure;
}

std::string TimeStamp() {
    const std::time_t now = std::time(nullptr);
    char text[32];
    const std::tm* pLocal = std::localtime(&now);
    if (pLocal == nullptr || std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", pLocal) == 0)
        return std::to_string(static_cast<long long>(now));
    return text;
}

int WriteNewFile(const std::string& stem, const std::string& suffix, const std::string& data,
                 const char* likePath, std::string* pPath) {
    IFileSystem& fs = FileSystem();
    g_lastFailure = kFileFailed;
    // Another copy of the program may have kept its own in the same second.
    for (int attempt = 1; attempt <= 100; ++attempt) {
        std::string path = stem;
        if (attempt > 1)
            path.append(1, '-').append(std::to_string(attempt));
        path += suffix;
        const int fd = Noted(fs.OpenNew(path.c_str()));
        if (fd == kFileExists)
            continue;
        if (fd < 0)
            return 0;
        if (likePath != nullptr)
            fs.MatchOwner(fd, likePath);
        int ok = WriteAll(fs, fd, data.data(), data.size()) && Noted(fs.Sync(fd)) >= 0 &&
                 (likePath == nullptr || Noted(fs.CopyAccess(fd, likePath)) >= 0);
        if (Noted(fs.Close(fd)) < 0)
            ok = 0;
        if (!ok) {
            fs.Remove(path.c_str());
            return 0;
        }
        pPath->swap(path);
        return 1;
    }
    return 0;
}

int ReplaceFileContents(const char* path, const char* data, size_t size, SBackup* pBackup) {
    IFileSystem& fs = FileSystem();
    std::string target;
    if (!ResolveLinks(path, &target))
        return 0;
    // A file the user made read-only stays as it is: the replacement would get
    // round the very permission that forbids writing it. So does anything that
    // is not a plain file (a device, a folder).
    const int replaceable = Noted(fs.CheckReplaceable(target.c_str()));
    if (replaceable < 0 && replaceable != kFileMissing)
        return 0;
    const int exists = replaceable == 0;
    // A file of several names is one file: a replacement would part this name
    // from the others, which would keep the old contents.
    int inPlace = exists && fs.MustStayInPlace(target.c_str()) == 1;

    RemoveAbandonedTemps(fs, target);
    std::string temp;
    int fd = -1;
    if (!inPlace) {
        temp = TempTemplate(fs, target);
        fd = Noted(fs.CreateTemp(temp.data()));
        if (fd < 0) {
            // A disk that is full or read-only would fail the in-place write
            // too; only a folder that refuses new files on permission grounds
            // still lets the file itself be written, but with no room for a
            // backup: a file that needs one is not rewritten without it.
            if (fd == kFileRefused)
                return MakeBackup(fs, target, pBackup) && WriteInPlace(fs, target, data, size);
            return 0;
        }
        // The file stays its owner's, whoever saves it: a save by the
        // administrator must not lock the owner out of their own file. A new
        // file goes to the owner of the folder it is made in.
        if (fs.MatchOwner(fd, target.c_str()) < 0 && exists) {
            fs.Close(fd);
            fs.Remove(temp.c_str());
            inPlace = 1;
        }
    }
    if (inPlace)
        return MakeBackup(fs, target, pBackup) && WriteInPlace(fs, target, data, size);

    int ok = WriteAll(fs, fd, data, size) && Noted(fs.Sync(fd)) >= 0 &&
             Noted(fs.CopyAccess(fd, target.c_str())) >= 0;
    if (Noted(fs.Close(fd)) < 0)
        ok = 0;
    if (ok && !MakeBackup(fs, target, pBackup))
        ok = 0;
    int renamed = ok ? Noted(fs.Rename(temp.c_str(), target.c_str())) : 0;
    // A file another program holds may be barred from replacement while it
    // may still be written: try again for a while, then write it in place.
    // The checks above found it no read-only file.
    for (int attempt = 1; IsHeld(renamed) && attempt < kReplaceAttempts; ++attempt) {
        std::this_thread::sleep_for(kReplacePause);
        renamed = Noted(fs.Rename(temp.c_str(), target.c_str()));
    }
    if (IsHeld(renamed)) {
        fs.Remove(temp.c_str());
        return WriteInPlace(fs, target, data, size);
    }
    if (renamed < 0)
        ok = 0;
    if (!ok) {
        fs.Remove(temp.c_str());
        return 0;
    }
    // The file is whole either way; this only makes the renames survive a crash.
    fs.SyncFolder(target.c_str());
    return 1;
}
