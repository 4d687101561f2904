// SPDX-License-Identifier: MIT
#include "AfxCodePage.h"

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 from 0x80 to 0x9F, where it differs from Latin-1; U+FFFD for
// the five bytes it leaves undefined. 0xA0 to 0xFF are U+00A0 to U+00FF.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, //
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, //
    0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, //
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};

char32_t FromWindows1252(unsigned char byte) {
    if (byte >= 0x80 && byte < 0xA0)
        return kHighControls[byte - 0x80];
    return byte;
}

// The Windows-1252 byte of a character, or -1 when it has none.
int ToWindows1252(char32_t code) {
    if (code < 0x80 || (code >= 0xA0 && code <= 0xFF))
        return static_cast<int>(code);
    if (code == kReplacement)
        return -1;
    for (int i = 0; i < 32; ++i) {
        if (kHighControls[i] == code)
            return 0x80 + i;
    }
    return -1;
}

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when none starts
// there; *pCode receives the code point.
int DecodeUtf8(const unsigned char* p, const unsigned char* end, char32_t* pCode) {
    const unsigned char b0 = p[0];
    if (b0 < 0x80) {
        *pCode = b0;
        return 1;
    }
    int length = 0;
    char32_t code = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
        code = b0 & 0x1F;
        minimum = 0x80;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        code = b0 & 0x0F;
        minimum = 0x800;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        code = b0 & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (end - p < length)
        return 0;
    for (int i = 1; i < length; ++i) {
        if ((p[i] & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (p[i] & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
        return 0;
    *pCode = code;
    return length;
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

const unsigned char* Begin(const std::string& bytes) {
    return reinterpret_cast<const unsigned char*>(bytes.data());
}

} // namespace

bool AfxIsUtf8(const std::string& bytes) {
    const unsigned char* p = Begin(bytes);
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        char32_t code = 0;
        const int used = DecodeUtf8(p, end, &code);
        if (used == 0)
            return false;
        p += used;
    }
    return true;
}

std::string AfxUtf8FromBytes(const std::string& bytes) {
    if (AfxIsUtf8(bytes))
        return bytes;
    std::string utf8;
    utf8.reserve(bytes.size() * 2);
    for (const char byte : bytes)
        AppendUtf8(utf8, FromWindows1252(static_cast<unsigned char>(byte)));
    return utf8;
}

std::string AfxBytesFromUtf8(const std::string& utf8) {
    std::string bytes;
    bytes.reserve(utf8.size());
    bool high = false;
    const unsigned char* p = Begin(utf8);
    const unsigned char* end = p + utf8.size();
    while (p < end) {
        char32_t code = 0;
        const int used = DecodeUtf8(p, end, &code);
        const int byte = used == 0 ? -1 : ToWindows1252(code);
        if (byte < 0)
            return utf8;
        bytes += static_cast<char>(byte);
        high = high || byte >= 0x80;
        p += used;
    }
    // Bytes that read as UTF-8 would show as other characters than typed.
    return high && AfxIsUtf8(bytes) ? utf8 : bytes;
}

std::string AfxBytesReadBack(const std::string& bytes) {
#ifdef _WIN32
    return bytes;
#else
    return AfxBytesFromUtf8(AfxUtf8FromBytes(bytes));
#endif
}
