// SPDX-License-Identifier: MIT
// The file seam over the POSIX calls.
#include "PlatformFileSystem.h"

#include <cerrno>
#include <climits>
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

int FromErrno(int error) {
    switch (error) {
    case ENOENT:
        return kFileMissing;
    case EACCES:
    case EPERM:
        return kFileRefused;
    case ENOSPC:
    case EDQUOT:
        return kFileNoRoom;
    case EISDIR:
        return kFileNotPlain;
    case EOPNOTSUPP:
        return kFileUnsupported;
    default:
        return kFileFailed;
    }
}

int Fail() {
    return FromErrno(errno);
}

int OrFail(int result) {
    return result < 0 ? Fail() : result;
}

// Whether an offset fits the system's file offsets.
int FitsOffset(uint64_t length) {
    return length <= static_cast<uint64_t>(INT64_MAX) &&
           static_cast<uint64_t>(static_cast<off_t>(length)) == length;
}

// The folder part of path, with its trailing slash; empty for a bare name.
std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// An open descriptor of a plain file, or the failure (the descriptor closed).
int KeepIfPlain(int fd) {
    struct stat info;
    int result = fd;
    if (fstat(fd, &info) < 0)
        result = Fail();
    else if (!S_ISREG(info.st_mode))
        result = kFileNotPlain;
    if (result < 0)
        close(fd);
    return result;
}

// Run as root, a new file in a folder someone else owns goes to that owner: the
// folder's user must be able to read and replace it on their own runs.
int GiveToFolderOwner(int fd, const char* path) {
    if (geteuid() != 0)
        return 0;
    const std::string folder = FolderOf(path);
    struct stat info;
    if (stat(folder.empty() ? "." : folder.c_str(), &info) < 0)
        return Fail();
    if (info.st_uid == 0)
        return 0;
    return OrFail(fchown(fd, info.st_uid, info.st_gid));
}

} // namespace

int CPosixFileSystem::OpenRead(const char* path) {
    // Not blocking, so that a pipe in the file's place cannot hang the start.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW);
    return fd < 0 ? Fail() : KeepIfPlain(fd);
}

int CPosixFileSystem::OpenCreate(const char* path) {
    // Not blocking, so that a pipe in the file's place cannot hang the start.
    const int flags = O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW;
    const int fd = open(path, flags | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
        GiveToFolderOwner(fd, path);
        return fd;
    }
    return errno == EEXIST ? OrFail(open(path, flags)) : Fail();
}

int CPosixFileSystem::OpenUpdate(const char* path) {
    // Open for reading too where this process may read the file: the C
    // library's reservation reads it where the file system has no fallocate.
    const int flags = O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW;
    int fd = open(path, O_RDWR | flags);
    if (fd < 0 && errno == EACCES)
        fd = open(path, O_WRONLY | flags);
    return fd < 0 ? Fail() : KeepIfPlain(fd);
}

