// SPDX-License-Identifier: MIT
#include "MemoryFileSystem.h"

#include <algorithm>
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
        return kFileMissing;
    return Open(path, true, false);
}

int CMemoryFileSystem::OpenWrite(const std::string& path, bool truncate) {
    auto found = m_files.find(path);
    if (found == m_files.end()) {
        // The program's own folder is elsewhere, and takes new files.
        if (m_refuseNewFiles && path.rfind(kStateFolder, 0) != 0)
            return kFileRefused;
        m_files[path].m_mode = 0600;
    } else if (truncate) {
        found->second.m_bytes.clear();
    }
    return Open(path, false, true);
}

int CMemoryFileSystem::OpenCreate(const char* path) {
    return OpenWrite(path, false);
}

int CMemoryFileSystem::OpenUpdate(const char* path) {
    if (!Exists(path))
        return kFileMissing;
    return Open(path, true, true);
}

int CMemoryFileSystem::OpenNew(const char* path) {
    return Exists(path) ? kFileExists : OpenWrite(path, true);
}

int CMemoryFileSystem::MakeStateFolder(std::string* pFolder) {
    *pFolder = kStateFolder;
    return 0;
}

int CMemoryFileSystem::CreateTemp(char* pathTemplate) {
    const size_t length = std::strlen(pathTemplate);
    if (length < 6 || std::strcmp(pathTemplate + length - 6, "XXXXXX") != 0)
        return kFileFailed;
    for (;;) {
        const std::string digits = std::to_string(100000 + m_nextTemp++ % 900000);
        std::memcpy(pathTemplate + length - 6, digits.data(), 6);
        if (!Exists(pathTemplate))
            break;
    }
    return OpenWrite(pathTemplate, true);
}

long CMemoryFileSystem::Read(int fd, void* buffer, size_t size) {
    SHandle* pHandle = Handle(fd, false);
    if (pHandle == nullptr)
        return kFileFailed;
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
        return kFileFailed;
    std::string& bytes = m_files[pHandle->m_path].m_bytes;
    const size_t room = m_capacity - std::min(m_capacity, UsedBesides(pHandle->m_path));
    if (pHandle->m_position + size > room) {
        if (pHandle->m_position >= room)
            return kFileNoRoom;
        size = room - pHandle->m_position;
    }
    if (bytes.size() < pHandle->m_position + size)
        bytes.resize(pHandle->m_position + size);
    std::memcpy(bytes.data() + pHandle->m_position, data, size);
    pHandle->m_position += size;
    return static_cast<long>(size);
}

int CMemoryFileSystem::Sync(int fd) {
    return m_open.count(fd) != 0 ? 0 : kFileFailed;
}

int CMemoryFileSystem::GetSize(int fd, uint64_t* pSize) {
    const auto found = m_open.find(fd);
    if (found == m_open.end())
        return kFileFailed;
    *pSize = m_files[found->second.m_path].m_bytes.size();
    return 0;
}

int CMemoryFileSystem::Reserve(int fd, uint64_t length) {
    SHandle* pHandle = Handle(fd, true);
    if (pHandle == nullptr)
        return kFileFailed;
    if (m_noReservation)
        return kFileUnsupported;
    std::string& bytes = m_files[pHandle->m_path].m_bytes;
    if (length <= bytes.size())
        return 0;
    if (UsedBesides(pHandle->m_path) + length > m_capacity)
        return kFileNoRoom;
    bytes.resize(static_cast<size_t>(length), '\0');
    return 0;
}

int CMemoryFileSystem::Truncate(int fd, uint64_t length) {
    SHandle* pHandle = Handle(fd, true);
    if (pHandle == nullptr)
        return kFileFailed;
    m_files[pHandle->m_path].m_bytes.resize(static_cast<size_t>(length), '\0');
    return 0;
}

int CMemoryFileSystem::CopyAccess(int fd, const char* path) {
    const auto found = m_open.find(fd);
    if (found == m_open.end())
        return kFileFailed;
    const auto old = m_files.find(path);
    m_files[found->second.m_path].m_mode = old != m_files.end() ? old->second.m_mode : 0600;
    return 0;
}

int CMemoryFileSystem::Close(int fd) {
    return m_open.erase(fd) != 0 ? 0 : kFileFailed;
}

int CMemoryFileSystem::MustStayInPlace(const char* path) {
    return Exists(path) ? 0 : kFileMissing;
}

int CMemoryFileSystem::MatchOwner(int fd, const char* path) {
    return m_open.count(fd) != 0 && Exists(path) ? 0 : kFileFailed;
}

int CMemoryFileSystem::FollowLink(const char*, std::string*) {
    return 0;
}

int CMemoryFileSystem::Rename(const char* from, const char* to) {
    const auto found = m_files.find(from);
    if (found == m_files.end())
        return kFileMissing;
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

int CMemoryFileSystem::Remove(const char* path) {
    return m_files.erase(path) != 0 ? 0 : kFileMissing;
}

int CMemoryFileSystem::SyncFolder(const char*) {
    return 0;
}

int CMemoryFileSystem::ListBeside(const char*, std::vector<std::string>* pPaths) {
    // One folder only: every name lives in the working folder.
    *pPaths = Names();
    return 0;
}

int CMemoryFileSystem::CheckReplaceable(const char* path) {
    return Exists(path) ? 0 : kFileMissing;
}

uint32_t CMemoryFileSystem::ProcessId() {
    return kSelf;
}

int CMemoryFileSystem::IsProcessRunning(uint32_t pid) {
    if (m_processesHidden)
        return kFileUnsupported;
    return pid == kSelf || std::count(m_running.begin(), m_running.end(), pid) != 0;
}
