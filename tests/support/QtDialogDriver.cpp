// SPDX-License-Identifier: MIT
// The dialog driver over the Qt back end, through the offscreen helpers.
#include "DialogDriver.h"

#include "AfxControl.h"
#include "AfxKeys.h"
#include "AfxText.h"
#include "UiTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

int QtKeyOf(UINT virtualKey) {
    if ((virtualKey >= 'A' && virtualKey <= 'Z') || (virtualKey >= '0' && virtualKey <= '9'))
        return static_cast<int>(virtualKey);
    if (virtualKey >= VK_F1 && virtualKey <= VK_F1 + 23)
        return Qt::Key_F1 + static_cast<int>(virtualKey - VK_F1);
    switch (virtualKey) {
    case VK_BACK:
        return Qt::Key_Backspace;
    case VK_TAB:
        return Qt::Key_Tab;
    case 0x10:
        return Qt::Key_Shift;
    case 0x11:
        return Qt::Key_Control;
    case VK_DELETE:
        return Qt::Key_Delete;
    case 0x26:
        return Qt::Key_Up;
    case 0x28:
        return Qt::Key_Down;
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_SPACE:
        return Qt::Key_Space;
    case 0x13:
        return Qt::Key_Pause;
    default:
        return Qt::Key_unknown;
    }
}

// The kernel's key code that X11 reports for a key of that scan code.
unsigned KernelCodeOf(UINT scanFlags) {
    for (unsigned code = 1; code < 256; ++code) {
        if (AfxScanFlagsFromKernelKeyCode(code) == scanFlags)
            return code;
    }
    return 0;
}

} // namespace

INT_PTR DriveModal(CDialog& dialog, const std::function<void()>& script, int guardMs) {
    bool started = false;
    // Owned by this call, so that a run that never begins (DoModal's -1)
    // leaves no timer behind to fire on this call's variables.
    QTimer start;
    start.setSingleShot(true);
    QObject::connect(&start, &QTimer::timeout, [&] {
        started = true;
        QWidget* pWindow = AfxGetWidget(dialog);
        EXPECT_TRUE(WaitUntil([&] { return pWindow && pWindow->isActiveWindow(); }))
            << "the dialog never became active";
        script();
    });
    start.start(0);
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&] {
        ADD_FAILURE() << "the modal run did not end";
        CDialog::CancelAllModal();
    });
    guard.start(guardMs);
    const INT_PTR result = dialog.DoModal();
    EXPECT_TRUE(started || result == -1);
    return result;
}

void WhenNextOpens(const std::function<void(CDialog&)>& script) {
    CDialog* pBelow = CDialog::GetActiveModal();
    RunWhen(
        [pBelow] {
            CDialog* pTop = CDialog::GetActiveModal();
            return pTop && pTop != pBelow && AfxGetWidget(*pTop) &&
                   AfxGetWidget(*pTop)->isActiveWindow();
        },
        [script] { script(*CDialog::GetActiveModal()); });
}

void FocusControl(const CDialog& dialog, int id) {
    if (QWidget* pControl = AfxGetDlgItem(dialog, id))
        pControl->setFocus(Qt::MouseFocusReason);
}

void StrikeKey(UINT virtualKey, UINT scanFlags, bool shifted) {
    // Qt reports Tab with Shift as a key of its own.
    const int key = shifted && virtualKey == VK_TAB ? Qt::Key_Backtab : QtKeyOf(virtualKey);
    PressKey(key, KernelCodeOf(scanFlags), shifted ? Qt::ShiftModifier : Qt::NoModifier);
}

void HoldKey(UINT virtualKey, UINT scanFlags, int repeats) {
    const int key = QtKeyOf(virtualKey);
    const unsigned code = KernelCodeOf(scanFlags);
    for (int i = 0; i <= repeats; ++i)
        SendKeyPress(FocusWidget(), key, code, Qt::NoModifier, i > 0);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, code + 8, 0, 0);
    QApplication::sendEvent(FocusWidget(), &release);
}

void TypeText(const std::string& text) {
    PressKey(Qt::Key_unknown, 0, Qt::NoModifier, AfxTextFromBytes(text));
}

void TypeCharacters(const std::u16string& text) {
    PressKey(Qt::Key_unknown, 0, Qt::NoModifier, QString::fromStdU16String(text));
}

void TypeInto(const CDialog& dialog, int id, const std::string& text) {
    FocusControl(dialog, id);
    PressKey(Qt::Key_A, KernelCodeOf(30), Qt::ControlModifier);
    if (text.empty())
        PressKey(Qt::Key_Backspace, KernelCodeOf(14));
    else
        TypeText(text);
}

void PasteText(const std::string& text) {
    QApplication::clipboard()->setText(AfxTextFromBytes(text));
    PressKey(Qt::Key_V, KernelCodeOf(47), Qt::ControlModifier);
}

