#include "FileSystem.h"

#include <cerrno>
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
    return OrFail(open(path, O_RDONLY | O_CLOEXEC));
}

int CPosixFileSystem::OpenWrite(const char* path, int mode, int truncate) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (truncate ? O_TRUNC : 0);
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
    if (fs.GetMode(target.c_str(), &oldMode) >= 0)
        mode = oldMode;

    std::string temp = target + ".XXXXXX";
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
