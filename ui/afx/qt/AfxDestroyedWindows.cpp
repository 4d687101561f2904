// SPDX-License-Identifier: MIT
// Dialog windows destroyed from outside. Another X client may destroy a
// window of ours (`xdotool windowclose`, or any client that calls
// XDestroyWindow on it): Qt's X11 platform takes no notice, and a program whose
// window is gone would run on unseen, its changes never saved. The window's
// DestroyNotify still reaches the native event filters; its dialog then ends as
// with Cancel, and the drum pad window's Cancel ends the program, saving.
#include "AfxDialogWindow.h"

#include <QAbstractNativeEventFilter>
#include <QApplication>
#include <QByteArray>
#include <QPointer>

#include <xcb/xproto.h>

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