int FocusedControl(const CDialog& dialog) {
    QWidget* pFocus = FocusWidget();
    const auto* pControl = dynamic_cast<const IAfxControl*>(pFocus);
    QWidget* pWindow = AfxGetWidget(dialog);
    return pControl && pWindow && pWindow->isAncestorOf(pFocus) ? pControl->ControlId() : 0;
}

void CloseWindow(const CDialog& dialog) {
    if (QWidget* pWindow = AfxGetWidget(dialog))
        pWindow->close();
}

void ChooseWindowMenuItem(const CDialog& dialog, UINT id) {
    // What the menu does with the item chosen.
    const_cast<CDialog&>(dialog).SendMessage(WM_SYSCOMMAND, id, 0);
}

void PushButton(const CDialog& dialog, int id) {
    if (auto* pButton = qobject_cast<QAbstractButton*>(AfxGetDlgItem(dialog, id)))
        pButton->click();
}

void ClickRow(const CDialog& dialog, int id, int row, EClick click) {
    QWidget* pControl = AfxGetDlgItem(dialog, id);
    auto* pArea = qobject_cast<QAbstractScrollArea*>(pControl);
    ASSERT_NE(pArea, nullptr) << "control " << id << " has no rows";
    QRect rect(QPoint(10, pArea->viewport()->height() - 3), QSize(1, 1));
    if (row == kBelowRows) {
    } else if (auto* pList = qobject_cast<QListWidget*>(pControl)) {
        pList->scrollToItem(pList->item(row));
        rect = pList->visualItemRect(pList->item(row));
    } else if (auto* pView = qobject_cast<QTreeWidget*>(pControl)) {
        pView->scrollToItem(pView->topLevelItem(row));
        rect = pView->visualItemRect(pView->topLevelItem(row));
    }
    if (click == EClick::Double)
        DoubleClick(pArea->viewport(), rect.center());
    else
        Click(pArea->viewport(), rect.center(),
              click == EClick::Right ? Qt::RightButton : Qt::LeftButton);
}

std::string ShownText(const CDialog& dialog, int id) {
    QWidget* pControl = AfxGetDlgItem(dialog, id);
    if (auto* pEdit = qobject_cast<QLineEdit*>(pControl))
        return AfxBytesFromText(pEdit->text());
    return AfxBytesFromText(LabelText(pControl));
}

std::u16string ShownCharacters(const CDialog& dialog, int id) {
    QWidget* pControl = AfxGetDlgItem(dialog, id);
    auto* pEdit = qobject_cast<QLineEdit*>(pControl);
    return (pEdit ? pEdit->text() : LabelText(pControl)).toStdU16String();
}

std::string ShownCell(const CDialog& dialog, int id, int row, int column) {
    QWidget* pControl = AfxGetDlgItem(dialog, id);
    if (auto* pList = qobject_cast<QListWidget*>(pControl))
        return pList->item(row) ? AfxBytesFromText(pList->item(row)->text()) : std::string();
    auto* pView = qobject_cast<QTreeWidget*>(pControl);
    QTreeWidgetItem* pItem = pView ? pView->topLevelItem(row) : nullptr;
    return pItem ? AfxBytesFromText(pItem->text(column)) : std::string();
}

bool IsShown(const CWnd& window) {
    QWidget* pWindow = AfxGetWidget(window);
    return pWindow && pWindow->isVisible();
}

bool IsCentredOver(const CWnd& window, const CWnd* pOwner) {
    QWidget* pWindow = AfxGetWidget(window);
    QScreen* pScreen = QGuiApplication::primaryScreen();
    if (!pWindow || (!pOwner && !pScreen))
        return false;
    const QRect area =
        pOwner ? AfxGetWidget(*pOwner)->frameGeometry() : pScreen->availableGeometry();
    const QRect frame = pWindow->frameGeometry();
    // A window without an owner is placed before its frame is known: it may
    // stand off by half of it.
    const QSize slack = pOwner ? QSize() : (frame.size() - pWindow->size()) / 2;
    const QPoint offset = frame.center() - area.center();
    return std::abs(offset.x()) <= 1 + slack.width() && std::abs(offset.y()) <= 1 + slack.height();
}

bool IsOwnedBy(const CWnd& window, const CWnd& owner) {
    QWidget* pWindow = AfxGetWidget(window);
    return pWindow && pWindow->parentWidget() == AfxGetWidget(owner);
}

bool TakesInput(const CWnd& window) {
    QWidget* pWindow = AfxGetWidget(window);
    QWidget* pModal = QApplication::activeModalWidget();
    return pWindow && pWindow->isEnabled() && (!pModal || pModal == pWindow);
}
