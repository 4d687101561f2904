// SPDX-License-Identifier: MIT
// The list box widget and the list box object that drives it.
#include "AfxListBox.h"

#include "AfxDialogWindow.h"
#include "AfxKeyEvents.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>

CListBoxWidget::CListBoxWidget(CDialogWindow* pWindow, const SDialogItem& item)
    : QListWidget(pWindow), IAfxControl(pWindow, item) {
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy((item.m_style & WS_VSCROLL) ? Qt::ScrollBarAsNeeded
                                                           : Qt::ScrollBarAlwaysOff);
    if (!(item.m_style & WS_BORDER))
        setFrameShape(QFrame::NoFrame);
    // Changes the program makes run with the widget's signals blocked, so this
    // reports the user's changes only.
    QObject::connect(this, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_style & LBS_NOTIFY)
            Command(LBN_SELCHANGE);
    });
}

QItemSelectionModel::SelectionFlags CListBoxWidget::selectionCommand(const QModelIndex& index,
                                                                     const QEvent* event) const {
    // A single-selection list box of Windows has always one entry selected once
    // the user chose one: a click on no entry, Ctrl+click or Ctrl+Space never
    // clear it, and the right button selects nothing.
    if (!index.isValid())
        return QItemSelectionModel::NoUpdate;
    if (event &&
        (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease ||
         event->type() == QEvent::MouseMove)) {
        const auto* mouse = static_cast<const QMouseEvent*>(event);
        if (!(mouse->buttons() & Qt::LeftButton) && mouse->button() != Qt::LeftButton)
            return QItemSelectionModel::NoUpdate;
    }
    return QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows;
}

void CListBoxWidget::keyPressEvent(QKeyEvent* event) {
    if (AfxIsDialogKey(*event) || event->key() == Qt::Key_F1) {
        // Enter is the dialog's OK, never a double-click of the entry.
        event->ignore();
        return;
    }
    QListWidget::keyPressEvent(event);
}

void CListBoxWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    QListWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton)
        m_doubleClicked = true;
}

void CListBoxWidget::mouseReleaseEvent(QMouseEvent* event) {
    QListWidget::mouseReleaseEvent(event);
    // Reported once the button is up, so that a dialog the handler opens does
    // not leave the list believing the button is still held.
    if (m_doubleClicked && event->button() == Qt::LeftButton) {
        m_doubleClicked = false;
        if (m_style & LBS_NOTIFY)
            Command(LBN_DBLCLK);
    }
}

namespace {

// The widget behind a list box object; null outside a modal run.
QListWidget* ListOf(const CListBox& listBox) {
    return dynamic_cast<QListWidget*>(AfxGetWidget(listBox));
}

} // namespace

int CListBox::GetCount() const {
    QListWidget* pList = ListOf(*this);
    return pList ? pList->count() : 0;
}

int CListBox::InsertString(int index, const std::string& text) {
    QListWidget* pList = ListOf(*this);
    if (!pList || index < -1 || index > pList->count())
        return LB_ERR;
    if (index == -1)
        index = pList->count();
    const QSignalBlocker blocker(pList);
    m_wholeTexts.InsertRow(index);
    pList->insertItem(index, AfxTextFromBytes(m_wholeTexts.Show(index, 0, text)));
    return index;
}

int CListBox::DeleteString(int index) {
    QListWidget* pList = ListOf(*this);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    const QSignalBlocker blocker(pList);
    const bool wasSelected = pList->item(index)->isSelected();
    delete pList->takeItem(index);
    m_wholeTexts.DeleteRow(index);
    // Windows leaves no entry selected after the selected one is deleted; Qt
    // may have moved the selection to a neighbour.
    if (wasSelected)
        pList->clearSelection();
    return pList->count();
}

void CListBox::ResetContent() {
    if (QListWidget* pList = ListOf(*this)) {
        const QSignalBlocker blocker(pList);
        pList->clear();
    }
    m_wholeTexts.Clear();
}

int CListBox::GetText(int index, std::string& text) const {
    QListWidget* pList = ListOf(*this);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    // An entry shown cut reads back whole: the program stores what it reads.
    if (const std::string* pWhole = m_wholeTexts.Whole(index, 0))
        text = *pWhole;
    else
        text = AfxBytesFromText(pList->item(index)->text());
    return static_cast<int>(text.size());
}

int CListBox::GetCurSel() const {
    QListWidget* pList = ListOf(*this);
    if (!pList)
        return LB_ERR;
    for (int i = 0; i < pList->count(); ++i) {
        if (pList->item(i)->isSelected())
            return i;
    }
    return LB_ERR;
}

int CListBox::SetCurSel(int index) {
    QListWidget* pList = ListOf(*this);
    if (!pList)
        return LB_ERR;
    const QSignalBlocker blocker(pList);
    if (index < 0 || index >= pList->count()) {
        pList->clearSelection();
        return LB_ERR;
    }
    pList->setCurrentRow(index, QItemSelectionModel::ClearAndSelect);
    pList->scrollToItem(pList->item(index), QAbstractItemView::EnsureVisible);
    return index;
}

int CListBox::GetCaretIndex() const {
    QListWidget* pList = ListOf(*this);
    return pList ? pList->currentRow() : LB_ERR;
}

int CListBox::SetCaretIndex(int index, BOOL scroll) {
    QListWidget* pList = ListOf(*this);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    const QSignalBlocker blocker(pList);
    pList->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    if (scroll)
        pList->scrollToItem(pList->item(index), QAbstractItemView::EnsureVisible);
    return 0;
}
