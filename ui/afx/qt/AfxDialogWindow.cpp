// SPDX-License-Identifier: MIT
// The window of one modal run: controls, layout, dialog keys, window menu,
// paint, the road of the controls' notifications, and the end of a window
// destroyed from outside.
#include "AfxDialogWindow.h"

#include "AfxControl.h"
#include "AfxDialogUnits.h"
#include "AfxIcon.h"
#include "AfxKeyEvents.h"
#include "AfxListBox.h"
#include "AfxListView.h"
#include "AfxSimpleControls.h"
#include "AfxText.h"
#include "AfxToolkit.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPixmap>
#include <QPointer>

#include <algorithm>

#include <xcb/xproto.h>

namespace {

// Minimize and Close, as a dialog's system menu offers them.
const char kMinimizeText[] = "Mi&nimize";
const char kCloseText[] = "&Close";

} // namespace

CDialogWindow::CDialogWindow(CDialog* pDialog, const SDialogTemplate& dialogTemplate,
                             QWidget* pOwner, const QFont& font)
    : QWidget(pOwner), m_pDialog(pDialog) {
    Qt::WindowFlags flags = (pOwner ? Qt::Dialog : Qt::Window) | Qt::CustomizeWindowHint |
                            Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (dialogTemplate.m_style & WS_SYSMENU)
        flags |= Qt::WindowSystemMenuHint;
    if (dialogTemplate.m_style & WS_MINIMIZEBOX)
        flags |= Qt::WindowMinimizeButtonHint;
    setWindowFlags(flags);
    setWindowModality(Qt::ApplicationModal);
    setFont(font);
    setWindowTitle(AfxTextFromBytes(dialogTemplate.m_title));

    if (dialogTemplate.m_style & WS_SYSMENU) {
        m_pSystemMenu = new QMenu(this);
        QAction* pMinimize = m_pSystemMenu->addAction(AfxTextFromBytes(kMinimizeText));
        pMinimize->setData(SC_MINIMIZE);
        pMinimize->setEnabled((dialogTemplate.m_style & WS_MINIMIZEBOX) != 0);
        QAction* pClose = m_pSystemMenu->addAction(AfxTextFromBytes(kCloseText));
        pClose->setData(SC_CLOSE);
    }

    QWidget* pPrevious = nullptr;
    for (int i = 0; i < dialogTemplate.m_itemCount && m_controlCount < kMaxControls; ++i) {
        const SDialogItem& item = dialogTemplate.m_pItems[i];
        QWidget* pControl = MakeControl(item);
        m_items[m_controlCount] = &item;
        m_controls[m_controlCount++] = pControl;
        if (item.m_style & WS_TABSTOP) {
            pControl->setFocusPolicy(Qt::StrongFocus);
            m_tabStops[m_tabStopCount++] = pControl;
            if (pPrevious)
                QWidget::setTabOrder(pPrevious, pControl);
            pPrevious = pControl;
        } else if (pControl->focusPolicy() != Qt::NoFocus) {
            pControl->setFocusPolicy(Qt::ClickFocus);
        }
    }

    int baseX = 0;
    AfxDialogBaseUnits(font, &baseX, &m_baseY);
    // The template was laid out for MS Sans Serif. Another font of the same
    // average letter width may still set a given text wider, and a label then
    // loses its last words. Widen the horizontal unit in quarter pixels until
    // every template text keeps within the lines its label has; with MS Sans
    // Serif nothing changes.
    const int windowsUnitX4 = 4 * baseX;
    m_unitX4 = windowsUnitX4;
    while (!TemplateTextsFit() && m_unitX4 < windowsUnitX4 * 3 / 2)
        ++m_unitX4;
    for (int i = 0; i < m_controlCount; ++i)
        PlaceControl(*m_items[i], m_controls[i]);
    setFixedSize(DialogToPixelsX(dialogTemplate.m_cx), DialogToPixelsY(dialogTemplate.m_cy));
}

int CDialogWindow::DialogToPixelsX(int units) const {
    return AfxMulDiv(units, m_unitX4, 16);
}

int CDialogWindow::DialogToPixelsY(int units) const {
    return AfxMulDiv(units, m_baseY, 8);
}

bool CDialogWindow::TemplateTextsFit() const {
    for (int i = 0; i < m_controlCount; ++i) {
        if (m_items[i]->m_kind != EControlKind::Static)
            continue;
        const auto* pLabel = static_cast<const QLabel*>(m_controls[i]);
        const int lineHeight = pLabel->fontMetrics().height();
        const int height = std::max(DialogToPixelsY(m_items[i]->m_cy), lineHeight);
        if (pLabel->heightForWidth(DialogToPixelsX(m_items[i]->m_cx)) > height)
            return false;
    }
    return true;
}

