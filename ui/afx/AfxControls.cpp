// SPDX-License-Identifier: MIT
// The control widgets and the control classes that drive them.
#include "AfxText.h"
#include "AfxWidgets.h"

#include <QFocusEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QSignalBlocker>
#include <QValidator>

// ---------------------------------------------------------------------------
// Keys.

uint16_t AfxKeyFlags(const QKeyEvent& event) {
    uint16_t flags = 0;
    const quint32 native = event.nativeScanCode();
#ifdef Q_OS_WIN
    // Qt hands on bits 16 to 24 of the message's lParam: the scan code and the
    // extended flag.
    flags = static_cast<uint16_t>(native & (0xFF | KF_EXTENDED));
#else
    // X11 and Wayland report the kernel's key code plus 8; synthetic events
    // carry 0 and have no key code at all.
    if (native >= 8)
        flags = AfxScanFlagsFromKernelKeyCode(native - 8);
#endif
    if (event.isAutoRepeat())
        flags |= KF_REPEAT;
    if (event.modifiers() & Qt::AltModifier)
        flags |= KF_ALTDOWN;
    return flags;
}

UINT AfxVirtualKey(const QKeyEvent& event) {
    const int key = event.key();
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9))
        return static_cast<UINT>(key);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24)
        return VK_F1 + static_cast<UINT>(key - Qt::Key_F1);
    switch (key) {
    case Qt::Key_Backspace:
        return VK_BACK;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return 0x21;
    case Qt::Key_PageDown:
        return 0x22;
    case Qt::Key_End:
        return 0x23;
    case Qt::Key_Home:
        return 0x24;
    case Qt::Key_Left:
        return 0x25;
    case Qt::Key_Up:
        return 0x26;
    case Qt::Key_Right:
        return 0x27;
    case Qt::Key_Down:
        return 0x28;
    case Qt::Key_Print:
        return 0x2C;
    case Qt::Key_Insert:
        return 0x2D;
    case Qt::Key_Delete:
        return VK_DELETE;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
        return 0x12;
    case Qt::Key_Pause:
        return 0x13;
    case Qt::Key_CapsLock:
        return 0x14;
    case Qt::Key_Meta:
        return 0x5B;
    case Qt::Key_Menu:
        return 0x5D;
    case Qt::Key_NumLock:
        return 0x90;
    case Qt::Key_ScrollLock:
        return 0x91;
    default:
        return 0;
    }
}

bool AfxIsDialogKey(const QKeyEvent& event) {
    switch (event.key()) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
    case Qt::Key_Alt:
    case Qt::Key_F10:
        return true;
    default:
        return (event.modifiers() & Qt::AltModifier) != 0;
    }
}

// ---------------------------------------------------------------------------
// IAfxControl

LRESULT IAfxControl::Notify(NMHDR* pHeader) {
    if (!m_pWindow->IsLive())
        return 0;
    pHeader->hwndFrom = nullptr;
    pHeader->idFrom = static_cast<UINT_PTR>(m_id);
    return m_pWindow->Dialog()->SendMessage(WM_NOTIFY, static_cast<WPARAM>(m_id),
                                            reinterpret_cast<LPARAM>(pHeader));
}

void IAfxControl::Command(UINT code) {
    if (!m_pWindow->IsLive())
        return;
    const WPARAM wParam = (static_cast<WPARAM>(code & 0xFFFF) << 16) | (m_id & 0xFFFF);
    m_pWindow->Dialog()->SendMessage(WM_COMMAND, wParam, 0);
}

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
    setText(AfxTextFromBytes(m_bytes));
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
    setText(AfxTextFromBytes(text));
}

std::string CEditWidget::TextBytes() const {
    return AfxBytesFromText(text());
}

void CEdit::SetSel(int start, int end) {
    if (auto* pEdit = dynamic_cast<QLineEdit*>(m_pWidget)) {
        if (start == 0 && end == -1)
            pEdit->selectAll();
        else if (start < 0)
            pEdit->deselect();
        else
            pEdit->setSelection(start, end - start);
    }
}

// ---------------------------------------------------------------------------
// List box

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

int CListBox::GetCount() const {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    return pList ? pList->count() : 0;
}

