// SPDX-License-Identifier: MIT
#include "MemoryFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

CMemoryFileSystem::CMemoryFileSystem() {
    SetFileSystem(this);
}

CMemoryFileSystem::~CMemoryFileSystem() {
    SetFileSystem(nullptr);
}

void CMemoryFileSystem::Put(const std::string& path, const std::string& bytes) {
    m_files[path].m_bytes = bytes;
}

std::string CMemoryFileSystem::Get(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? std::string() : found->second.m_bytes;
}

bool CMemoryFileSystem::Exists(const std::string& path) const {
    return m_files.count(path) != 0;
}

std::vector<std::string> CMemoryFileSystem::Names() const {
    std::vector<std::string> names;
    for (const auto& file : m_files)
        names.push_back(file.first);
    return names;
}

CMemoryFileSystem::SHandle* CMemoryFileSystem::Handle(int fd, bool write) {
    const auto found = m_open.find(fd);
    if (found == m_open.end() || !(write ? found->second.m_write : found->second.m_read))
        return nullptr;
    return &found->second;
}

int CMemoryFileSystem::Open(const std::string& path, bool read, bool write) {
    const int fd = m_nextFd++;
    m_open[fd] = SHandle{path, 0, read, write};
    return fd;
}

size_t CMemoryFileSystem::UsedBesides(const std::string& path) const {
    size_t used = 0;
    for (const auto& file : m_files) {
        if (file.first != path)
            used += file.second.m_bytes.size();
    }
    return used;
}

int CMemoryFileSystem::OpenRead(const char* path) {
    if (!Exists(path))
        return -ENOENT;
    return Open(path, true, false);
}

int CMemoryFileSystem::OpenWrite(const char* path, int mode, int truncate) {
    auto found = m_files.find(path);
    if (found == m_files.end()) {
        if (m_refuseNewFiles)
            return -EACCES;
        m_files[path].m_mode = mode;
    } else if (truncate) {
        found->second.m_bytes.clear();
    }
    return Open(path, false, true);
}

int CMemoryFileSystem::OpenUpdate(const char* path) {
    if (!Exists(path))
        return -ENOENT;
    return Open(path, true, true);
}

int CMemoryFileSystem::CreateTemp(char* pathTemplate) {
    const size_t length = std::strlen(pathTemplate);
    if (length < 6 || std::strcmp(pathTemplate + length - 6, "XXXXXX") != 0)
        return -EINVAL;
    for (;;) {
        const std::string digits = std::to_string(100000 + m_nextTemp++ % 900000);
        std::memcpy(pathTemplate + length - 6, digits.data(), 6);
        if (!Exists(pathTemplate))
            break;
    }
    return OpenWrite(pathTemplate, 0600, 1);
}

long CMemoryFileSystem::Read(int fd, void* buffer, size_t size) {
    SHandle* pHandle = Handle(fd, false);
    if (pHandle == nullptr)
        return -EBADF;
    const auto found = m_files.find(pHandle->m_path);
    if (found == m_files.end())
        return 0;
    const std::string& bytes = found->second.m_bytes;
    if (pHandle->m_position >= bytes.size())
        return 0;
    const size_t count = std::min(size, bytes.size() - pHandle->m_position);
    std::memcpy(buffer, bytes.data() + pHandle->m_position, count);
    pHandle->m_position += count;
    return static_cast<long>(count);
}

long CMemoryFileSystem::Write(int fd, const void* data, size_t size) {
    SHandle* pHandle = Handle(fd, true);
    if (pHandle == nullptr)
        return -EBADF;
    std::string& bytes = m_files[pHandle->m_path].m_bytes;
    const size_t room = m_capacity - std::min(m_capacity, UsedBesides(pHandle->m_path));
    if (pHandle->m_position + size > room) {
        if (pHandle->m_position >= room)
            return -ENOSPC;
        size = room - pHandle->m_position;
    }
    if (bytes.size() < pHandle->m_position + size)
        bytes.resize(pHandle->m_position + size);
    std::memcpy(bytes.data() + pHandle->m_position, data, size);
    pHandle->m_position += size;
    return static_cast<long>(size);
}

int CMemoryFileSystem::Sync(int fd) {
    return m_open.count(fd) != 0 ? 0 : -EBADF;
}

int CMemoryFileSystem::GetSize(int fd, uint64_t* pSize) {
    const auto found = m_open.find(fd);
    if (found == m_open.end())
        return -EBADF;
    *pSize = m_files[found->second.m_path].m_bytes.size();
    return 0;
}

int CMemoryFileSystem::Reserve(int fd, uint64_t length) {
    SHandle* pHandle = Handle(fd, true);
    if (pHandle == nullptr)
        return -EBADF;
    if (m_noReservation)
        return -EOPNOTSUPP;
    std::string& bytes = m_files[pHandle->m_path].m_bytes;
    if (length <= bytes.size())
        return 0;
    if (UsedBesides(pHandle->m_path) + length > m_capacity)
        return -ENOSPC;
    bytes.resize(static_cast<size_t>(length), '\0');
    return 0;
}

int CMemoryFileSystem::Truncate(int fd, uint64_t length) {
    SHandle* pHandle = Handle(fd, true);
    if (pHandle == nullptr)
        return -EBADF;
    m_files[pHandle->m_path].m_bytes.resize(static_cast<size_t>(length), '\0');
    return 0;
}

int CMemoryFileSystem::SetMode(int fd, int mode) {
    const auto found = m_open.find(fd);
    if (found == m_open.end())
        return -EBADF;
    m_files[found->second.m_path].m_mode = mode;
    return 0;
}

int CMemoryFileSystem::Close(int fd) {
    return m_open.erase(fd) != 0 ? 0 : -EBADF;
}

int CMemoryFileSystem::GetMode(const char* path, int* pMode) {
    const auto found = m_files.find(path);
    if (found == m_files.end())
        return -ENOENT;
    *pMode = found->second.m_mode;
    return 0;
}

int CMemoryFileSystem::GetLinkCount(const char* path, int* pCount) {
    if (!Exists(path))
        return -ENOENT;
    *pCount = 1;
    return 0;
}

int CMemoryFileSystem::MatchOwner(int fd, const char* path) {
    return m_open.count(fd) != 0 && Exists(path) ? 0 : -EBADF;
}

int CMemoryFileSystem::CheckFollowLink(const char*) {
    return 0;
}

int CMemoryFileSystem::ReadLink(const char* path, std::string*) {
    return Exists(path) ? -EINVAL : -ENOENT;
}

int CMemoryFileSystem::Rename(const char* from, const char* to) {
    const auto found = m_files.find(from);
    if (found == m_files.end())
        return -ENOENT;
    SFile file = found->second;
    m_files.erase(found);
    m_files[to] = file;
    // Open handles follow the file, as they would on a real file system.
    for (auto& open : m_open) {
        if (open.second.m_path == from)
            open.second.m_path = to;
    }
    return 0;
}

int CMemoryFileSystem::Unlink(const char* path) {
    return m_files.erase(path) != 0 ? 0 : -ENOENT;
}

int CMemoryFileSystem::SyncFolder(const char*) {
    return 0;
}

int CMemoryFileSystem::ListFolder(const char* path, std::vector<std::string>* pNames) {
    // One folder only: every name lives in the working folder.
    if (std::strcmp(path, ".") != 0)
        return -ENOENT;
    *pNames = Names();
    return 0;
}

int CMemoryFileSystem::CheckReplaceable(const char* path) {
    return Exists(path) ? 0 : -ENOENT;
}