void CDialogWindow::PlaceControl(const SDialogItem& item, QWidget* pControl) {
    const int x = DialogToPixelsX(item.m_x);
    const int y = DialogToPixelsY(item.m_y);
    if (item.m_kind == EControlKind::Icon) {
        // An icon control takes the size of its icon, whatever the template says.
        pControl->setGeometry(x, y, GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    } else {
        pControl->setGeometry(x, y, DialogToPixelsX(item.m_cx), DialogToPixelsY(item.m_cy));
    }
}

CDialogWindow::~CDialogWindow() {
    m_live = false;
}

void CDialogWindow::RunModalLoop() {
    QEventLoop loop;
    m_pLoop = &loop;
    loop.exec(QEventLoop::DialogExec);
    m_pLoop = nullptr;
}

void CDialogWindow::ExitModalLoop(int result) {
    if (m_pLoop)
        m_pLoop->exit(result);
}

QWidget* CDialogWindow::MakeControl(const SDialogItem& item) {
    QWidget* pControl = nullptr;
    switch (item.m_kind) {
    case EControlKind::Static:
        pControl = new CStaticWidget(this, item);
        break;
    case EControlKind::Icon: {
        auto* pIcon = new CStaticWidget(this, item);
        if (CWinApp* pApp = AfxGetApp()) {
            if (HICON icon = pApp->LoadIcon(static_cast<UINT>(item.m_imageId)))
                pIcon->setPixmap(QPixmap::fromImage(AfxIconImage(icon)->m_big));
        }
        pControl = pIcon;
        break;
    }
    case EControlKind::PushButton:
        pControl = new CButtonWidget(this, item);
        break;
    case EControlKind::Edit:
        pControl = new CEditWidget(this, item);
        break;
    case EControlKind::ListBox:
        pControl = new CListBoxWidget(this, item);
        break;
    case EControlKind::ListView:
        pControl = new CListViewWidget(this, item);
        break;
    }
    return pControl;
}

QWidget* CDialogWindow::Control(int id) const {
    if (id == IDC_STATIC)
        return nullptr;
    for (int i = 0; i < m_controlCount; ++i) {
        if (auto* pControl = dynamic_cast<IAfxControl*>(m_controls[i])) {
            if (pControl->ControlId() == id)
                return m_controls[i];
        }
    }
    return nullptr;
}

void CDialog::GetDlgItem(int id, HWND* phWnd) const {
    *phWnd = m_pWindow ? AfxHandleFromWidget(m_pWindow->Control(id)) : nullptr;
}

QWidget* CDialogWindow::FirstTabStop() const {
    for (int i = 0; i < m_tabStopCount; ++i) {
        if (m_tabStops[i]->isEnabled())
            return m_tabStops[i];
    }
    return nullptr;
}

void CDialogWindow::TrackSystemMenu(const QPoint& globalPos) {
    if (!m_pSystemMenu)
        return;
    QAction* pChosen = m_pSystemMenu->exec(globalPos);
    if (pChosen && m_live)
        m_pDialog->SendMessage(WM_SYSCOMMAND, pChosen->data().toUInt(), 0);
}

bool CDialogWindow::event(QEvent* event) {
    // Tab moves along the tab stops also with Ctrl held, as in a Windows dialog.
    if (event->type() == QEvent::KeyPress) {
        auto* pKey = static_cast<QKeyEvent*>(event);
        if ((pKey->key() == Qt::Key_Tab || pKey->key() == Qt::Key_Backtab) &&
            !(pKey->modifiers() & Qt::AltModifier)) {
            const bool back =
                pKey->key() == Qt::Key_Backtab || (pKey->modifiers() & Qt::ShiftModifier);
            focusNextPrevChild(!back);
            return true;
        }
    }
    return QWidget::event(event);
}

void CDialogWindow::keyPressEvent(QKeyEvent* event) {
    if (!m_live)
        return;
    const int key = event->key();
    const Qt::KeyboardModifiers modifiers = event->modifiers();
    QWidget* pFocus = QApplication::focusWidget();
    const bool toWindowItself = pFocus == nullptr || pFocus == this;

    if (key == Qt::Key_Escape) {
        m_pDialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // The focused push button, else the default one, else plain OK.
        int id = IDOK;
        if (auto* pButton = dynamic_cast<CButtonWidget*>(pFocus);
            pButton && isAncestorOf(pButton)) {
            id = pButton->ControlId();
        } else {
            for (int i = 0; i < m_controlCount; ++i) {
                auto* pDefault = dynamic_cast<CButtonWidget*>(m_controls[i]);
                if (pDefault && pDefault->IsDefaultButton()) {
                    if (!pDefault->isEnabled())
                        return;
                    id = pDefault->ControlId();
                    break;
                }
            }
        }
        m_pDialog->SendMessage(WM_COMMAND, static_cast<WPARAM>(id) & 0xFFFF, 0);
        return;
    }
    if (modifiers & Qt::AltModifier) {
        if (key == Qt::Key_F4)
            m_pDialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
        else if (key == Qt::Key_Space)
            TrackSystemMenu(mapToGlobal(QPoint(0, 0)));
        return;
    }
    if (key == Qt::Key_Alt || key == Qt::Key_F10)
        return;
    if (toWindowItself) {
        // Keys addressed to the window itself; a key a control passed up is not one.
        const LPARAM lParam =
            (static_cast<LPARAM>(AfxKeyFlags(*event)) << 16) |
            (static_cast<LPARAM>(event->count() > 0 ? event->count() : 1) & 0xFFFF);
        m_pDialog->SendMessage(WM_KEYDOWN, AfxVirtualKey(*event), lParam);
        return;
    }
    if (key == Qt::Key_F1) {
        const auto* pControl = dynamic_cast<const IAfxControl*>(pFocus);
        m_pDialog->OnHelpKey(pControl && isAncestorOf(pFocus) ? pControl->ControlId() : 0);
    }
}

void CDialogWindow::closeEvent(QCloseEvent* event) {
    // The close box is a system command; the dialog ends through its Cancel.
    event->ignore();
    if (m_live)
        m_pDialog->SendMessage(WM_SYSCOMMAND, SC_CLOSE, 0);
}

void CDialogWindow::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_live)
        return;
    m_painting = true;
    m_pDialog->SendMessage(WM_PAINT, 0, 0);
    m_painting = false;
}

