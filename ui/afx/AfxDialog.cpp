// SPDX-License-Identifier: MIT
// Modal dialogs from templates: the window, its keys, the window menu, and
// the data exchange.
#include "AfxText.h"
#include "AfxWidgets.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// The dialogs in a modal run, the one beneath first. Runs nest; this deep is
// far beyond anything the program opens.
constexpr int kMaxModalDepth = 16;
CDialog* s_modalStack[kMaxModalDepth] = {};
int s_modalDepth = 0;
// Set once the program is being ended from outside: no new dialog opens.
bool s_endingAll = false;

// Minimize and Close, as a dialog's system menu offers them.
const char kMinimizeText[] = "Mi&nimize";
const char kCloseText[] = "&Close";

} // namespace

// ---------------------------------------------------------------------------
// Font and dialog units

QFont AfxDialogFont(const SDialogTemplate& dialogTemplate) {
    const QString family = AfxTextFromBytes(dialogTemplate.m_fontName);
    QFont font;
    if (QFontDatabase::families().contains(family, Qt::CaseInsensitive))
        font = QFont(family);
    else
        font = QFontDatabase::systemFont(QFontDatabase::GeneralFont);
    font.setPointSize(dialogTemplate.m_pointSize);
    return font;
}

void AfxDialogBaseUnits(const QFont& font, int* pBaseX, int* pBaseY) {
    // Windows: the average width of the 52 letters, rounded, and the height of
    // the font; a dialog unit is a quarter of the one and an eighth of the other.
    const QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    *pBaseX = (width / 26 + 1) / 2;
    *pBaseY = metrics.height();
}

int AfxMulDiv(int value, int numerator, int denominator) {
    if (denominator == 0)
        return -1;
    const long long product = static_cast<long long>(value) * numerator;
    const long long half = (denominator > 0 ? denominator : -denominator) / 2;
    const long long rounded = product >= 0 ? product + half : product - half;
    return static_cast<int>(rounded / denominator);
}

// ---------------------------------------------------------------------------
// CDialogWindow

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
                pIcon->setPixmap(QPixmap::fromImage(icon->m_big));
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

void CDialogWindow::ShowHelp() {
    if (!m_pDialog->OnCmdMsg(ID_HELP, 0)) {
        if (CWinApp* pApp = AfxGetApp())
            pApp->OnCmdMsg(ID_HELP, 0);
    }
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
    if (key == Qt::Key_F1)
        ShowHelp();
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

// ---------------------------------------------------------------------------
// CDialog

CDialog::CDialog(UINT templateId, CWnd* pParent)
    : m_pTemplate(FindDialogTemplate(static_cast<int>(templateId))), m_pParentWnd(pParent) {}

CDialog::CDialog(const SDialogTemplate* pTemplate, CWnd* pParent)
    : m_pTemplate(pTemplate), m_pParentWnd(pParent) {}

CDialog::~CDialog() {
    DestroyWindow();
}

BEGIN_MESSAGE_MAP(CDialog, CWnd)
ON_COMMAND(IDOK, OnOK)
ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

CDialog* CDialog::GetActiveModal() {
    return s_modalDepth > 0 ? s_modalStack[s_modalDepth - 1] : nullptr;
}

void CDialog::CancelAllModal() {
    s_endingAll = true;
    // A menu or other popup runs a loop of its own that must end first.
    while (QWidget* pPopup = QApplication::activePopupWidget()) {
        if (!pPopup->close())
            break;
    }
    for (int i = s_modalDepth - 1; i >= 0; --i) {
        CDialog* pDialog = s_modalStack[i];
        if (pDialog->m_pWindow && !pDialog->m_ended)
            pDialog->SendMessage(WM_COMMAND, IDCANCEL, 0);
    }
}

INT_PTR CDialog::DoModal() {
    if (!m_pTemplate || m_pWindow || s_endingAll || s_modalDepth >= kMaxModalDepth ||
        !qobject_cast<QApplication*>(QCoreApplication::instance()))
        return -1;

    // Owned by the window open beneath it; centred over that, or in the work
    // area of the screen when there is none.
    m_pBelow = m_pParentWnd ? dynamic_cast<CDialog*>(m_pParentWnd) : GetActiveModal();
    QWidget* pOwner = (m_pBelow && m_pBelow->m_pWindow) ? m_pBelow->m_pWindow.get() : nullptr;
    m_pWindow =
        std::make_unique<CDialogWindow>(this, *m_pTemplate, pOwner, AfxDialogFont(*m_pTemplate));
    m_pWidget = m_pWindow.get();
    m_sysMenu.Attach(m_pWindow->SystemMenu());
    m_result = -1;
    m_ended = FALSE;
    s_modalStack[s_modalDepth++] = this;

    const BOOL focusFirst = OnInitDialog();
    if (!m_ended) {
        QRect area;
        if (pOwner) {
            area = pOwner->frameGeometry();
        } else if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
            area = pScreen->availableGeometry();
        }
        // The frame is not known before the first show; the owner's is the best guess.
        const QSize frameExtra = pOwner ? pOwner->frameGeometry().size() - pOwner->size() : QSize();
        QRect frame(QPoint(0, 0), m_pWindow->size() + frameExtra);
        frame.moveCenter(area.center());
        if (QScreen* pScreen = QGuiApplication::primaryScreen()) {
            const QRect screen = pScreen->availableGeometry();
            frame.moveLeft(
                std::max(screen.left(), std::min(frame.left(), screen.right() - frame.width())));
            frame.moveTop(
                std::max(screen.top(), std::min(frame.top(), screen.bottom() - frame.height())));
        }
        m_pWindow->move(frame.topLeft());
        // Visible only now that the initialisation has returned.
        m_pWindow->show();
        m_pWindow->activateWindow();
        if (focusFirst) {
            if (QWidget* pFirst = m_pWindow->FirstTabStop())
                pFirst->setFocus(Qt::TabFocusReason);
        }
    }
    if (!m_ended) {
        QEventLoop loop;
        m_pLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
        m_pLoop = nullptr;
    }
    --s_modalDepth;
    if (s_modalDepth == 0)
        s_endingAll = false;
    DestroyWindow();
    // As on Windows, the owner takes the activation back from its ended dialog.
    if (pOwner && pOwner->isVisible())
        pOwner->activateWindow();
    return m_result;
}

