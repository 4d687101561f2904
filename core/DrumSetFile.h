// SPDX-License-Identifier: MIT
// The layout of the drum set file, apart from where its bytes come from or go:
// 28 name lines, then the key-map entries of scan codes 1 to 255, each a
// decimal number followed by one space.
#pragma once

#include "DrumTypes.h"

#include <cstddef>
#include <cstdint>
#include <string>

// Where the reader pulls the file's bytes from.
class IByteSource {
public:
    // Fills up to size bytes; 0 at the end (or on a failure, which ends the file).
    virtual long Read(char* buffer, size_t size) = 0;

protected:
    ~IByteSource() = default;
};

// The bytes of a file already in memory.
class CMemorySource : public IByteSource {
public:
    CMemorySource(const char* data, size_t size) : m_pData(data), m_size(size) {}
    long Read(char* buffer, size_t size) override;

private:
    const char* m_pData;
    size_t m_size;
};

// Reads the 28 names and the key-map entries of codes 1 to 255, as the Windows
// text mode reads them: a Ctrl-Z (byte 26) ends the file, a line ends with LF
// or CR LF, and a name is the text of its line before any zero byte, a lone CR
// included, whatever its length. Names past the end of the file become empty. The entries are read
// until the end of the file or the first item that holds no number (that entry
// becomes 0); entries after that keep their values. A number that is neither a
// sound nor kNoSound makes its key unbound.
void ReadDrumSet(IByteSource& source, std::string (&names)[kSoundCount],
                 int32_t (&keyMap)[kKeyMapSize]);

// The file's bytes: names with CR LF after each (an LF, zero byte or Ctrl-Z
// inside a name becomes a blank, so the lines stay in step; a CR stays), then the entries of codes
// 1 to 255, any value outside the sounds written as kNoSound.
std::string FormatDrumSet(const std::string (&names)[kSoundCount],
                          const int32_t (&keyMap)[kKeyMapSize]);

// A "drums.set" larger than this is not read at all, and so never written
// over: a real one holds about a kilobyte, and names of tens of megabytes still
// fit.
inline constexpr uint64_t kMaxSetFileBytes = uint64_t{64} << 20;

// What a run knows of the drum set file it read, so that saving it loses
// nothing of it.
struct SDrumSetRecord {
    // What the file holds in the kit's terms: the bytes a save of the names and
    // bindings as read (or as last saved) writes. A kit that would write these
    // very bytes has nothing to save.
    std::string m_saved;
    // The bytes first read, while a save would lose some of them (the file
    // held more than was understood); emptied once they are kept as the backup
    // or the file was replaced.
    std::string m_original;
    // The file was missing and has been created empty by this run: the first
    // save writes it, whatever the kit holds.
    int32_t m_mustWrite = 0;
    // The file's bytes as this run last read or wrote them: bytes that differ
    // are another program's, to be kept before they are replaced.
    std::string m_onDisk;
    // The name that other program's version was kept under, until a save
    // reports it.
    std::string m_replaced;
};

// Reads the file into names and keyMap. A missing file is created empty (0600)
// and read as empty. 0 when the file can neither be opened nor created, is no
// regular file, is larger than kMaxSetFileBytes, or fails while being read;
// names and keyMap are then left as they were. With pRecord, what was read is
// noted there for SaveDrumSetChanges.
int LoadDrumSetFile(const char* fileName, std::string (&names)[kSoundCount],
                    int32_t (&keyMap)[kKeyMapSize], SDrumSetRecord* pRecord = nullptr);

// Writes the file as one step (see ReplaceFileContents); 0 on any failure, with
// the previous file left as it was.
int SaveDrumSetFile(const char* fileName, const std::string (&names)[kSoundCount],
                    const int32_t (&keyMap)[kKeyMapSize]);

// Saves the file read through record, if there is anything to save: when the
// names and bindings would give the bytes the file already holds in the kit's
// terms, nothing is written, and the answer is 1. Before the first save that
// replaces a file holding more than was understood, the file as first read is
// kept beside it as "<name>.bak" (see ReplaceFileContents). A file changed on
// the disk since this run last read or wrote it is kept beside it as
// "<name>.replaced-<date>-<time>" before it is replaced (the save fails when
// it cannot be); a save that did so gives that name in pReplaced.
int SaveDrumSetChanges(const char* fileName, const std::string (&names)[kSoundCount],
                       const int32_t (&keyMap)[kKeyMapSize], SDrumSetRecord& record,
                       std::string* pReplaced = nullptr);

// Whether saving image keeps every byte of file: file is image or the start of
// it, line ends apart (CR LF and LF alone alike), followed by nothing but line
// ends.
int SaveKeepsAll(const std::string& file, const std::string& image);
