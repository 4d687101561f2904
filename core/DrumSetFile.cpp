// SPDX-License-Identifier: MIT
#include "DrumSetFile.h"

#include "FileSystem.h"

#include <cstring>

namespace {

// The Windows text mode, which the Windows program read the file in, ends the
// file at this byte (Ctrl-Z); both platforms read it so.
constexpr char kEndOfFile = 26;

// A hand-edited number is read as the Windows program's stream read it: at
// most this many characters, sign and base prefix included, make one number.
constexpr int kMaxNumberChars = 15;

class CByteReader {
public:
    explicit CByteReader(IByteSource& source) : m_source(source) {}

    // The next byte, or -1 at the end.
    int Peek() {
        if (m_pos == m_end && !Fill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_pos]);
    }
    void Skip() { ++m_pos; }

    // One line without its line end; 0 when the file was already exhausted.
    int ReadLine(std::string* pLine) {
        pLine->clear();
        if (Peek() < 0)
            return 0;
        for (;;) {
            if (m_pos == m_end && !Fill())
                return 1;
            const char* pBegin = m_buffer + m_pos;
            const size_t available = m_end - m_pos;
            const void* pFeed = std::memchr(pBegin, '\n', available);
            if (pFeed == nullptr) {
                pLine->append(pBegin, available);
                m_pos = m_end;
                continue;
            }
            const size_t length = static_cast<size_t>(static_cast<const char*>(pFeed) - pBegin);
            pLine->append(pBegin, length);
            m_pos += length + 1;
            // Only a CR right before the LF belongs to the line end; any other
            // CR is part of the name.
            if (!pLine->empty() && pLine->back() == '\r')
                pLine->pop_back();
            // The name is the text before a zero byte, as the Windows program's
            // was: the rest of its line is read and dropped.
            const size_t zero = pLine->find('\0');
            if (zero != std::string::npos)
                pLine->resize(zero);
            return 1;
        }
    }

private:
    int Fill() {
        if (m_atEnd)
            return 0;
        const long got = m_source.Read(m_buffer, sizeof m_buffer);
        if (got <= 0) {
            m_atEnd = 1;
            return 0;
        }
        size_t end = static_cast<size_t>(got);
        if (const void* pStop = std::memchr(m_buffer, kEndOfFile, end)) {
            end = static_cast<size_t>(static_cast<const char*>(pStop) - m_buffer);
            m_atEnd = 1;
        }
        if (end == 0)
            return 0;
        m_pos = 0;
        m_end = end;
        return 1;
    }

    IByteSource& m_source;
    char m_buffer[8192];
    size_t m_pos = 0;
    size_t m_end = 0;
    int m_atEnd = 0;
};