void CDialog::EndDialog(int result) {
    m_result = result;
    m_ended = TRUE;
    if (m_pLoop)
        m_pLoop->exit(result);
}

void CDialog::DestroyWindow() {
    if (!m_pWindow)
        return;
    // Focus leaving the controls while the window goes must not reach handlers.
    m_pWindow->Retire();
    for (int i = 0; i < m_boundCount; ++i)
        m_bound[i]->Detach();
    m_boundCount = 0;
    m_sysMenu.Attach(nullptr);
    m_pWindow->hide();
    m_pWindow.reset();
    m_pWidget = nullptr;
}

BOOL CDialog::OnInitDialog() {
    UpdateData(FALSE);
    return TRUE;
}

void CDialog::OnOK() {
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
    if (!m_pWindow)
        return FALSE;
    CDataExchange exchange(this, saveAndValidate);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::MapDialogRect(CRect* pRect) const {
    if (!m_pWindow)
        return;
    pRect->left = m_pWindow->DialogToPixelsX(pRect->left);
    pRect->right = m_pWindow->DialogToPixelsX(pRect->right);
    pRect->top = m_pWindow->DialogToPixelsY(pRect->top);
    pRect->bottom = m_pWindow->DialogToPixelsY(pRect->bottom);
}

CMenu* CDialog::GetSystemMenu(BOOL /*revert*/) {
    return m_sysMenu.GetQMenu() ? &m_sysMenu : nullptr;
}

QWidget* CDialog::GetDlgItem(int id) const {
    return m_pWindow ? m_pWindow->Control(id) : nullptr;
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // A dialog's close is its Cancel.
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}

// ---------------------------------------------------------------------------
// Data exchange

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    CDialog* pDialog = pDX->m_pDlgWnd;
    QWidget* pWidget = pDialog->GetDlgItem(id);
    if (!pWidget || control.GetWidget() == pWidget)
        return;
    if (pDialog->m_boundCount >= CDialog::kMaxBound)
        return;
    control.Attach(pWidget, id);
    pDialog->m_bound[pDialog->m_boundCount++] = &control;
}

void DDX_Text(CDataExchange* pDX, int id, std::string& value) {
    auto* pControl = dynamic_cast<IAfxControl*>(pDX->m_pDlgWnd->GetDlgItem(id));
    if (!pControl)
        return;
    if (pDX->m_bSaveAndValidate)
        value = pControl->TextBytes();
    else
        pControl->SetTextBytes(value);
}

// ---------------------------------------------------------------------------
// Painting

CPaintDC::CPaintDC(CWnd* pWnd) {
    auto* pWindow = dynamic_cast<CDialogWindow*>(pWnd ? pWnd->GetWidget() : nullptr);
    if (!pWindow || !pWindow->IsPainting())
        return;
    m_pWidget = pWindow;
    m_painter = std::make_unique<QPainter>(pWindow);
    m_pPainter = m_painter.get();
}

CPaintDC::~CPaintDC() {
    if (m_painter)
        m_painter->end();
}

BOOL CDC::DrawIcon(int x, int y, HICON icon) {
    if (!m_pPainter || !icon)
        return FALSE;
    m_pPainter->drawImage(QPoint(x, y), icon->m_big);
    return TRUE;
}

void CDC::FillWindowBackground(const CRect& rect) {
    if (!m_pPainter || !m_pWidget)
        return;
    m_pPainter->fillRect(QRect(rect.left, rect.top, rect.Width(), rect.Height()),
                         m_pWidget->palette().window());
}