void CDialogWindow::mousePressEvent(QMouseEvent* event) {
    // No system menu on Linux: a right-click on a free spot of the window opens
    // the window menu that stands in for it.
    if (event->button() == Qt::RightButton && m_pSystemMenu) {
        event->accept();
        TrackSystemMenu(event->globalPosition().toPoint());
        return;
    }
    QWidget::mousePressEvent(event);
}

// The road of a control's notifications and commands to its dialog.
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

// Dialog windows destroyed from outside. Another X client may destroy a
// window of ours (`xdotool windowclose`, or any client that calls
// XDestroyWindow on it): Qt's X11 platform takes no notice, and a program whose
// window is gone would run on unseen, its changes never saved. The window's
// DestroyNotify still reaches the native event filters; its dialog then ends as
// with Cancel, and the drum pad window's Cancel ends the program, saving.
namespace {

class CDestroyedWindowWatcher : public QObject, public QAbstractNativeEventFilter {
public:
    explicit CDestroyedWindowWatcher(QObject* pParent) : QObject(pParent) {}
    ~CDestroyedWindowWatcher() override;
    bool nativeEventFilter(const QByteArray& eventType, void* pMessage, qintptr*) override;
};

CDestroyedWindowWatcher* s_pWatcher = nullptr;

CDestroyedWindowWatcher::~CDestroyedWindowWatcher() {
    s_pWatcher = nullptr;
}

bool CDestroyedWindowWatcher::nativeEventFilter(const QByteArray& eventType, void* pMessage,
                                                qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* pEvent = static_cast<const xcb_generic_event_t*>(pMessage);
    // The top bit marks an event another client sent; a destruction is real
    // only when the server reports it.
    if (pEvent->response_type != XCB_DESTROY_NOTIFY)
        return false;
    const auto* pDestroy = reinterpret_cast<const xcb_destroy_notify_event_t*>(pEvent);
    const QWidgetList windows = QApplication::topLevelWidgets();
    for (QWidget* pWidget : windows) {
        auto* pWindow = dynamic_cast<CDialogWindow*>(pWidget);
        // A window the dialog is done with goes by Qt's own hand.
        if (!pWindow || !pWindow->IsLive() || pWindow->internalWinId() != pDestroy->window)
            continue;
        // The dialog's handlers run from the event loop, not from inside the
        // platform's event handling.
        QPointer<CDialogWindow> pGone(pWindow);
        QMetaObject::invokeMethod(
            this,
            [pGone] {
                if (pGone && pGone->IsLive())
                    pGone->CancelAsGone();
            },
            Qt::QueuedConnection);
    }
    // Qt sees the event too.
    return false;
}

} // namespace

int AfxWatchDestroyedWindows() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp)
        return 0;
    if (s_pWatcher && s_pWatcher->parent() == pApp)
        return 1;
    // A child of the application object: removed from the event filters and
    // deleted exactly once, with it.
    s_pWatcher = new CDestroyedWindowWatcher(pApp);
    pApp->installNativeEventFilter(s_pWatcher);
    return 1;
}
