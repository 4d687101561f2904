// SPDX-License-Identifier: MIT
#include "FileSystem.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int Fail() {
    return errno != 0 ? -errno : -EIO;
}

int OrFail(int result) {
    return result < 0 ? Fail() : result;
}

// A chain of symbolic links longer than this is taken for a loop.
constexpr int kMaxLinkHops = 40;

// What sits between the target's name and the saving process's id in the name
// of a temporary file; unusual enough that no file of the user's matches.
const char kTempInfix[] = ".saving-";
// The random part mkostemp puts at the end.
constexpr size_t kTempRandomChars = 6;

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

// The last resort of a folder that takes no new file: the old contents are gone
// once the file is opened, so every step that fails must at least be reported.
int WriteInPlace(IFileSystem& fs, const std::string& target, int mode, const char* data,
                 size_t size) {
    const int fd = fs.OpenWrite(target.c_str(), mode, 1);
    if (fd < 0)
        return 0;
    int ok = WriteAll(fs, fd, data, size) && fs.Sync(fd) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    return ok;
}

CPosixFileSystem g_posixFileSystem;
IFileSystem* g_pFileSystem = &g_posixFileSystem;

} // namespace

int CPosixFileSystem::OpenRead(const char* path) {
    // Not blocking, so that a pipe in the file's place cannot hang the start.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    struct stat info;
    int result = fd;
    if (fstat(fd, &info) < 0)
        result = Fail();
    else if (!S_ISREG(info.st_mode))
        result = S_ISDIR(info.st_mode) ? -EISDIR : -EINVAL;
    if (result < 0)
        close(fd);
    return result;
}

int CPosixFileSystem::OpenWrite(const char* path, int mode, int truncate) {
    // Not blocking, so that a pipe in the file's place cannot hang the end.
    const int flags = O_WRONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC | (truncate ? O_TRUNC : 0);
    return OrFail(open(path, flags, static_cast<mode_t>(mode)));
}

int CPosixFileSystem::CreateTemp(char* pathTemplate) {
    return OrFail(mkostemp(pathTemplate, O_CLOEXEC));
}

long CPosixFileSystem::Read(int fd, void* buffer, size_t size) {
    const ssize_t result = read(fd, buffer, size);
    return result < 0 ? Fail() : static_cast<long>(result);
}

long CPosixFileSystem::Write(int fd, const void* data, size_t size) {
    const ssize_t result = write(fd, data, size);
    return result < 0 ? Fail() : static_cast<long>(result);
}

int CPosixFileSystem::Sync(int fd) {
    return OrFail(fsync(fd));
}

int CPosixFileSystem::SetMode(int fd, int mode) {
    return OrFail(fchmod(fd, static_cast<mode_t>(mode)));
}

int CPosixFileSystem::Close(int fd) {
    return OrFail(close(fd));
}

int CPosixFileSystem::GetMode(const char* path, int* pMode) {
    struct stat info;
    if (stat(path, &info) < 0)
        return Fail();
    *pMode = static_cast<int>(info.st_mode & 07777);
    return 0;
}

int CPosixFileSystem::ReadLink(const char* path, std::string* pTarget) {
    // A link's length is only known by trying: grow until the whole target fits.
    std::string buffer(256, '\0');
    for (;;) {
        const ssize_t length = readlink(path, buffer.data(), buffer.size());
        if (length < 0)
            return Fail();
        if (static_cast<size_t>(length) < buffer.size()) {
            buffer.resize(static_cast<size_t>(length));
            *pTarget = buffer;
            return 0;
        }
        buffer.resize(buffer.size() * 2);
    }
}

int CPosixFileSystem::Rename(const char* from, const char* to) {
    return OrFail(rename(from, to));
}

int CPosixFileSystem::Unlink(const char* path) {
    return OrFail(unlink(path));
}

int CPosixFileSystem::SyncFolder(const char* path) {
    const int fd = open(path, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    const int result = OrFail(fsync(fd));
    close(fd);
    return result;
}

int CPosixFileSystem::ListFolder(const char* path, std::vector<std::string>* pNames) {
    DIR* pFolder = opendir(path);
    if (pFolder == nullptr)
        return Fail();
    pNames->clear();
    errno = 0;
    while (const dirent* pEntry = readdir(pFolder)) {
        const std::string name = pEntry->d_name;
        if (name != "." && name != "..")
            pNames->push_back(name);
        errno = 0;
    }
    const int result = errno != 0 ? -errno : 0;
    closedir(pFolder);
    return result;
}

int CPosixFileSystem::CheckReplaceable(const char* path) {
    struct stat info;
    if (stat(path, &info) < 0)
        return Fail();
    if (!S_ISREG(info.st_mode))
        return -EINVAL;
    return OrFail(faccessat(AT_FDCWD, path, W_OK, AT_EACCESS));
}

IFileSystem& FileSystem() {
    return *g_pFileSystem;
}

void SetFileSystem(IFileSystem* pFileSystem) {
    g_pFileSystem = pFileSystem != nullptr ? pFileSystem : &g_posixFileSystem;
}

int ReplaceFileContents(const char* path, const char* data, size_t size) {
    IFileSystem& fs = FileSystem();
    std::string target;
    if (!ResolveLinks(fs, path, &target))
        return 0;
    int mode = 0600;
    int oldMode = 0;
    if (fs.GetMode(target.c_str(), &oldMode) >= 0) {
        // A file the user made read-only stays as it is: the rename would get
        // round the very permission that forbids writing it. So does anything
        // that is not a plain file (a device, a folder).
        if (fs.CheckReplaceable(target.c_str()) < 0)
            return 0;
        mode = oldMode;
    }

    RemoveAbandonedTemps(fs, target);
    std::string temp = target + kTempInfix + std::to_string(static_cast<long>(getpid())) + "-" +
                       std::string(kTempRandomChars, 'X');
    const int fd = fs.CreateTemp(temp.data());
    if (fd < 0) {
        // A disk that is full or read-only would fail the in-place write too,
        // after the old contents were already gone; only a folder that refuses
        // new files on permission grounds still lets the file itself be written.
        if (fd == -EACCES || fd == -EPERM)
            return WriteInPlace(fs, target, mode, data, size);
        return 0;
    }
    int ok = WriteAll(fs, fd, data, size) && fs.Sync(fd) >= 0 && fs.SetMode(fd, mode) >= 0;
    if (fs.Close(fd) < 0)
        ok = 0;
    if (ok && fs.Rename(temp.c_str(), target.c_str()) < 0)
        ok = 0;
    if (!ok) {
        fs.Unlink(temp.c_str());
        return 0;
    }
    const std::string folder = FolderOf(target);
    // The file is whole either way; this only makes the rename itself survive a crash.
    fs.SyncFolder(folder.empty() ? "." : folder.c_str());
    return 1;
}
