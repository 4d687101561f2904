// SPDX-License-Identifier: MIT
// A file system held in memory, behind the same seam as the real one: for
// fuzzing the drum set file through the kit's own load and save many thousand
// times a second, with no disk and nothing left behind. Plain files only: no
// folders of its own (a path is just a name), no links, no permissions. It can
// play a full disk, a folder that takes no new file, a file system that
// reserves no room, and other processes (this one is kSelf).
//
// Use:
//     CMemoryFileSystem fs;          // installs itself; the destructor restores POSIX
//     fs.Put("drums.set", bytes);
//     kit.LoadSet("drums.set"); kit.SaveSet("drums.set");
//     fs.Get("drums.set"), fs.Names()
#pragma once

#include "FileSystem.h"

#include <cstdint>
#include <map>
#include <string>
#include <vector>

class CMemoryFileSystem final : public IFileSystem {
public:
    CMemoryFileSystem();
    ~CMemoryFileSystem();
    CMemoryFileSystem(const CMemoryFileSystem&) = delete;
    CMemoryFileSystem& operator=(const CMemoryFileSystem&) = delete;

    void Put(const std::string& path, const std::string& bytes);
    // The file's bytes; empty for a missing file (see Exists).
    std::string Get(const std::string& path) const;
    bool Exists(const std::string& path) const;
    // Every file's name, sorted.
    std::vector<std::string> Names() const;
    // Open handles not yet closed.
    int OpenCount() const { return static_cast<int>(m_open.size()); }
    // The disk holds this many bytes of all files together; writes and
    // reservations past it fail with ENOSPC (a write first fills what is left).
    void SetCapacity(size_t bytes) { m_capacity = bytes; }
    // New files are refused (EACCES), as in a folder the process may not write.
    void RefuseNewFiles(bool refuse) { m_refuseNewFiles = refuse; }
    // Reserve answers kFileUnsupported.
    void DropReservation(bool drop) { m_noReservation = drop; }
    // Process pid runs from now on (kSelf always does).
    void StartProcess(uint32_t pid) { m_running.push_back(pid); }
    // IsProcessRunning answers that it cannot tell.
    void HideProcesses(bool hide) { m_processesHidden = hide; }

    static constexpr uint32_t kSelf = 4321;
    // Where MakeStateFolder says the program's own files go.
    static constexpr char kStateFolder[] = "state/";

    int OpenRead(const char* path) override;
    int OpenCreate(const char* path) override;
    int OpenUpdate(const char* path) override;
    int OpenNew(const char* path) override;
    int CreateTemp(char* pathTemplate) override;
    long Read(int fd, void* buffer, size_t size) override;
    long Write(int fd, const void* data, size_t size) override;
    int Sync(int fd) override;
    int GetSize(int fd, uint64_t* pSize) override;
    int Reserve(int fd, uint64_t length) override;
    int Truncate(int fd, uint64_t length) override;
    int CopyAccess(int fd, const char* path) override;
    int MatchOwner(int fd, const char* path) override;
    int Close(int fd) override;
    int CheckReplaceable(const char* path) override;
    int MustStayInPlace(const char* path) override;
    int FollowLink(const char* path, std::string* pTarget) override;
    int Rename(const char* from, const char* to) override;
    int Remove(const char* path) override;
    int SyncFolder(const char* path) override;
    int ListBeside(const char* path, std::vector<std::string>* pPaths) override;
    int MakeStateFolder(std::string* pFolder) override;
    uint32_t ProcessId() override;
    int IsProcessRunning(uint32_t pid) override;

private:
    struct SFile {
        std::string m_bytes;
        int m_mode = 0600;
    };
    struct SHandle {
        std::string m_path;
        size_t m_position = 0;
        bool m_read = false;
        bool m_write = false;
    };
    SHandle* Handle(int fd, bool write);
    int Open(const std::string& path, bool read, bool write);
    // Opens for writing, making the file when it is missing.
    int OpenWrite(const std::string& path, bool truncate);
    // Bytes held by every file but path.
    size_t UsedBesides(const std::string& path) const;

    std::map<std::string, SFile> m_files;
    std::map<int, SHandle> m_open;
    int m_nextFd = 100;
    unsigned m_nextTemp = 0;
    size_t m_capacity = static_cast<size_t>(-1);
    bool m_refuseNewFiles = false;
    bool m_noReservation = false;
    std::vector<uint32_t> m_running;
    bool m_processesHidden = false;
};
