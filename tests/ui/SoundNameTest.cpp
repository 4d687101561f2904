// SPDX-License-Identifier: MIT
// The sound name dialog on its own: what it opens with, which names it refuses,
// and the text it hands back.
#include "AfxQt.h"
#include "KeyDefFixture.h"

#include <QApplication>
#include <QClipboard>

#include <gtest/gtest.h>

#include <ostream>

namespace {

const char kBlankError[] = "Error: Sound name cannot be blank";

// The sound name dialog on its own, as the key definition dialog runs it.
class SoundName : public testing::Test {
protected:
    INT_PTR Run(const std::function<void()>& script) { return RunModal(m_dlg, script); }

    CSoundNameDlg m_dlg;
};

TEST_F(SoundName, OpensWithTheNameAnEmptyErrorLineAndTheFocusOnOk) {
    m_dlg.m_name = "Kick";
    EXPECT_TRUE(m_dlg.m_error.empty());
    Run([&] {
        EXPECT_EQ(AfxGetWidget(m_dlg)->windowTitle(), QStringLiteral("Set New Name For A Sound "));
        EXPECT_EQ(NameEdit(m_dlg)->text(), QStringLiteral("Kick"));
        EXPECT_EQ(ErrorLine(m_dlg), QString());
        EXPECT_EQ(FocusWidget(), AfxGetDlgItem(m_dlg, IDOK));
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

// Blank names, typed or pasted, are refused with the error line, which stays
// while the dialog is open; a good name is then accepted.
struct SBlankCase {
    const char* m_label;
    QString m_text;
    bool m_pasted;
};

void PrintTo(const SBlankCase& blank, std::ostream* pOut) {
    *pOut << blank.m_label;
}

class SoundNameBlank : public SoundName, public testing::WithParamInterface<SBlankCase> {};

TEST_P(SoundNameBlank, IsRefusedUntilAGoodNameIsGiven) {
    m_dlg.m_name = "Kick";
    const INT_PTR result = Run([&] {
        if (GetParam().m_pasted) {
            TypeName(m_dlg, QString());
            QApplication::clipboard()->setText(GetParam().m_text);
            PressKey(Qt::Key_V, kKeyV, Qt::ControlModifier);
        } else {
            TypeName(m_dlg, GetParam().m_text);
        }
        const QString shown = NameEdit(m_dlg)->text();
        PressKey(Qt::Key_Return, kKeyEnter);
        ProcessEventsFor(20);
        EXPECT_TRUE(m_dlg.IsRunning());
        EXPECT_EQ(ErrorLine(m_dlg), QString::fromLatin1(kBlankError));
        EXPECT_EQ(NameEdit(m_dlg)->text(), shown) << "the user's text was changed";

        ClickButton(m_dlg, IDOK);
        EXPECT_TRUE(m_dlg.IsRunning());
        TypeName(m_dlg, QStringLiteral("Snare"));
        EXPECT_EQ(ErrorLine(m_dlg), QString::fromLatin1(kBlankError));
        ClickButton(m_dlg, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "Snare");
}

INSTANTIATE_TEST_SUITE_P(
    Names, SoundNameBlank,
    testing::Values(SBlankCase{"Empty", QString(), false},
                    SBlankCase{"Blanks", QStringLiteral("   "), false},
                    SBlankCase{"PastedWhiteSpace", QStringLiteral(" \t\v\f\r\n "), true}),
    [](const testing::TestParamInfo<SBlankCase>& info) { return info.param.m_label; });

TEST_F(SoundName, ReturnsTheTextExactlyAsTypedBlanksIncludedButNoLineBreak) {
    const INT_PTR result = Run([&] {
        TypeName(m_dlg, QStringLiteral("  Big Kick "));
        PressKey(Qt::Key_Return, kKeyEnter);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "  Big Kick ");

    CSoundNameDlg pasted;
    const INT_PTR pastedResult = RunModal(pasted, [&] {
        TypeName(pasted, QString());
        QApplication::clipboard()->setText(QStringLiteral("Big\nKick\r\n"));
        PressKey(Qt::Key_V, kKeyV, Qt::ControlModifier);
        PressKey(Qt::Key_Return, kKeyEnter);
    });
    EXPECT_EQ(pastedResult, IDOK);
    EXPECT_EQ(pasted.m_name, "Big Kick ");
}

} // namespace
