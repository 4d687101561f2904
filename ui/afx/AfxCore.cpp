// SPDX-License-Identifier: MIT
// Message maps, windows, menus, the application object and the program's
// entry, with its handling of termination signals.
#include "AfxText.h"
#include "AfxWidgets.h"
#include "Resources.h"

#include <QApplication>
#include <QBuffer>
#include <QByteArray>
#include <QIcon>
#include <QImageReader>
#include <QMenu>
#include <QPixmap>
#include <QSocketNotifier>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

// ---------------------------------------------------------------------------
// Message maps

const SMessageMap* CCmdTarget::GetThisMessageMap() {
    static const SMessageMapEntry kEntries[] = {{0, 0, 0, nullptr}};
    static const SMessageMap kMap = {nullptr, kEntries};
    return &kMap;
}

const SMessageMap* CCmdTarget::GetMessageMap() const {
    return GetThisMessageMap();
}

const SMessageMapEntry* CCmdTarget::FindEntry(UINT message, UINT code, UINT id) const {
    const bool byControl = message == WM_COMMAND || message == WM_NOTIFY;
    for (const SMessageMap* pMap = GetMessageMap(); pMap;
         pMap = pMap->m_pfnGetBaseMap ? pMap->m_pfnGetBaseMap() : nullptr) {
        for (const SMessageMapEntry* pEntry = pMap->m_pEntries; pEntry->m_pfn; ++pEntry) {
            if (pEntry->m_message != message)
                continue;
            if (!byControl || (pEntry->m_code == code && pEntry->m_id == id))
                return pEntry;
        }
    }
    return nullptr;
}

BOOL CCmdTarget::OnCmdMsg(UINT id, UINT code) {
    const SMessageMapEntry* pEntry = FindEntry(WM_COMMAND, code, id);
    if (!pEntry)
        return FALSE;
    const SMessage message = {WM_COMMAND,
                              (static_cast<WPARAM>(code & 0xFFFF) << 16) | (id & 0xFFFF), 0};
    pEntry->m_pfn(this, message);
    return TRUE;
}

// ---------------------------------------------------------------------------
// CWnd

LRESULT CWnd::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    UINT code = 0;
    UINT id = 0;
    if (message == WM_COMMAND) {
        id = static_cast<UINT>(wParam & 0xFFFF);
        code = static_cast<UINT>((wParam >> 16) & 0xFFFF);
    } else if (message == WM_NOTIFY) {
        const auto* pHeader = reinterpret_cast<const NMHDR*>(lParam);
        if (!pHeader)
            return 0;
        id = static_cast<UINT>(pHeader->idFrom);
        code = pHeader->code;
    }
    if (const SMessageMapEntry* pEntry = FindEntry(message, code, id))
        return pEntry->m_pfn(this, SMessage{message, wParam, lParam});
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_SYSCOMMAND:
        switch (static_cast<UINT>(wParam) & 0xFFF0) {
        case SC_MINIMIZE:
            if (m_pWidget)
                m_pWidget->showMinimized();
            break;
        case SC_RESTORE:
            if (m_pWidget)
                m_pWidget->showNormal();
            break;
        case SC_CLOSE:
            SendMessage(WM_CLOSE, 0, 0);
            break;
        default:
            break;
        }
        return 0;
    case WM_ICONERASEBKGND:
        if (HDC hdc = reinterpret_cast<HDC>(wParam)) {
            CRect client;
            GetClientRect(&client);
            hdc->FillWindowBackground(client);
        }
        return 1;
    case WM_SETICON: {
        HICON previous = wParam == ICON_BIG ? m_bigIcon : m_smallIcon;
        (wParam == ICON_BIG ? m_bigIcon : m_smallIcon) = reinterpret_cast<HICON>(lParam);
        if (m_pWidget && m_pWidget->isWindow()) {
            QIcon icon;
            if (m_bigIcon)
                icon.addPixmap(QPixmap::fromImage(m_bigIcon->m_big));
            if (m_smallIcon && !m_smallIcon->m_small.isNull())
                icon.addPixmap(QPixmap::fromImage(m_smallIcon->m_small));
            m_pWidget->setWindowIcon(icon);
        }
        return reinterpret_cast<LRESULT>(previous);
    }
    case WM_KEYDOWN:
        if (wParam == VK_F1) {
            if (!OnCmdMsg(ID_HELP, 0)) {
                if (CWinApp* pApp = AfxGetApp())
                    pApp->OnCmdMsg(ID_HELP, 0);
            }
        }
        return 0;
    default:
        (void)lParam;
        return 0;
    }
}

void CWnd::OnSysCommand(UINT id, LPARAM lParam) {
    DefWindowProc(WM_SYSCOMMAND, id, lParam);
}

void CWnd::OnPaint() {
    DefWindowProc(WM_PAINT, 0, 0);
}

HCURSOR CWnd::OnQueryDragIcon() {
    return nullptr;
}

