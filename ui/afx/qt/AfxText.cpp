// SPDX-License-Identifier: MIT
#include "AfxText.h"

#include "AfxCodePage.h"

namespace {

QString FromBytes(const std::string& bytes) {
    const std::string utf8 = AfxUtf8FromBytes(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

} // namespace

QString AfxTextFromBytes(const std::string& bytes) {
    return FromBytes(bytes);
}

QString AfxTextFromBytes(const char* bytes) {
    return FromBytes(std::string(bytes));
}

std::string AfxBytesFromText(const QString& text) {
    // A lone surrogate half has no UTF-8 form: U+FFFD stands for it (Qt's own
    // conversion would write a question mark).
    QString whole = text;
    for (qsizetype i = 0; i < whole.size(); ++i) {
        if (!whole[i].isSurrogate())
            continue;
        if (whole[i].isHighSurrogate() && i + 1 < whole.size() && whole[i + 1].isLowSurrogate())
            ++i;
        else
            whole[i] = QChar(QChar::ReplacementCharacter);
    }
    const QByteArray utf8 = whole.toUtf8();
    return AfxBytesFromUtf8(std::string(utf8.constData(), static_cast<size_t>(utf8.size())));
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