int CPosixFileSystem::OpenNew(const char* path) {
    const int fd = open(path, O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return errno == EEXIST ? kFileExists : Fail();
    return fd;
}

int CPosixFileSystem::CreateTemp(char* pathTemplate) {
    return OrFail(mkostemp(pathTemplate, O_CLOEXEC));
}

long CPosixFileSystem::Read(int fd, void* buffer, size_t size) {
    for (;;) {
        const ssize_t result = read(fd, buffer, size);
        if (result >= 0)
            return static_cast<long>(result);
        if (errno != EINTR)
            return Fail();
    }
}

long CPosixFileSystem::Write(int fd, const void* data, size_t size) {
    for (;;) {
        const ssize_t result = write(fd, data, size);
        if (result >= 0)
            return static_cast<long>(result);
        if (errno != EINTR)
            return Fail();
    }
}

int CPosixFileSystem::Sync(int fd) {
    return OrFail(fsync(fd));
}

int CPosixFileSystem::GetSize(int fd, uint64_t* pSize) {
    struct stat info;
    if (fstat(fd, &info) < 0)
        return Fail();
    *pSize = static_cast<uint64_t>(info.st_size);
    return 0;
}

int CPosixFileSystem::Reserve(int fd, uint64_t length) {
    if (!FitsOffset(length))
        return kFileNoRoom;
    if (length == 0)
        return 0;
    // Where the file system has no fallocate, glibc writes a zero byte into
    // every block of the range that reads as zero: past the old end, that
    // allocates the blocks; inside it, no byte changes its value. It reads the
    // file to tell, so the descriptor must be open for reading too.
    const int error = posix_fallocate(fd, 0, static_cast<off_t>(length));
    return error == 0 ? 0 : FromErrno(error);
}

int CPosixFileSystem::Truncate(int fd, uint64_t length) {
    if (!FitsOffset(length))
        return kFileNoRoom;
    return OrFail(ftruncate(fd, static_cast<off_t>(length)));
}

int CPosixFileSystem::CopyAccess(int fd, const char* path) {
    struct stat info;
    mode_t mode = 0600;
    if (stat(path, &info) == 0)
        mode = info.st_mode & 07777;
    else if (errno != ENOENT)
        return Fail();
    return OrFail(fchmod(fd, mode));
}

int CPosixFileSystem::MatchOwner(int fd, const char* path) {
    struct stat wanted;
    struct stat current;
    if (stat(path, &wanted) < 0)
        return errno == ENOENT ? GiveToFolderOwner(fd, path) : Fail();
    if (fstat(fd, &current) < 0)
        return Fail();
    if (wanted.st_uid == current.st_uid && wanted.st_gid == current.st_gid)
        return 0;
    return OrFail(fchown(fd, wanted.st_uid, wanted.st_gid));
}

int CPosixFileSystem::Close(int fd) {
    return OrFail(close(fd));
}

int CPosixFileSystem::CheckReplaceable(const char* path) {
    struct stat info;
    if (stat(path, &info) < 0)
        return Fail();
    if (!S_ISREG(info.st_mode))
        return kFileNotPlain;
    // Root may write anything: a file its owner may not write is read-only
    // to root too.
    if (geteuid() == 0 && (info.st_mode & S_IWUSR) == 0)
        return kFileRefused;
    return OrFail(faccessat(AT_FDCWD, path, W_OK, AT_EACCESS));
}

int CPosixFileSystem::MustStayInPlace(const char* path) {
    struct stat info;
    if (stat(path, &info) < 0)
        return Fail();
    return info.st_nlink > 1;
}

int CPosixFileSystem::FollowLink(const char* path, std::string* pTarget) {
    // A link's length is only known by trying: grow until the whole target fits.
    std::string link(256, '\0');
    for (;;) {
        const ssize_t length = readlink(path, link.data(), link.size());
        if (length <= 0)
            return 0;
        if (static_cast<size_t>(length) < link.size()) {
            link.resize(static_cast<size_t>(length));
            break;
        }
        link.resize(link.size() * 2);
    }
    if (geteuid() == 0) {
        struct stat info;
        if (lstat(path, &info) < 0)
            return Fail();
        if (info.st_uid != 0)
            return kFileRefused;
    }
    // A relative link starts from the folder the link itself is in.
    *pTarget = link[0] == '/' ? link : FolderOf(path) + link;
    return 1;
}

int CPosixFileSystem::Rename(const char* from, const char* to) {
    return OrFail(rename(from, to));
}

int CPosixFileSystem::Remove(const char* path) {
    return OrFail(unlink(path));
}

int CPosixFileSystem::SyncFolder(const char* path) {
    const std::string folder = FolderOf(path);
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return Fail();
    const int result = OrFail(fsync(fd));
    close(fd);
    return result;
}

int CPosixFileSystem::ListBeside(const char* path, std::vector<std::string>* pPaths) {
    const std::string folder = FolderOf(path);
    DIR* pFolder = opendir(folder.empty() ? "." : folder.c_str());
    if (pFolder == nullptr)
        return Fail();
    pPaths->clear();
    errno = 0;
    while (const dirent* pEntry = readdir(pFolder)) {
        const std::string name = pEntry->d_name;
        if (name != "." && name != "..")
            pPaths->push_back(folder + name);
        errno = 0;
    }
    const int result = errno != 0 ? Fail() : 0;
    closedir(pFolder);
    return result;
}

int CPosixFileSystem::MakeStateFolder(std::string* pFolder) {
    // A relative XDG_STATE_HOME is ignored, as every XDG-aware program does:
    // it would depend on the folder the program happens to start in.
    const char* pState = getenv("XDG_STATE_HOME");
    std::string folder;
    if (pState != nullptr && pState[0] == '/') {
        folder = pState;
    } else {
        const char* pHome = getenv("HOME");
        if (pHome == nullptr || pHome[0] != '/')
            return kFileMissing;
        folder = std::string(pHome) + "/.local/state";
    }
    folder += "/kadenzo/";
    for (size_t at = 1; at < folder.size(); ++at) {
        if (folder[at] == '/' && mkdir(folder.substr(0, at).c_str(), 0700) < 0 && errno != EEXIST)
            return Fail();
    }
    *pFolder = folder;
    return 0;
}

uint32_t CPosixFileSystem::ProcessId() {
    return static_cast<uint32_t>(getpid());
}

int CPosixFileSystem::IsProcessRunning(uint32_t pid) {
    // Larger ids would turn negative and name a process group.
    if (pid == 0 || pid > static_cast<uint32_t>(INT_MAX))
        return 0;
    // The null signal only asks: a process of another user answers EPERM.
    if (kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM)
        return 1;
    return errno == ESRCH ? 0 : Fail();
}