int CListBox::InsertString(int index, const std::string& text) {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    if (!pList || index < -1 || index > pList->count())
        return LB_ERR;
    if (index == -1)
        index = pList->count();
    const QSignalBlocker blocker(pList);
    pList->insertItem(index, AfxTextFromBytes(text));
    return index;
}

int CListBox::DeleteString(int index) {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    const QSignalBlocker blocker(pList);
    const bool wasSelected = pList->item(index)->isSelected();
    delete pList->takeItem(index);
    // Windows leaves no entry selected after the selected one is deleted; Qt
    // may have moved the selection to a neighbour.
    if (wasSelected)
        pList->clearSelection();
    return pList->count();
}

void CListBox::ResetContent() {
    if (auto* pList = dynamic_cast<QListWidget*>(m_pWidget)) {
        const QSignalBlocker blocker(pList);
        pList->clear();
    }
}

int CListBox::GetText(int index, std::string& text) const {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    text = AfxBytesFromText(pList->item(index)->text());
    return static_cast<int>(text.size());
}

int CListBox::GetCurSel() const {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    if (!pList)
        return LB_ERR;
    for (int i = 0; i < pList->count(); ++i) {
        if (pList->item(i)->isSelected())
            return i;
    }
    return LB_ERR;
}

int CListBox::SetCurSel(int index) {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
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
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    return pList ? pList->currentRow() : LB_ERR;
}

int CListBox::SetCaretIndex(int index, BOOL scroll) {
    auto* pList = dynamic_cast<QListWidget*>(m_pWidget);
    if (!pList || index < 0 || index >= pList->count())
        return LB_ERR;
    const QSignalBlocker blocker(pList);
    pList->setCurrentRow(index, QItemSelectionModel::NoUpdate);
    if (scroll)
        pList->scrollToItem(pList->item(index), QAbstractItemView::EnsureVisible);
    return 0;
}

// ---------------------------------------------------------------------------
// List view

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
    activate.ptAction = CPoint{pos.x(), pos.y()};
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

int CListCtrl::InsertColumn(int column, const std::string& heading, int /*format*/, int width) {
    auto* pView = dynamic_cast<CListViewWidget*>(m_pWidget);
    return pView ? pView->AddColumn(column, AfxTextFromBytes(heading), width) : -1;
}

int CListCtrl::DeleteAllItems() {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
    if (!pView)
        return FALSE;
    pView->clear();
    return TRUE;
}

int CListCtrl::InsertItem(int item, const std::string& text) {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
    if (!pView || item < 0)
        return -1;
    if (item > pView->topLevelItemCount())
        item = pView->topLevelItemCount();
    auto* pItem = new QTreeWidgetItem();
    pItem->setText(0, AfxTextFromBytes(text));
    pView->insertTopLevelItem(item, pItem);
    return item;
}

int CListCtrl::SetItemText(int item, int subItem, const std::string& text) {
    auto* pView = dynamic_cast<CListViewWidget*>(m_pWidget);
    if (!pView || item < 0 || item >= pView->topLevelItemCount() || subItem < 0 ||
        (subItem > 0 && subItem >= pView->ColumnCount()))
        return FALSE;
    pView->topLevelItem(item)->setText(subItem, AfxTextFromBytes(text));
    return TRUE;
}

std::string CListCtrl::GetItemText(int item, int subItem) const {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
    if (!pView || item < 0 || item >= pView->topLevelItemCount() || subItem < 0)
        return std::string();
    return AfxBytesFromText(pView->topLevelItem(item)->text(subItem));
}

int CListCtrl::GetItemCount() const {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
    return pView ? pView->topLevelItemCount() : 0;
}

int CListCtrl::GetNextItem(int start, UINT flags) const {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
    if (!pView)
        return -1;
    for (int i = start < 0 ? 0 : start + 1; i < pView->topLevelItemCount(); ++i) {
        if (!(flags & LVNI_SELECTED) || pView->topLevelItem(i)->isSelected())
            return i;
    }
    return -1;
}

BOOL CListCtrl::SetItemState(int item, UINT state, UINT mask) {
    auto* pView = dynamic_cast<QTreeWidget*>(m_pWidget);
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
