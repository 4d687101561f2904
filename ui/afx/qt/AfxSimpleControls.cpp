// SPDX-License-Identifier: MIT
// The simple control widgets, and the edit box object.
#include "AfxSimpleControls.h"

#include "AfxDialogWindow.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QValidator>

// ---------------------------------------------------------------------------
// Static text

CStaticWidget::CStaticWidget(CDialogWindow* pWindow, const SDialogItem& item)
    : QLabel(pWindow), IAfxControl(pWindow, item) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::NoFocus);
    setContentsMargins(0, 0, 0, 0);
    setMargin(0);
    setIndent(0);
    if (item.m_kind == EControlKind::Icon) {
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return;
    }
    // Windows breaks static texts at word boundaries and clips what does not fit.
    setWordWrap(true);
    Qt::Alignment horizontal = Qt::AlignLeft;
    if ((item.m_style & 0x3) == SS_CENTER)
        horizontal = Qt::AlignHCenter;
    else if ((item.m_style & 0x3) == SS_RIGHT)
        horizontal = Qt::AlignRight;
    setAlignment(horizontal | Qt::AlignTop);
    const QString shown = AfxLabelTextFromTemplate(item.m_text);
    m_bytes = AfxBytesFromText(shown);
    setText(shown);
}

void CStaticWidget::SetTextBytes(const std::string& text) {
    // The drum path writes both texts on every stroke; only a change reaches Qt.
    if (text == m_bytes)
        return;
    m_bytes = text;
    setText(AfxTextFromBytes(AfxShownText(m_bytes)));
}

// ---------------------------------------------------------------------------
// Push button

CButtonWidget::CButtonWidget(CDialogWindow* pWindow, const SDialogItem& item)
    : QPushButton(pWindow), IAfxControl(pWindow, item) {
    // Buttons read the template notation as Qt does: "&&" is an ampersand.
    setText(AfxTextFromBytes(item.m_text));
    // The dialog presses buttons on Enter itself, the Windows way.
    setAutoDefault(false);
    setDefault(IsDefaultButton());
    QObject::connect(this, &QPushButton::clicked, this, [this] { Command(BN_CLICKED); });
}

void CButtonWidget::SetTextBytes(const std::string& text) {
    setText(AfxTextFromBytes(text));
}

std::string CButtonWidget::TextBytes() const {
    return AfxBytesFromText(text());
}

// ---------------------------------------------------------------------------
// Edit box

namespace {

// Qt's line edit keeps the line breaks of text pasted, dropped or committed by
// an input method, where a one-line edit box of Windows holds one line. Each
// line break (CR LF counts as one) becomes a blank, as the drum set file
// turns them, so that the words on either side stay apart.
class COneLineValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override {
        QString line;
        line.reserve(input.size());
        int newPos = pos;
        for (qsizetype i = 0; i < input.size(); ++i) {
            const char16_t c = input.at(i).unicode();
            if (c == u'\r' && i + 1 < input.size() && input.at(i + 1) == u'\n') {
                if (i < pos)
                    --newPos;
                continue;
            }
            const bool lineBreak =
                c == u'\n' || c == u'\r' || c == 0x0085 || c == 0x2028 || c == 0x2029;
            line.append(lineBreak ? QChar(u' ') : input.at(i));
        }
        if (line != input) {
            input = line;
            pos = newPos;
        }
        return Acceptable;
    }
};

} // namespace

CEditWidget::CEditWidget(CDialogWindow* pWindow, const SDialogItem& item)
    : QLineEdit(pWindow), IAfxControl(pWindow, item) {
    setFrame((item.m_style & WS_BORDER) != 0);
    setValidator(new COneLineValidator(this));
}

void CEditWidget::SetTextBytes(const std::string& text) {
    // Only the part shown passes through the line edit, which would also cut
    // a text at its maximum length (32,767 characters, as on Windows).
    setText(AfxTextFromBytes(m_text.Show(text)));
}

std::string CEditWidget::TextBytes() const {
    return m_text.Read(AfxBytesFromText(text()));
}

void CEdit::SetSel(int start, int end) {
    if (auto* pEdit = dynamic_cast<QLineEdit*>(AfxGetWidget(*this))) {
        if (start == 0 && end == -1)
            pEdit->selectAll();
        else if (start < 0)
            pEdit->deselect();
        else
            pEdit->setSelection(start, end - start);
    }
}
