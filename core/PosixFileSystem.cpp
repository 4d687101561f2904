// SPDX-License-Identifier: MIT
// The file seam over the POSIX calls.
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

// Whether an offset fits the system's file offsets.
int FitsOffset(uint64_t length) {
    return length <= static_cast<uint64_t>(INT64_MAX) &&
           static_cast<uint64_t>(static_cast<off_t>(length)) == length;
}

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

int CPosixFileSystem::OpenUpdate(const char* path) {
    // Not following a link: the caller has followed them already, and a link
    // put in the file's place since then must not redirect the write.
    const int flags = O_NONBLOCK | O_CLOEXEC | O_NOFOLLOW;
    int fd = open(path, O_RDWR | flags);
    if (fd < 0 && errno == EACCES)
        fd = open(path, O_WRONLY | flags);
    if (fd < 0)
        return Fail();
    struct stat info;
    int result = fd;
    if (fstat(fd, &info) < 0)
        result = Fail();
    else if (!S_ISREG(info.st_mode))
        result = -EINVAL;
    if (result < 0)
        close(fd);
    return result;
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

int CPosixFileSystem::GetSize(int fd, uint64_t* pSize) {
    struct stat info;
    if (fstat(fd, &info) < 0)
        return Fail();
    *pSize = static_cast<uint64_t>(info.st_size);
    return 0;
}

int CPosixFileSystem::Reserve(int fd, uint64_t length) {
    if (!FitsOffset(length))
        return -EFBIG;
    if (length == 0)
        return 0;
    // Where the file system has no fallocate, glibc writes a zero byte into
    // every block of the range that reads as zero: past the old end, that
    // allocates the blocks; inside it, no byte changes its value. It reads the
    // file to tell, so the descriptor must be open for reading too.
    const int error = posix_fallocate(fd, 0, static_cast<off_t>(length));
    return error == 0 ? 0 : -error;
}

int CPosixFileSystem::Truncate(int fd, uint64_t length) {
    if (!FitsOffset(length))
        return -EFBIG;
    return OrFail(ftruncate(fd, static_cast<off_t>(length)));
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

int CPosixFileSystem::GetLinkCount(const char* path, int* pCount) {
    struct stat info;
    if (stat(path, &info) < 0)
        return Fail();
    *pCount = info.st_nlink > 1000000 ? 1000000 : static_cast<int>(info.st_nlink);
    return 0;
}

int CPosixFileSystem::MatchOwner(int fd, const char* path) {
    struct stat wanted;
    struct stat current;
    if (stat(path, &wanted) < 0 || fstat(fd, &current) < 0)
        return Fail();
    if (wanted.st_uid == current.st_uid && wanted.st_gid == current.st_gid)
        return 0;
    return OrFail(fchown(fd, wanted.st_uid, wanted.st_gid));
}

int CPosixFileSystem::CheckFollowLink(const char* path) {
    if (geteuid() != 0)
        return 0;
    struct stat info;
    if (lstat(path, &info) < 0)
        return Fail();
    return info.st_uid == 0 ? 0 : -EPERM;
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
