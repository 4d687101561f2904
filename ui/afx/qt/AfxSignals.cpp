// SPDX-License-Identifier: MIT
// The bridge from the termination signals (SIGINT, SIGTERM, SIGHUP) to the
// user-interface thread, where each ends every open dialog as with Cancel.
#include "AfxToolkit.h"
#include "AfxWin.h"

#include <QApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int kTerminationSignals[] = {SIGINT, SIGTERM, SIGHUP};
int s_signalPipe[2] = {-1, -1};
volatile sig_atomic_t s_requested = 0;

// All the handler does is note the request and wake the user-interface thread.
extern "C" void OnTerminationSignal(int) {
    s_requested = 1;
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
        // The handlers stay until the application goes, after the save at
        // the end: a second signal (a closing terminal sends two hang-ups)
        // must not end the program half-way through saving. A message box
        // asking about a failed save closes: nobody is there to answer it.
        if (auto* pBox = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
            pBox->reject();
        CDialog::CancelAllModal();
    });
    SetTerminationHandlers(OnTerminationSignal);
    return true;
}

} // namespace

bool AfxTerminationRequested() {
    return s_requested != 0;
}

int AfxInstallTerminationHandler() {
    QCoreApplication* pApp = QCoreApplication::instance();
    if (!pApp)
        return 0;
    s_requested = 0;
    if (s_pWatcher && s_pWatcher->parent() == pApp) {
        // Already watching: arm the handlers again, with no request pending.
        char bytes[16];
        while (read(s_signalPipe[0], bytes, sizeof bytes) > 0) {
        }
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