int IsSpace(int c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

int DigitValue(int c, int base) {
    int value = 99;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'f')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

enum EItem { kItemNumber, kItemMalformed, kItemEnd };

// One integer as the key-map line holds it: optional sign, then 0x or 0X for
// hexadecimal, another leading 0 for octal, else decimal.
EItem ReadNumber(CByteReader& reader, int64_t* pValue) {
    while (IsSpace(reader.Peek()))
        reader.Skip();
    if (reader.Peek() < 0)
        return kItemEnd;
    int taken = 0;
    int negative = 0;
    int c = reader.Peek();
    if (c == '+' || c == '-') {
        negative = c == '-';
        reader.Skip();
        ++taken;
    }
    int base = 10;
    int haveDigit = 0;
    if (taken < kMaxNumberChars && reader.Peek() == '0') {
        reader.Skip();
        ++taken;
        c = reader.Peek();
        if (taken < kMaxNumberChars && (c == 'x' || c == 'X')) {
            reader.Skip();
            ++taken;
            base = 16;
        } else {
            base = 8;
            haveDigit = 1;
        }
    }
    // Fifteen characters hold at most 13 hexadecimal digits: no overflow here.
    int64_t value = 0;
    while (taken < kMaxNumberChars) {
        const int digit = DigitValue(reader.Peek(), base);
        if (digit < 0)
            break;
        value = value * base + digit;
        haveDigit = 1;
        reader.Skip();
        ++taken;
    }
    if (!haveDigit)
        return kItemMalformed;
    *pValue = negative ? -value : value;
    return kItemNumber;
}

int IsSound(int64_t value) {
    return value >= 0 && value < kSoundCount;
}

// Reads the whole file, unless it is larger than kMaxSetFileBytes; 0 then, and
// when a read fails, for then what came before is only part of the file.
int ReadWhole(IFileSystem& fs, int fd, std::string* pBytes) {
    uint64_t size = 0;
    if (fs.GetSize(fd, &size) < 0 || size > kMaxSetFileBytes)
        return 0;
    pBytes->clear();
    pBytes->reserve(static_cast<size_t>(size));
    char buffer[65536];
    for (;;) {
        const long got = fs.Read(fd, buffer, sizeof buffer);
        if (got < 0)
            return 0;
        if (got == 0)
            return 1;
        // A file still growing while it is read is held to the same limit.
        if (pBytes->size() + static_cast<size_t>(got) > kMaxSetFileBytes)
            return 0;
        pBytes->append(buffer, static_cast<size_t>(got));
    }
}

// A CR right before an LF is part of the line end.
int IsLineEndReturn(const std::string& text, size_t pos) {
    return text[pos] == '\r' && pos + 1 < text.size() && text[pos + 1] == '\n';
}

// Another program (another copy of this one, an editor) wrote the file since
// this run last read or wrote it: its version is kept beside it, under a name
// of its own, before it is replaced. 0 when it could not be read or kept.
int KeepChangedFile(const char* fileName, SDrumSetRecord& record) {
    IFileSystem& fs = FileSystem();
    std::string target;
    if (!ResolveLinks(fileName, &target))
        return 0;
    const int fd = fs.OpenRead(target.c_str());
    if (fd == kFileMissing)
        return 1;
    if (fd < 0)
        return 0;
    std::string current;
    const int whole = ReadWhole(fs, fd, &current);
    fs.Close(fd);
    if (!whole)
        return 0;
    if (current == record.m_onDisk)
        return 1;
    std::string kept;
    if (!WriteNewFile(target + ".replaced-" + TimeStamp(), "", current, target.c_str(), &kept))
        return 0;
    record.m_onDisk.swap(current);
    record.m_replaced.swap(kept);
    return 1;
}

} // namespace

long CMemorySource::Read(char* buffer, size_t size) {
    const size_t count = size < m_size ? size : m_size;
    if (count == 0)
        return 0;
    std::memcpy(buffer, m_pData, count);
    m_pData += count;
    m_size -= count;
    return static_cast<long>(count);
}

void ReadDrumSet(IByteSource& source, std::string (&names)[kSoundCount],
                 int32_t (&keyMap)[kKeyMapSize]) {
    CByteReader reader(source);
    for (std::string& name : names)
        reader.ReadLine(&name);
    for (int code = 1; code < kKeyMapSize; ++code) {
        int64_t value = 0;
        const EItem item = ReadNumber(reader, &value);
        if (item == kItemEnd)
            return;
        if (item == kItemMalformed) {
            keyMap[code] = 0;
            return;
        }
        keyMap[code] = IsSound(value) ? static_cast<int32_t>(value) : kNoSound;
    }
}

std::string FormatDrumSet(const std::string (&names)[kSoundCount],
                          const int32_t (&keyMap)[kKeyMapSize]) {
    std::string text;
    for (const std::string& name : names) {
        const size_t start = text.size();
        text += name;
        // A byte that would end the line, the name or the file when read
        // becomes a blank, so that the lines stay in step; a lone CR is kept.
        for (size_t i = start; i < text.size(); ++i) {
            if (text[i] == '\n' || text[i] == '\0' || text[i] == kEndOfFile)
                text[i] = ' ';
        }
        text += "\r\n";
    }
    for (int code = 1; code < kKeyMapSize; ++code) {
        text += std::to_string(IsSound(keyMap[code]) ? keyMap[code] : kNoSound);
        text += ' ';
    }
    return text;
}

