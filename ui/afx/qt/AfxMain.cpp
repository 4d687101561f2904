// SPDX-License-Identifier: MIT
// The program's entry on Qt: the application, the termination signals, the
// desktop session's request to save, then the application object's start.
#include "AfxWin.h"

#include <QApplication>
#if QT_CONFIG(sessionmanager)
#include <QSessionManager>
#endif

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
