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

// Reads the 28 names and the key-map entries of codes 1 to 255. A line ends
// with LF or CR LF, and a name keeps every other byte of its line whatever its
// length. Names past the end of the file become empty. The entries are read
// until the end of the file or the first item that holds no number (that entry
// becomes 0); entries after that keep their values. A number that is neither a
// sound nor kNoSound makes its key unbound.
void ReadDrumSet(IByteSource& source, std::string (&names)[kSoundCount],
                 int32_t (&keyMap)[kKeyMapSize]);

// The file's bytes: names with CR LF after each (a CR or LF inside a name
// becomes a blank, so the lines stay in step), then the entries of codes 1 to
// 255, any value outside the sounds written as kNoSound.
std::string FormatDrumSet(const std::string (&names)[kSoundCount],
                          const int32_t (&keyMap)[kKeyMapSize]);

// Reads the file into names and keyMap. A missing file is created empty (0600)
// and read as empty. 0 when the file can neither be opened nor created, is no
// regular file, or fails while being read; names and keyMap are then left as
// they were.
int LoadDrumSetFile(const char* fileName, std::string (&names)[kSoundCount],
                    int32_t (&keyMap)[kKeyMapSize]);

// Writes the file as one step (see ReplaceFileContents); 0 on any failure, with
// the previous file left as it was.
int SaveDrumSetFile(const char* fileName, const std::string (&names)[kSoundCount],
                    const int32_t (&keyMap)[kKeyMapSize]);
