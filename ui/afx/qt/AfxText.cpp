// SPDX-License-Identifier: MIT
#include "AfxText.h"

#include "AfxBackEnd.h"
#include "AfxControl.h"
#include "AfxQt.h"

#include <QWidget>

#include <cstring>

namespace {

constexpr char32_t kEscapeFirst = kAfxByteEscapeBase + 0x80;
constexpr char32_t kEscapeLast = kAfxByteEscapeBase + 0xFF;

// Length of the valid UTF-8 sequence at p (1 to 4), or 0 when the byte at p
// does not start one; *pCode receives the code point.
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
    if (code >= kEscapeFirst && code <= kEscapeLast)
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

QString FromBytes(const unsigned char* p, size_t length) {
    QString text;
    text.reserve(static_cast<qsizetype>(length));
    const unsigned char* end = p + length;
    while (p < end) {
        char32_t code = 0;
        int used = DecodeUtf8(p, end, &code);
        if (used == 0) {
            code = kAfxByteEscapeBase + *p;
            used = 1;
        }
        if (code < 0x10000) {
            text += QChar(static_cast<char16_t>(code));
        } else {
            text += QChar(QChar::highSurrogate(code));
            text += QChar(QChar::lowSurrogate(code));
        }
        p += used;
    }
    return text;
}

} // namespace

QString AfxTextFromBytes(const std::string& bytes) {
    return FromBytes(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

QString AfxTextFromBytes(const char* bytes) {
    return FromBytes(reinterpret_cast<const unsigned char*>(bytes), std::strlen(bytes));
}

std::string AfxBytesFromText(const QString& text) {
    std::string out;
    out.reserve(static_cast<size_t>(text.size()));
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        char32_t code = text[i].unicode();
        if (QChar::isHighSurrogate(code) && i + 1 < size && text[i + 1].isLowSurrogate()) {
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        } else if (QChar::isSurrogate(code)) {
            code = 0xFFFD; // a lone half has no UTF-8 form
        }
        if (code >= kEscapeFirst && code <= kEscapeLast)
            out += static_cast<char>(code - kAfxByteEscapeBase);
        else
            AppendUtf8(out, code);
    }
    return out;
}

size_t AfxCharacterStart(const std::string& text, size_t at) {
    // A UTF-8 character has at most three bytes after its first.
    const auto continues = [&text](size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    size_t start = at;
    for (int back = 0; back < 3 && start > 0 && continues(start); ++back)
        --start;
    // No character starts there: the bytes are no UTF-8, and any cut will do.
    return continues(start) ? at : start;
}

QString AfxLabelTextFromTemplate(const char* text) {
    std::string shown;
    for (const char* p = text; *p; ++p) {
        if (*p == '&') {
            if (p[1] == '&')
                shown += *++p;
            continue;
        }
        shown += *p;
    }
    return AfxTextFromBytes(shown);
}

void AfxSetControlText(HWND hControl, const std::string& text) {
    QWidget* pWidget = AfxWidgetFromHandle(hControl);
    if (auto* pControl = dynamic_cast<IAfxControl*>(pWidget))
        pControl->SetTextBytes(text);
    else if (pWidget)
        pWidget->setWindowTitle(AfxTextFromBytes(text));
}

std::string AfxGetControlText(HWND hControl) {
    QWidget* pWidget = AfxWidgetFromHandle(hControl);
    if (auto* pControl = dynamic_cast<IAfxControl*>(pWidget))
        return pControl->TextBytes();
    return pWidget ? AfxBytesFromText(pWidget->windowTitle()) : std::string();
}
