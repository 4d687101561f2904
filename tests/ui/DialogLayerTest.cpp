// SPDX-License-Identifier: MIT
// The toolkit layer on a dialog of its own: dialog keys, notifications, list
// box and list view operations, data exchange, nested runs, template texts.
#include "AfxQt.h"
#include "UiTestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <vector>

namespace {

enum {
    kIdName = 201,
    kIdKeyBox = 202,
    kIdList = 203,
    kIdReport = 204,
    kIdApply = 205,
    kIdLabel = 206,
};

// clang-format off
const SDialogItem kItems[] = {
    {IDOK, EControlKind::PushButton, "OK", 170, 120, 50, 14, BS_DEFPUSHBUTTON | WS_TABSTOP, 0, 0},
    {IDCANCEL, EControlKind::PushButton, "Cancel", 115, 120, 50, 14, WS_TABSTOP, 0, 0},
    {kIdName, EControlKind::Edit, "", 7, 7, 131, 14, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {kIdKeyBox, EControlKind::ListView, "", 7, 30, 54, 13,
     LVS_LIST | LVS_NOSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {kIdList, EControlKind::ListBox, "", 70, 30, 60, 40,
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0, 0},
    {kIdReport, EControlKind::ListView, "", 140, 30, 80, 80,
     LVS_REPORT | LVS_SINGLESEL | WS_BORDER | WS_TABSTOP, 0, 0},
    {kIdApply, EControlKind::PushButton, "&Apply && Close", 7, 120, 60, 14, WS_TABSTOP, 0, 0},
    {kIdLabel, EControlKind::Static, "Save && Exit &Now", 7, 80, 100, 8, SS_LEFT, 0, 0},
};
// clang-format on

const SDialogTemplate kTemplate = {900,
                                   WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME,
                                   0,
                                   230,
                                   140,
                                   "Layer Test",
                                   "MS Sans Serif",
                                   8,
                                   kItems,
                                   int(sizeof kItems / sizeof kItems[0])};

class CLayerDlg : public CDialog {
public:
    CLayerDlg() : CDialog(&kTemplate) {}

    std::string m_name;
    std::string m_label;
    CListCtrl m_keyBox;
    CListBox m_list;
    CListCtrl m_report;

    bool m_visibleDuringInit = true;
    std::vector<NMLVKEYDOWN> m_keyDowns;
    std::vector<int> m_selChanges; // the selection each change reported
    int m_okCount = 0;
    std::function<void()> m_onApply;
    int m_applyCount = 0;

protected:
    void DoDataExchange(CDataExchange* pDX) override {
        CDialog::DoDataExchange(pDX);
        DDX_Control(pDX, kIdKeyBox, m_keyBox);
        DDX_Control(pDX, kIdList, m_list);
        DDX_Control(pDX, kIdReport, m_report);
        DDX_Text(pDX, kIdName, m_name);
        DDX_Text(pDX, kIdLabel, m_label);
    }
    BOOL OnInitDialog() override {
        m_label = "Save & Exit Now";
        CDialog::OnInitDialog();
        m_visibleDuringInit = AfxGetWidget(*this)->isVisible();
        m_list.InsertString(0, "two");
        m_list.InsertString(0, "zero");
        m_list.InsertString(1, "one");
        m_list.AddString("three");
        m_list.AddString("four");
        m_list.SetCurSel(3);
        m_list.SetCaretIndex(3, TRUE);
        m_report.InsertColumn(0, "Key", LVCFMT_LEFT, 60);
        m_report.InsertItem(0, "first");
        m_report.InsertItem(1, "second");
        m_keyBox.InsertColumn(0, "A");
        return TRUE;
    }
    void OnOK() override {
        ++m_okCount;
        CDialog::OnOK();
    }
    void OnKeyDownKeyBox(NMHDR* pHeader, LRESULT* pResult) {
        m_keyDowns.push_back(*reinterpret_cast<NMLVKEYDOWN*>(pHeader));
        *pResult = 0;
    }
    void OnSelChangeList() { m_selChanges.push_back(m_list.GetCurSel()); }
    void OnApply() {
        ++m_applyCount;
        if (m_onApply)
            m_onApply();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CLayerDlg, CDialog)
ON_NOTIFY(LVN_KEYDOWN, kIdKeyBox, OnKeyDownKeyBox)
ON_LBN_SELCHANGE(kIdList, OnSelChangeList)
ON_BN_CLICKED(kIdApply, OnApply)
END_MESSAGE_MAP()

class DialogLayer : public testing::Test {
protected:
    QWidget* Item(int id) { return AfxGetDlgItem(m_dlg, id); }
    QListWidget* List() { return qobject_cast<QListWidget*>(Item(kIdList)); }
    void Focus(int id) {
        Item(id)->setFocus(Qt::TabFocusReason);
        ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == Item(id); }));
    }

    CLayerDlg m_dlg;
};

TEST(DialogLayerTemplates, DialogWithoutTemplateCannotBeMade) {
    CDialog missing(12345u);
    EXPECT_EQ(missing.DoModal(), -1);
}

TEST_F(DialogLayer, OpensInvisibleUntilInitialisedWithFocusOnFirstTabStop) {
    const INT_PTR result = RunModal(m_dlg, [&] {
        EXPECT_EQ(FocusWidget(), Item(IDOK));
        // Template notation: labels show one ampersand, buttons keep Qt's mnemonics.
        EXPECT_EQ(LabelText(Item(kIdLabel)), QStringLiteral("Save & Exit Now"));
        EXPECT_EQ(qobject_cast<QPushButton*>(Item(kIdApply))->text(),
                  QStringLiteral("&Apply && Close"));
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    EXPECT_FALSE(m_dlg.m_visibleDuringInit);
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(AfxGetWidget(m_dlg), nullptr);
    EXPECT_EQ(AfxGetWidget(m_dlg.m_list), nullptr);
}

struct SKeyCase {
    const char* m_what;
    int m_qtKey;
    unsigned m_kernelCode;
    Qt::KeyboardModifiers m_modifiers;
    bool m_autoRepeat;
    int m_expectedFlags; // -1: the key box must not hear of it
};

TEST_F(DialogLayer, KeyBoxHearsEveryKeyButTheDialogAndSystemKeys) {
    // clang-format off
    const SKeyCase cases[] = {
        {"A held", Qt::Key_A, kKeyA, Qt::NoModifier, true, 30 | KF_REPEAT},
        {"keypad Delete", Qt::Key_Delete, kKeyKpDelete, Qt::KeypadModifier, false, 83},
        {"dead circumflex", Qt::Key_Dead_Circumflex, kKeyLeftBrace, Qt::NoModifier, false, 26},
        {"Ctrl+A", Qt::Key_A, kKeyA, Qt::ControlModifier, false, 30},
        {"Pause", Qt::Key_Pause, kKeyPause, Qt::NoModifier, false, 69},
        {"Alt", Qt::Key_Alt, kKeyLeftAlt, Qt::NoModifier, false, -1},
        {"Alt+A", Qt::Key_A, kKeyA, Qt::AltModifier, false, -1},
        {"F10", Qt::Key_F10, kKeyF10, Qt::NoModifier, false, -1},
    };
    // clang-format on
    RunModal(m_dlg, [&] {
        Focus(kIdKeyBox);
        EXPECT_FALSE(Item(kIdKeyBox)->testAttribute(Qt::WA_InputMethodEnabled));
        for (const SKeyCase& key : cases) {
            m_dlg.m_keyDowns.clear();
            SendKeyPress(FocusWidget(), key.m_qtKey, key.m_kernelCode, key.m_modifiers,
                         key.m_autoRepeat);
            if (key.m_expectedFlags < 0) {
                EXPECT_TRUE(m_dlg.m_keyDowns.empty()) << key.m_what;
            } else {
                ASSERT_EQ(m_dlg.m_keyDowns.size(), 1u) << key.m_what;
                EXPECT_EQ(m_dlg.m_keyDowns[0].flags, static_cast<UINT>(key.m_expectedFlags))
                    << key.m_what;
                EXPECT_EQ(m_dlg.m_keyDowns[0].hdr.idFrom, static_cast<UINT_PTR>(kIdKeyBox));
            }
            EXPECT_EQ(FocusWidget(), Item(kIdKeyBox)) << key.m_what;
            EXPECT_TRUE(m_dlg.IsRunning()) << key.m_what;
        }
        m_dlg.m_keyDowns.clear();
        // Tab moves on; Shift+Tab comes back; neither is a key of the box.
        PressKey(Qt::Key_Tab, kKeyTab);
        EXPECT_EQ(FocusWidget(), Item(kIdList));
        PressKey(Qt::Key_Backtab, kKeyTab, Qt::ShiftModifier);
        EXPECT_EQ(FocusWidget(), Item(kIdKeyBox));
        EXPECT_TRUE(m_dlg.m_keyDowns.empty());
        // Enter is the dialog's OK.
        PressKey(Qt::Key_Return, kKeyEnter);
        EXPECT_TRUE(m_dlg.m_keyDowns.empty());
        EXPECT_EQ(m_dlg.m_okCount, 1);
    });
}

TEST_F(DialogLayer, ListBoxClickOnNoEntryChangesNothing) {
    RunModal(m_dlg, [&] {
        List()->scrollToBottom();
        Click(List()->viewport(), QPoint(5, List()->viewport()->height() - 2));
        EXPECT_EQ(m_dlg.m_list.GetCurSel(), 3);
        EXPECT_TRUE(m_dlg.m_selChanges.empty());
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

TEST_F(DialogLayer, EnterPressesTheFocusedButtonElseRaisesOk) {
    const INT_PTR result = RunModal(m_dlg, [&] {
        Focus(kIdApply);
        PressKey(Qt::Key_Return, kKeyEnter);
        EXPECT_EQ(m_dlg.m_applyCount, 1);
        EXPECT_EQ(m_dlg.m_okCount, 0);
        Focus(kIdName);
        PressKey(Qt::Key_Enter, kKeyKpEnter);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_okCount, 1);
    EXPECT_EQ(m_dlg.m_applyCount, 1);
}

TEST_F(DialogLayer, AltF4Cancels) {
    const INT_PTR result = RunModal(m_dlg, [&] { PressKey(Qt::Key_F4, kKeyF4, Qt::AltModifier); });
    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(DialogLayer, EditBoxKeepsUntouchedBytesAndStoresTypedTextInWindows1252) {
    m_dlg.m_name = "Caf\xC3\xA9"; // UTF-8, as older Linux builds stored it
    const INT_PTR result = RunModal(m_dlg, [&] {
        auto* pEdit = qobject_cast<QLineEdit*>(Item(kIdName));
        EXPECT_EQ(pEdit->text(), QString::fromUtf16(u"Caf\u00E9"));
        m_dlg.m_name.clear();
        EXPECT_TRUE(m_dlg.UpdateData(TRUE));
        EXPECT_EQ(m_dlg.m_name, "Caf\xC3\xA9");
        // The user types behind the old name: the whole is now typed text.
        Focus(kIdName);
        pEdit->end(false);
        PressKey(Qt::Key_unknown, kKeyNone, Qt::NoModifier, QString::fromUtf16(u" \u00E9t\u00E9"));
        PressKey(Qt::Key_Return, kKeyEnter);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "Caf\xE9 \xE9t\xE9");
}

// Qt's line edit would keep them; a name with a line break would not be one line.
TEST_F(DialogLayer, EditBoxTurnsPastedAndTypedLineBreaksIntoBlanks) {
    m_dlg.m_name = "Kick";
    const INT_PTR result = RunModal(m_dlg, [&] {
        auto* pEdit = qobject_cast<QLineEdit*>(Item(kIdName));
        Focus(kIdName);
        pEdit->end(false);
        QApplication::clipboard()->setText(QStringLiteral(" Big\nBoom\r\nRoom\r"));
        PressKey(Qt::Key_V, kKeyV, Qt::ControlModifier);
        EXPECT_EQ(pEdit->text(), QStringLiteral("Kick Big Boom Room "));
        EXPECT_EQ(pEdit->cursorPosition(), pEdit->text().size());
        pEdit->home(false);
        PressKey(Qt::Key_unknown, kKeyNone, Qt::NoModifier, QString::fromUtf16(u"1\u2029"));
        PressKey(Qt::Key_Return, kKeyEnter);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(m_dlg.m_name, "1 Kick Big Boom Room ");
}

TEST_F(DialogLayer, NestedDialogIsOwnedCentredAndEndsOnItsOwn) {
    CLayerDlg nested;
    INT_PTR nestedResult = 0;
    m_dlg.m_onApply = [&] {
        nestedResult = RunModal(nested, [&] {
            EXPECT_EQ(CDialog::GetActiveModal(), &nested);
            EXPECT_EQ(QApplication::activeModalWidget(), AfxGetWidget(nested));
            EXPECT_EQ(AfxGetWidget(nested)->parentWidget(), AfxGetWidget(m_dlg));
            const QPoint offset = AfxGetWidget(nested)->frameGeometry().center() -
                                  AfxGetWidget(m_dlg)->frameGeometry().center();
            EXPECT_LE(offset.manhattanLength(), 1);
            PressKey(Qt::Key_Escape, kKeyEsc);
        });
    };
    const INT_PTR result = RunModal(m_dlg, [&] {
        Focus(kIdApply);
        PressKey(Qt::Key_Space, kKeySpace, Qt::NoModifier, QStringLiteral(" "));
        EXPECT_EQ(nestedResult, IDCANCEL);
        EXPECT_TRUE(m_dlg.IsRunning());
        EXPECT_EQ(CDialog::GetActiveModal(), &m_dlg);
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
    EXPECT_EQ(result, IDCANCEL);
}

// Every text of every template shows whole in its label, with the font used.
class TemplateTexts : public testing::TestWithParam<int> {};

TEST_P(TemplateTexts, FitTheirLabelsAndEveryControlLiesInTheWindow) {
    const SDialogTemplate* pTemplate = FindDialogTemplate(GetParam());
    if (!pTemplate)
        GTEST_SKIP() << "no template " << GetParam();
    CDialog dlg(pTemplate);
    RunModal(dlg, [&] {
        QWidget* pWindow = AfxGetWidget(dlg);
        for (QLabel* pLabel : pWindow->findChildren<QLabel*>()) {
            if (pLabel->text().isEmpty())
                continue;
            const int needed = pLabel->heightForWidth(pLabel->width());
            EXPECT_LE(needed, std::max(pLabel->height(), pLabel->fontMetrics().height()))
                << pLabel->text().toStdString();
        }
        for (QWidget* pChild : pWindow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (pChild->isWindow())
                continue;
            EXPECT_TRUE(pWindow->rect().contains(pChild->geometry()))
                << pChild->metaObject()->className();
        }
        PressKey(Qt::Key_Escape, kKeyEsc);
    });
}

INSTANTIATE_TEST_SUITE_P(Dialogs, TemplateTexts,
                         testing::Values(IDD_ABOUTBOX, IDD_DRUMPAD, IDD_KEYDEF, IDD_SOUNDNAME));

} // namespace
