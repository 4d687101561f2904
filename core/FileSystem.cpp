// SPDX-License-Identifier: MIT
#include "FileSystem.h"

#include <cerrno>
#include <unistd.h>

namespace {

// A chain of symbolic links longer than this is taken for a loop.
constexpr int kMaxLinkHops = 40;

// What sits between the target's name and the saving process's id in the name
// of a temporary file; unusual enough that no file of the user's matches.
const char kTempInfix[] = ".saving-";
// The random part mkostemp puts at the end.
constexpr size_t kTempRandomChars = 6;
// What the backup of a file is called: its name and this.
const char kBackupSuffix[] = ".bak";

// The folder part of path, with its trailing slash; empty for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The file that path finally names once every symbolic link is followed.
int ResolveLinks(IFileSystem& fs, const char* path, std::string* pTarget) {
    std::string current = path;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::string link;
        if (fs.ReadLink(current.c_str(), &link) < 0 || link.empty()) {
            *pTarget = current;
            return 1;
        }
        if (fs.CheckFollowLink(current.c_str()) < 0)
            return 0;
        current = link[0] == '/' ? link : FolderOf(current) + link;
    }
    return 0;
}

int WriteAll(IFileSystem& fs, int fd, const char* data, size_t size) {
    while (size > 0) {
        const long written = fs.Write(fd, data, size);
        if (written == -EINTR)
            continue;
        if (written <= 0)
            return 0;
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

// The process id in a temporary file's name made for the file called base, or
// 0 when the name is not one of those.
long TempOwner(const std::string& name, const std::string& base) {
    const std::string prefix = base + kTempInfix;
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0)
        return 0;
    size_t pos = prefix.size();
    long pid = 0;
    for (; pos < name.size() && IsAsciiDigit(name[pos]); ++pos) {
        if (pid > 99999999)
            return 0;
        pid = pid * 10 + (name[pos] - '0');
    }
    if (pos == prefix.size() || pos >= name.size() || name[pos] != '-')
        return 0;
    ++pos;
    if (name.size() - pos != kTempRandomChars)
        return 0;
    for (; pos < name.size(); ++pos) {
        if (!IsAsciiAlnum(name[pos]))
            return 0;
    }
    return pid;
}

// Removes the temporary files that saves of target killed half-way left in its
// folder. A file whose process still runs is a save in flight and stays; where
// running processes cannot be told (no /proc), nothing is removed.
void RemoveAbandonedTemps(IFileSystem& fs, const std::string& target) {
    int mode = 0;
    if (fs.GetMode("/proc/self", &mode) < 0)
        return;
    const std::string folder = FolderOf(target);
    const std::string base = target.substr(folder.size());
    std::vector<std::string> names;
    if (fs.ListFolder(folder.empty() ? "." : folder.c_str(), &names) < 0)
        return;
    const long self = static_cast<long>(getpid());
    for (const std::string& name : names) {
        const long owner = TempOwner(name, base);
        if (owner == 0)
            continue;
        // This process saves one file at a time: a file of its own id is left
        // over from an earlier process that had the same id.
        if (owner != self && fs.GetMode(("/proc/" + std::to_string(owner)).c_str(), &mode) >= 0)
            continue;
        fs.Unlink((folder + name).c_str());
    }
}

// The name of a new temporary file beside target, before CreateTemp fills in
// its random part.
std::string TempTemplate(const std::string& target) {
    return target + kTempInfix + std::to_string(static_cast<long>(getpid())) + "-" +
           std::string(kTempRandomChars, 'X');
}

// Rewrites the file itself, where it cannot be replaced. Room for the new
// contents is reserved before the first byte of the old is overwritten, so that
// a full disk leaves the old file whole; every later step that fails is at
// least reported.
int WriteInPlace(IFileSystem& fs, const std::string& target, const char* data, size_t size) {
    const int fd = fs.OpenUpdate(target.c_str());
    if (fd < 0)
        return 0;
    uint64_t oldSize = 0;
    int ok = fs.GetSize(fd, &oldSize) >= 0;
    if (ok && fs.Reserve(fd, size) < 0) {
        // A reservation that ran out of room part-way may have lengthened the
        // file with zero bytes: cut them off again.
        fs.Truncate(fd, oldSize);
        ok = 0;
    }
    ok = ok && WriteAll(fs, fd, data, size) && fs.Truncate(fd, size) >= 0 && fs.Sync(fd) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    return ok;
}

enum EBackup { kBackupMade, kBackupFailed, kBackupNoRoom };

// Writes the backup of target beside it, replacing an older one, as one step.
// It takes the target's owner and group where this process may hand it over;
// where it may not, the process belongs to the user saving, who read the file.
EBackup WriteBackup(IFileSystem& fs, const std::string& target, int mode, const SBackup& backup) {
    std::string temp = TempTemplate(target);
    const int fd = fs.CreateTemp(temp.data());
    if (fd < 0)
        return fd == -EACCES || fd == -EPERM ? kBackupNoRoom : kBackupFailed;
    fs.MatchOwner(fd, target.c_str());
    int ok = WriteAll(fs, fd, backup.m_pData, backup.m_size) && fs.Sync(fd) >= 0 &&
             fs.SetMode(fd, mode) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    // A rename replaces whatever has the backup's name, a link included, and
    // never what a link points to.
    if (ok && fs.Rename(temp.c_str(), (target + kBackupSuffix).c_str()) < 0)
        ok = 0;
    if (!ok) {
        fs.Unlink(temp.c_str());
        return kBackupFailed;
    }
    return kBackupMade;
}

// Makes the backup pBackup asks for, unless it was made already; 0 when it
// could not be made. A folder that takes no new file gets none, and the save
// goes ahead.
int MakeBackup(IFileSystem& fs, const std::string& target, int mode, SBackup* pBackup) {
    if (pBackup == nullptr || pBackup->m_made)
        return 1;
    const EBackup result = WriteBackup(fs, target, mode, *pBackup);
    if (result == kBackupMade)
        pBackup->m_made = 1;
    return result != kBackupFailed;
}

CPosixFileSystem g_posixFileSystem;
IFileSystem* g_pFileSystem = &g_posixFileSystem;

} // namespace