void CWnd::OnKeyDown(UINT virtualKey, UINT repeatCount, UINT flags) {
    DefWindowProc(WM_KEYDOWN, virtualKey,
                  static_cast<LPARAM>((flags & 0xFFFF) << 16 | (repeatCount & 0xFFFF)));
}

void CWnd::OnEndSession(BOOL ending) {
    DefWindowProc(WM_ENDSESSION, static_cast<WPARAM>(ending), 0);
}

HWND CWnd::GetSafeHwnd() const {
    if (!m_pWidget)
        return nullptr;
    // Only windows get a handle of the platform; a control's handle names it
    // to the layer alone, as Qt controls have no window of their own.
    if (m_pWidget->isWindow())
        return reinterpret_cast<HWND>(m_pWidget->winId());
    return m_pWidget;
}

BOOL CWnd::IsWindowEnabled() const {
    return m_pWidget && m_pWidget->isEnabled();
}

BOOL CWnd::EnableWindow(BOOL enable) {
    if (!m_pWidget)
        return FALSE;
    const BOOL wasDisabled = !m_pWidget->isEnabled();
    m_pWidget->setEnabled(enable != FALSE);
    return wasDisabled;
}

BOOL CWnd::IsIconic() const {
    return m_pWidget && m_pWidget->isMinimized();
}

void CWnd::GetClientRect(CRect* pRect) const {
    *pRect = CRect{};
    if (m_pWidget) {
        pRect->right = m_pWidget->width();
        pRect->bottom = m_pWidget->height();
    }
}

void CWnd::SetWindowText(const std::string& text) {
    if (!m_pWidget)
        return;
    if (auto* pControl = dynamic_cast<IAfxControl*>(m_pWidget))
        pControl->SetTextBytes(text);
    else
        m_pWidget->setWindowTitle(AfxTextFromBytes(text));
}

std::string CWnd::GetWindowText() const {
    if (!m_pWidget)
        return std::string();
    if (auto* pControl = dynamic_cast<IAfxControl*>(m_pWidget))
        return pControl->TextBytes();
    return AfxBytesFromText(m_pWidget->windowTitle());
}

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

void CWnd::SetFocus() {
    if (m_pWidget)
        m_pWidget->setFocus(Qt::OtherFocusReason);
}

BOOL CWnd::HasFocus() const {
    return m_pWidget && m_pWidget->hasFocus();
}

void CWnd::Invalidate() {
    if (m_pWidget)
        m_pWidget->update();
}

void CWnd::UpdateWindow() {
    if (m_pWidget)
        m_pWidget->repaint();
}

void CWnd::Attach(QWidget* pWidget, int id) {
    m_pWidget = pWidget;
    m_id = id;
}

void CWnd::Detach() {
    m_pWidget = nullptr;
}

int GetSystemMetrics(int index) {
    switch (index) {
    case SM_CXICON:
    case SM_CYICON:
        return 32;
    default:
        return 0;
    }
}

// ---------------------------------------------------------------------------
// CMenu

BOOL CMenu::AppendMenu(UINT flags, UINT_PTR id, const char* text) {
    if (!m_pMenu)
        return FALSE;
    if (flags & MF_SEPARATOR) {
        m_pMenu->addSeparator();
        return TRUE;
    }
    // Menu items read the template notation as Qt does: '&' marks the mnemonic.
    QAction* pAction = m_pMenu->addAction(AfxTextFromBytes(text ? text : ""));
    pAction->setData(static_cast<uint>(id));
    return TRUE;
}

int CMenu::GetMenuItemCount() const {
    return m_pMenu ? static_cast<int>(m_pMenu->actions().size()) : -1;
}

UINT CMenu::GetMenuItemID(int position) const {
    if (!m_pMenu || position < 0 || position >= m_pMenu->actions().size())
        return static_cast<UINT>(-1);
    const QAction* pAction = m_pMenu->actions().at(position);
    return pAction->isSeparator() ? 0 : pAction->data().toUInt();
}

std::string CMenu::GetMenuString(int position) const {
    if (!m_pMenu || position < 0 || position >= m_pMenu->actions().size())
        return std::string();
    return AfxBytesFromText(m_pMenu->actions().at(position)->text());
}

// ---------------------------------------------------------------------------
// CWinApp

namespace {
CWinApp* s_pApp = nullptr;
} // namespace

CWinApp::CWinApp(const char* /*appName*/) {
    if (!s_pApp)
        s_pApp = this;
}

CWinApp::~CWinApp() {
    if (s_pApp == this)
        s_pApp = nullptr;
}

BEGIN_MESSAGE_MAP(CWinApp, CCmdTarget)
END_MESSAGE_MAP()

BOOL CWinApp::InitInstance() {
    return TRUE;
}

int CWinApp::ExitInstance() {
    return 0;
}

