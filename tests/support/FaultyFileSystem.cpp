// SPDX-License-Identifier: MIT
#include "FaultyFileSystem.h"

CFaultyFileSystem::CFaultyFileSystem() {
    for (int& error : m_errors)
        error = 0;
    SetFileSystem(this);
}

CFaultyFileSystem::~CFaultyFileSystem() {
    SetFileSystem(nullptr);
}

int CFaultyFileSystem::CreateTemp(char* pathTemplate) {
    if (m_errors[kCreateTemp] != 0)
        return m_errors[kCreateTemp];
    const int fd = CPlatformFileSystem::CreateTemp(pathTemplate);
    if (fd >= 0)
        m_temps.push_back(pathTemplate);
    return fd;
}

int CFaultyFileSystem::OpenCreate(const char* path) {
    if (m_errors[kOpenWrite] != 0)
        return m_errors[kOpenWrite];
    return CPlatformFileSystem::OpenCreate(path);
}

int CFaultyFileSystem::OpenUpdate(const char* path) {
    if (m_errors[kOpenWrite] != 0)
        return m_errors[kOpenWrite];
    return CPlatformFileSystem::OpenUpdate(path);
}

// A failing write lets the first part through, so that a half-written file exists.
long CFaultyFileSystem::Write(int fd, const void* data, size_t size) {
    if (m_errors[kWrite] != 0 && m_writes++ > 0)
        return m_errors[kWrite];
    if (m_errors[kWrite] != 0 || m_writeLimit != 0) {
        const size_t limit = m_writeLimit != 0 ? m_writeLimit : size / 2;
        size = size < limit ? size : limit;
    }
    return CPlatformFileSystem::Write(fd, data, size);
}

int CFaultyFileSystem::Sync(int fd) {
    return m_errors[kSync] != 0 ? m_errors[kSync] : CPlatformFileSystem::Sync(fd);
}

int CFaultyFileSystem::CopyAccess(int fd, const char* path) {
    return m_errors[kCopyAccess] != 0 ? m_errors[kCopyAccess]
                                      : CPlatformFileSystem::CopyAccess(fd, path);
}

int CFaultyFileSystem::Close(int fd) {
    const int result = CPlatformFileSystem::Close(fd);
    return m_errors[kClose] != 0 ? m_errors[kClose] : result;
}

int CFaultyFileSystem::Rename(const char* from, const char* to) {
    return m_errors[kRename] != 0 ? m_errors[kRename] : CPlatformFileSystem::Rename(from, to);
}

int CFaultyFileSystem::OpenRead(const char* path) {
    return m_errors[kOpenRead] != 0 ? m_errors[kOpenRead] : CPlatformFileSystem::OpenRead(path);
}

long CFaultyFileSystem::Read(int fd, void* buffer, size_t size) {
    if (m_errors[kRead] != 0 && m_reads++ > 0)
        return m_errors[kRead];
    return CPlatformFileSystem::Read(fd, buffer, size);
}

int CFaultyFileSystem::CheckReplaceable(const char* path) {
    return m_errors[kCheckReplaceable] != 0 ? m_errors[kCheckReplaceable]
                                            : CPlatformFileSystem::CheckReplaceable(path);
}

int CFaultyFileSystem::Reserve(int fd, uint64_t length) {
    return m_errors[kReserve] != 0 ? m_errors[kReserve] : CPlatformFileSystem::Reserve(fd, length);
}
