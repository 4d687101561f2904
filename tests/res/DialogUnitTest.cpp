// SPDX-License-Identifier: MIT
// The horizontal dialog unit each template gets with the font Linux falls
// back to when "MS Sans Serif" is missing. The toolkit widens a dialog's unit
// until every one of its texts shows whole, so one text too long for its field
// widens its whole dialog. All four units are printed; the About box, whose
// free lines are the program's own wording, must not need a wider unit than
// the dialogs whose texts are all given.
#include "AfxToolkit.h"
#include "AfxWin.h"
#include "resource.h"

#include <QApplication>
#include <QFontInfo>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

// Opens the dialog, reads its unit in sixteenths of a pixel, and closes it.
class CUnitProbeDlg : public CDialog {
public:
    explicit CUnitProbeDlg(int templateId) : CDialog(FindDialogTemplate(templateId)) {}

    int m_unitX16 = 0;
    std::string m_font;

protected:
    BOOL OnInitDialog() override {
        CDialog::OnInitDialog();
        CRect rect{0, 0, 1600, 0};
        MapDialogRect(&rect);
        m_unitX16 = rect.right / 100;
        const QFontInfo font(AfxGetWidget(*this)->font());
        m_font = font.family().toStdString() + " " + std::to_string(font.pointSize());
        QTimer::singleShot(0, AfxGetWidget(*this), [this] { EndDialog(IDOK); });
        return TRUE;
    }
};

class DialogUnits : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static int argc = 1;
        static char name[] = "res_layout_tests";
        static char* argv[] = {name, nullptr};
        if (!QApplication::instance())
            s_pApp = new QApplication(argc, argv);
    }
    static void TearDownTestSuite() {
        delete s_pApp;
        s_pApp = nullptr;
    }
    static QApplication* s_pApp;
};
QApplication* DialogUnits::s_pApp = nullptr;

TEST_F(DialogUnits, AboutBoxIsNoWiderPerUnitThanTheOtherDialogs) {
    struct {
        const char* m_name;
        int m_id;
        int m_unitX16;
    } dialogs[] = {{"drum pad", IDD_DRUMPAD, 0},
                   {"key definition", IDD_KEYDEF, 0},
                   {"sound name", IDD_SOUNDNAME, 0},
                   {"About box", IDD_ABOUTBOX, 0}};
    int widestOther = 0;
    for (auto& dialog : dialogs) {
        CUnitProbeDlg probe(dialog.m_id);
        ASSERT_EQ(IDOK, probe.DoModal()) << dialog.m_name;
        dialog.m_unitX16 = probe.m_unitX16;
        std::printf("%-15s horizontal unit %d/16 pixel (%s)\n", dialog.m_name, probe.m_unitX16,
                    probe.m_font.c_str());
        RecordProperty(std::string("unit_") + std::to_string(dialog.m_id), probe.m_unitX16);
        if (dialog.m_id != IDD_ABOUTBOX && probe.m_unitX16 > widestOther)
            widestOther = probe.m_unitX16;
    }
    EXPECT_GT(dialogs[3].m_unitX16, 0);
    EXPECT_LE(dialogs[3].m_unitX16, widestOther)
        << "a line of the About box is too long for its field in this font";
}

} // namespace