HICON CWinApp::LoadIcon(UINT id) {
    int freeSlot = -1;
    for (int i = 0; i < kMaxIcons; ++i) {
        if (m_icons[i] && m_iconIds[i] == id)
            return m_icons[i].get();
        if (!m_icons[i] && freeSlot < 0)
            freeSlot = i;
    }
    SResourceImage image;
    if (freeSlot < 0 || !FindResourceImage(kResTypeIcon, static_cast<int>(id), &image))
        return nullptr;
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char*>(image.m_pData),
                                               static_cast<qsizetype>(image.m_length));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    auto icon = std::make_unique<SIconImage>();
    const int count = reader.imageCount();
    for (int i = 0; i < count; ++i) {
        if (!reader.jumpToImage(i))
            break;
        const QImage frame = reader.read();
        if (frame.width() == 32)
            icon->m_big = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
        else if (frame.width() == 16)
            icon->m_small = frame.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    if (icon->m_big.isNull() && icon->m_small.isNull())
        return nullptr;
    if (icon->m_big.isNull())
        icon->m_big = icon->m_small.scaled(32, 32);
    m_icons[freeSlot] = std::move(icon);
    m_iconIds[freeSlot] = id;
    return m_icons[freeSlot].get();
}

void CWinApp::OnHelp() {
    // No help content belongs to the program: F1 shows its About box, reached
    // the way the user reaches it, from the main window and nowhere above it.
    auto* pMain = dynamic_cast<CDialog*>(m_pMainWnd);
    if (!pMain || CDialog::GetActiveModal() != pMain)
        return;
    CMenu* pMenu = pMain->GetSystemMenu(FALSE);
    if (!pMenu)
        return;
    for (int i = 0; i < pMenu->GetMenuItemCount(); ++i) {
        if (pMenu->GetMenuItemID(i) == AFX_IDM_ABOUTBOX) {
            pMain->SendMessage(WM_SYSCOMMAND, AFX_IDM_ABOUTBOX, 0);
            return;
        }
    }
}

CWinApp* AfxGetApp() {
    return s_pApp;
}

CWnd* AfxGetMainWnd() {
    return s_pApp ? s_pApp->m_pMainWnd : nullptr;
}

// ---------------------------------------------------------------------------
// Termination signals

namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};
int s_signalPipe[2] = {-1, -1};

// All the handler does is wake the user-interface thread.
extern "C" void OnTerminationSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(s_signalPipe[1], &byte, 1);
    errno = savedErrno;
}

void SetTerminationHandlers(void (*pHandler)(int)) {
    struct sigaction action = {};
    action.sa_handler = pHandler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int signalNumber : kTerminationSignals)
        sigaction(signalNumber, &action, nullptr);
}

// Owns the pipe and its notifier; a child of the application object, so both go
// exactly once, with it.
class CTerminationWatcher : public QObject {
public:
    explicit CTerminationWatcher(QObject* pParent) : QObject(pParent) {}
    ~CTerminationWatcher() override;

    bool Start();

private:
    QSocketNotifier* m_pNotifier = nullptr;
};

CTerminationWatcher* s_pWatcher = nullptr;

CTerminationWatcher::~CTerminationWatcher() {
    s_pWatcher = nullptr;
    SetTerminationHandlers(SIG_DFL);
    delete m_pNotifier;
    for (int& fd : s_signalPipe) {
        if (fd >= 0)
            close(fd);
        fd = -1;
    }
}

bool CTerminationWatcher::Start() {
    if (pipe2(s_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_pNotifier = new QSocketNotifier(s_signalPipe[0], QSocketNotifier::Read);
    QObject::connect(m_pNotifier, &QSocketNotifier::activated, this, [] {
        char bytes[16];
        while (read(s_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
        // A second signal while the dialogs unwind ends the program at once.
        SetTerminationHandlers(SIG_DFL);
        CDialog::CancelAllModal();
    });
    SetTerminationHandlers(OnTerminationSignal);
    return true;
}

} // namespace

int AfxInstallTerminationHandler() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp)
        return 0;
    if (s_pWatcher && s_pWatcher->parent() == pApp) {
        // Already watching: arm the handlers again.
        SetTerminationHandlers(OnTerminationSignal);
        return 1;
    }
    auto* pWatcher = new CTerminationWatcher(pApp);
    if (!pWatcher->Start()) {
        delete pWatcher;
        return 0;
    }
    s_pWatcher = pWatcher;
    return 1;
}

int AfxWinMain(int argc, char** argv) {
    QApplication application(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    AfxInstallTerminationHandler();
#if QT_CONFIG(sessionmanager)
    // The desktop session is ending: whatever the program keeps is saved now,
    // as the session may not let it reach its own end.
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &application,
                     [](QSessionManager&) {
                         if (CWnd* pMain = AfxGetMainWnd())
                             pMain->SendMessage(WM_ENDSESSION, TRUE, 0);
                     });
#endif
    if (pApp->InitInstance())
        QApplication::exec();
    return pApp->ExitInstance();
}
