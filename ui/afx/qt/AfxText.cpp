// SPDX-License-Identifier: MIT
#include "AfxText.h"

#include "AfxBackEnd.h"
#include "AfxCodePage.h"
#include "AfxControl.h"
#include "AfxToolkit.h"

#include <QWidget>

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

size_t AfxCharacterStart(const std::string& text, size_t at) {
    // A UTF-8 character has at most three bytes after its first.
    const auto continues = [&text](size_t i) {
        return (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
    };
    size_t start = at;
    for (int back = 0; back < 3 && start > 0 && continues(start); ++back)
        --start;
    // No character starts there: the bytes are no UTF-8 but Windows-1252, one
    // byte a character, and any cut will do (as does any the walk back made).
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
