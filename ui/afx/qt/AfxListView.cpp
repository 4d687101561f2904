// SPDX-License-Identifier: MIT
// The list view widget and the list view object that drives it.
#include "AfxListView.h"

#include "AfxDialogWindow.h"
#include "AfxKeyEvents.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>

CListViewWidget::CListViewWidget(CDialogWindow* pWindow, const SDialogItem& item)
    : QTreeWidget(pWindow), IAfxControl(pWindow, item) {
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setSortingEnabled(false);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    setAllColumnsShowFocus(true);
    setSelectionMode((item.m_style & LVS_SINGLESEL) ? QAbstractItemView::SingleSelection
                                                    : QAbstractItemView::ExtendedSelection);
    setColumnCount(1);
    headerItem()->setText(0, QString());
    header()->setStretchLastSection(false);
    header()->setSectionsClickable(false);
    header()->setSectionsMovable(false);
    if (!IsReportView()) {
        header()->hide();
        header()->setStretchLastSection(true);
        // Drum box and key box take keys as raw key strokes: no input method,
        // so that dead keys arrive as key presses of their own.
        setAttribute(Qt::WA_InputMethodEnabled, false);
        // They never hold more than one item: nothing to scroll to.
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
    if (item.m_exStyle & WS_EX_DLGMODALFRAME) {
        // Client edge inside a dialog frame: the sunken box of Windows.
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else if (!(item.m_style & WS_BORDER) && !(item.m_exStyle & WS_EX_CLIENTEDGE)) {
        setFrameShape(QFrame::NoFrame);
    }
}

int CListViewWidget::AddColumn(int column, const QString& heading, int width) {
    // Columns are only ever added after the last one.
    if (column < 0)
        return -1;
    column = m_columns;
    ++m_columns;
    if (m_columns > 1)
        setColumnCount(m_columns);
    headerItem()->setText(column, heading);
    if (width >= 0)
        setColumnWidth(column, width);
    return column;
}

void CListViewWidget::keyPressEvent(QKeyEvent* event) {
    if (AfxIsDialogKey(*event)) {
        event->ignore();
        return;
    }
    NMLVKEYDOWN keyDown = {};
    keyDown.hdr.code = LVN_KEYDOWN;
    keyDown.wVKey = static_cast<WORD>(AfxVirtualKey(*event));
    keyDown.flags = AfxKeyFlags(*event);
    Notify(&keyDown.hdr);
    if (!IsReportView()) {
        // Every key is the user's: none moves anything, F1 included.
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CListViewWidget::focusInEvent(QFocusEvent* event) {
    QTreeWidget::focusInEvent(event);
    // A popup menu borrows the focus without the control losing it on Windows.
    if (event->reason() == Qt::PopupFocusReason)
        return;
    NMHDR header = {};
    header.code = NM_SETFOCUS;
    Notify(&header);
}

void CListViewWidget::focusOutEvent(QFocusEvent* event) {
    QTreeWidget::focusOutEvent(event);
    if (event->reason() == Qt::PopupFocusReason)
        return;
    NMHDR header = {};
    header.code = NM_KILLFOCUS;
    Notify(&header);
}

void CListViewWidget::NotifyClick(UINT code, const QPoint& pos) {
    NMITEMACTIVATE activate = {};
    activate.hdr.code = code;
    const QModelIndex index = indexAt(pos);
    activate.iItem = index.isValid() ? index.row() : -1;
    activate.iSubItem = index.isValid() ? index.column() : 0;
    activate.ptAction = POINT{pos.x(), pos.y()};
    Notify(&activate.hdr);
}

void CListViewWidget::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::RightButton) {
        QTreeWidget::mousePressEvent(event);
        return;
    }
    // The row under the mouse is selected, or the selection cleared on no row,
    // before the click is reported.
    if (focusPolicy() != Qt::NoFocus)
        setFocus(Qt::MouseFocusReason);
    const QPoint pos = event->position().toPoint();
    const QModelIndex index = indexAt(pos);
    if (index.isValid())
        setCurrentIndex(index);
    else
        clearSelection();
    event->accept();
    NotifyClick(NM_RCLICK, pos);
}

void CListViewWidget::mouseDoubleClickEvent(QMouseEvent* event) {
    // Qt's doubleClicked stays silent on empty space; Windows reports a double
    // click wherever it lands.
    QTreeWidget::mouseDoubleClickEvent(event);
    if (event->button() == Qt::LeftButton) {
        m_doubleClicked = true;
        m_doubleClickPos = event->position().toPoint();
    }
}

void CListViewWidget::mouseReleaseEvent(QMouseEvent* event) {
    QTreeWidget::mouseReleaseEvent(event);
    if (m_doubleClicked && event->button() == Qt::LeftButton) {
        m_doubleClicked = false;
        NotifyClick(NM_DBLCLK, m_doubleClickPos);
    }
}

namespace {

// The widget behind a list view object; null outside a modal run.
CListViewWidget* ViewOf(const CListCtrl& list) {
    return dynamic_cast<CListViewWidget*>(AfxGetWidget(list));
}

} // namespace

int CListCtrl::InsertColumn(int column, const std::string& heading, int /*format*/, int width) {
    CListViewWidget* pView = ViewOf(*this);
    return pView ? pView->AddColumn(column, AfxTextFromBytes(heading), width) : -1;
}

int CListCtrl::DeleteAllItems() {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView)
        return FALSE;
    pView->clear();
    m_wholeTexts.Clear();
    return TRUE;
}

int CListCtrl::InsertItem(int item, const std::string& text) {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView || item < 0)
        return -1;
    if (item > pView->topLevelItemCount())
        item = pView->topLevelItemCount();
    m_wholeTexts.InsertRow(item);
    auto* pItem = new QTreeWidgetItem();
    pItem->setText(0, AfxTextFromBytes(m_wholeTexts.Show(item, 0, text)));
    pView->insertTopLevelItem(item, pItem);
    return item;
}

int CListCtrl::SetItemText(int item, int subItem, const std::string& text) {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView || item < 0 || item >= pView->topLevelItemCount() || subItem < 0 ||
        (subItem > 0 && subItem >= pView->ColumnCount()))
        return FALSE;
    pView->topLevelItem(item)->setText(subItem,
                                       AfxTextFromBytes(m_wholeTexts.Show(item, subItem, text)));
    return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView || item < 0 || item >= pView->topLevelItemCount() || subItem < 0)
        return std::string();
    // An item shown cut reads back whole.
    if (const std::string* pWhole = m_wholeTexts.Whole(item, subItem))
        return *pWhole;
    return AfxBytesFromText(pView->topLevelItem(item)->text(subItem));
}

int CListCtrl::GetItemCount() const {
    CListViewWidget* pView = ViewOf(*this);
    return pView ? pView->topLevelItemCount() : 0;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView)
        return -1;
    for (int i = start < 0 ? 0 : start + 1; i < pView->topLevelItemCount(); ++i) {
        if (!(flags & LVNI_SELECTED) || pView->topLevelItem(i)->isSelected())
            return i;
    }
    return -1;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    CListViewWidget* pView = ViewOf(*this);
    if (!pView || item < 0 || item >= pView->topLevelItemCount())
        return FALSE;
    if (mask & LVIS_SELECTED) {
        QTreeWidgetItem* pItem = pView->topLevelItem(item);
        if (state & LVIS_SELECTED)
            pView->setCurrentItem(pItem);
        else
            pItem->setSelected(false);
    }
    return TRUE;
}
