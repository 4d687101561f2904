// SPDX-License-Identifier: MIT
// The program's entry on Qt: the application, the termination signals, windows
// destroyed from outside, the desktop session's request to save, then the
// application object's start.
#include "AfxDialogWindow.h"
#include "AfxWin.h"

#include <QApplication>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

#include <cstdlib>

namespace {

// Qt's X11 platform ends the program with exit() from inside its event loop
// when the connection to the display breaks: the main window, still in its
// modal run, never returns from it, so whatever it keeps is saved now, as at
// the end of the desktop session.
void EndMainWindowAtExit() {
    CWnd* pMain = AfxGetMainWnd();
    auto* pDialog = dynamic_cast<CDialog*>(pMain);
    if (pDialog != nullptr && pDialog->IsRunning())
        pDialog->SendMessage(WM_ENDSESSION, TRUE, 0);
}

} // namespace

int AfxWinMain(int argc, char** argv) {
    QApplication application(argc, argv);
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    AfxInstallTerminationHandler();
    AfxWatchDestroyedWindows();
    std::atexit(&EndMainWindowAtExit);
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
