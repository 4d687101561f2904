// SPDX-License-Identifier: MIT
#include "KeyDefFixture.h"
#include "AfxQt.h"

#include <QWidget>

QListWidget* SoundList(CKeyDefDlg& dlg) {
    return qobject_cast<QListWidget*>(AfxGetWidget(dlg.m_soundList));
}
QTreeWidget* KeyBox(CKeyDefDlg& dlg) {
    return qobject_cast<QTreeWidget*>(AfxGetWidget(dlg.m_keyBox));
}
QPoint EntryPoint(CKeyDefDlg& dlg, int entry) {
    QListWidget* pList = SoundList(dlg);
    pList->scrollToItem(pList->item(entry));
    return pList->visualItemRect(pList->item(entry)).center();
}
bool EntryVisible(CKeyDefDlg& dlg, int entry) {
    QListWidget* pList = SoundList(dlg);
    return pList->viewport()->rect().intersects(pList->visualItemRect(pList->item(entry)));
}
std::string EntryText(CKeyDefDlg& dlg, int entry) {
    std::string text;
    dlg.m_soundList.GetText(entry, text);
    return text;
}
void ClickEntry(CKeyDefDlg& dlg, int entry) {
    Click(SoundList(dlg)->viewport(), EntryPoint(dlg, entry));
}
void ClickKeyBox(CKeyDefDlg& dlg) {
    Click(KeyBox(dlg)->viewport(), QPoint(5, 5));
    // A window that a closing dialog hands the activation back to takes it a
    // moment later.
    ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == KeyBox(dlg); }));
}
void ClickButton(CDialog& dlg, int id) {
    QWidget* pButton = AfxGetDlgItem(dlg, id);
    Click(pButton, pButton->rect().center());
}
std::string KeyBoxText(CKeyDefDlg& dlg) {
    return dlg.m_keyBox.GetItemText(0, 0);
}

QLineEdit* NameEdit(CSoundNameDlg& dlg) {
    return qobject_cast<QLineEdit*>(AfxGetDlgItem(dlg, IDC_SOUND_NAME));
}
QString ErrorLine(CSoundNameDlg& dlg) {
    return LabelText(AfxGetDlgItem(dlg, IDC_ERROR_TEXT));
}
void TypeName(CSoundNameDlg& dlg, const QString& text) {
    QLineEdit* pEdit = NameEdit(dlg);
    Click(pEdit, pEdit->rect().center());
    PressKey(Qt::Key_A, kKeyA, Qt::ControlModifier);
    if (text.isEmpty())
        PressKey(Qt::Key_Backspace, kKeyBackspace);
    else
        PressKey(Qt::Key_unknown, kKeyNone, Qt::NoModifier, text);
}

void Rename(CKeyDefDlg& dlg, int entry, const QString& name, int button) {
    bool opened = false;
    WhenActive<CSoundNameDlg>([&](CSoundNameDlg& nameDlg) {
        opened = true;
        TypeName(nameDlg, name);
        ClickButton(nameDlg, button);
    });
    DoubleClick(SoundList(dlg)->viewport(), EntryPoint(dlg, entry));
    EXPECT_TRUE(opened) << "no sound name dialog for entry " << entry;
    EXPECT_EQ(CDialog::GetActiveModal(), &dlg);
    EXPECT_TRUE(WaitUntil([&] { return AfxGetWidget(dlg)->isActiveWindow(); }))
        << "the key definition dialog did not take the activation back";
}