int LoadDrumSetFile(const char* fileName, std::string (&names)[kSoundCount],
                    int32_t (&keyMap)[kKeyMapSize], SDrumSetRecord* pRecord) {
    IFileSystem& fs = FileSystem();
    // A link the save would not follow is not read either: the run then holds
    // nothing of a file its user may not read, and makes no file for a
    // dangling one.
    std::string target;
    if (!ResolveLinks(fileName, &target))
        return 0;
    int fd = fs.OpenRead(target.c_str());
    std::string bytes;
    int created = 0;
    if (fd == kFileMissing) {
        fd = fs.OpenCreate(target.c_str());
        if (fd < 0)
            return 0;
        fs.Close(fd);
        // Just created: read as the empty file it is.
        created = 1;
    } else {
        if (fd < 0)
            return 0;
        // Taken only whole: a file cut short by a failing read must not pass
        // for a file that holds that little.
        const int whole = ReadWhole(fs, fd, &bytes);
        fs.Close(fd);
        if (!whole)
            return 0;
    }
    CMemorySource source(bytes.data(), bytes.size());
    ReadDrumSet(source, names, keyMap);
    if (pRecord != nullptr) {
        pRecord->m_saved = FormatDrumSet(names, keyMap);
        pRecord->m_mustWrite = created;
        pRecord->m_onDisk = bytes;
        pRecord->m_replaced.clear();
        pRecord->m_original.clear();
        if (!SaveKeepsAll(bytes, pRecord->m_saved))
            pRecord->m_original.swap(bytes);
    }
    return 1;
}

int SaveDrumSetFile(const char* fileName, const std::string (&names)[kSoundCount],
                    const int32_t (&keyMap)[kKeyMapSize]) {
    const std::string text = FormatDrumSet(names, keyMap);
    return ReplaceFileContents(fileName, text.data(), text.size());
}

int SaveDrumSetChanges(const char* fileName, const std::string (&names)[kSoundCount],
                       const int32_t (&keyMap)[kKeyMapSize], SDrumSetRecord& record,
                       std::string* pReplaced) {
    std::string text = FormatDrumSet(names, keyMap);
    // Rewriting a file with what it holds would gain nothing, and a file that
    // was only read in part would lose the rest.
    if (!record.m_mustWrite && text == record.m_saved)
        return 1;
    if (!KeepChangedFile(fileName, record))
        return 0;
    SBackup backup = {record.m_original.data(), record.m_original.size(), 0};
    const int saved = ReplaceFileContents(fileName, text.data(), text.size(),
                                          record.m_original.empty() ? nullptr : &backup);
    // One backup per run: once made, or once the file it would have kept is
    // gone, a later save makes none.
    if (backup.m_made || saved)
        std::string().swap(record.m_original);
    if (saved) {
        record.m_onDisk = text;
        record.m_saved.swap(text);
        record.m_mustWrite = 0;
        if (pReplaced != nullptr)
            *pReplaced = record.m_replaced;
        record.m_replaced.clear();
    }
    return saved;
}

int SaveKeepsAll(const std::string& file, const std::string& image) {
    size_t inImage = 0;
    for (size_t inFile = 0; inFile < file.size(); ++inFile) {
        if (IsLineEndReturn(file, inFile))
            continue;
        if (inImage < image.size() && IsLineEndReturn(image, inImage))
            ++inImage;
        if (inImage >= image.size()) {
            if (file[inFile] != '\n')
                return 0;
            continue;
        }
        if (file[inFile] != image[inImage])
            return 0;
        ++inImage;
    }
    return 1;
}