IFileSystem& FileSystem() {
    return *g_pFileSystem;
}

void SetFileSystem(IFileSystem* pFileSystem) {
    g_pFileSystem = pFileSystem != nullptr ? pFileSystem : &g_posixFileSystem;
}

int ReplaceFileContents(const char* path, const char* data, size_t size, SBackup* pBackup) {
    IFileSystem& fs = FileSystem();
    std::string target;
    if (!ResolveLinks(fs, path, &target))
        return 0;
    int mode = 0600;
    int oldMode = 0;
    const int exists = fs.GetMode(target.c_str(), &oldMode) >= 0;
    int inPlace = 0;
    if (exists) {
        // A file the user made read-only stays as it is: the rename would get
        // round the very permission that forbids writing it. So does anything
        // that is not a plain file (a device, a folder).
        if (fs.CheckReplaceable(target.c_str()) < 0)
            return 0;
        mode = oldMode;
        // A file of several names is one file: a rename would part this name
        // from the others, which would keep the old contents.
        int links = 1;
        inPlace = fs.GetLinkCount(target.c_str(), &links) >= 0 && links > 1;
    }

    RemoveAbandonedTemps(fs, target);
    std::string temp;
    int fd = -1;
    if (!inPlace) {
        temp = TempTemplate(target);
        fd = fs.CreateTemp(temp.data());
        if (fd < 0) {
            // A disk that is full or read-only would fail the in-place write
            // too; only a folder that refuses new files on permission grounds
            // still lets the file itself be written, with no room for a backup.
            if (fd == -EACCES || fd == -EPERM)
                return WriteInPlace(fs, target, data, size);
            return 0;
        }
        // The file stays its owner's, whoever saves it: a save by the
        // administrator must not lock the owner out of their own file.
        if (exists && fs.MatchOwner(fd, target.c_str()) < 0) {
            fs.Close(fd);
            fs.Unlink(temp.c_str());
            inPlace = 1;
        }
    }
    if (inPlace)
        return MakeBackup(fs, target, mode, pBackup) && WriteInPlace(fs, target, data, size);

    int ok = WriteAll(fs, fd, data, size) && fs.Sync(fd) >= 0 && fs.SetMode(fd, mode) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    if (ok && !MakeBackup(fs, target, mode, pBackup))
        ok = 0;
    if (ok && fs.Rename(temp.c_str(), target.c_str()) < 0)
        ok = 0;
    if (!ok) {
        fs.Unlink(temp.c_str());
        return 0;
    }
    const std::string folder = FolderOf(target);
    // The file is whole either way; this only makes the renames survive a crash.
    fs.SyncFolder(folder.empty() ? "." : folder.c_str());
    return 1;
}
