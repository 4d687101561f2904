// SPDX-License-Identifier: MIT
// The program's entry on Win32: the console's events, then the application
// object's start.
#include "AfxToolkit.h"

int AfxWinMain(int /*argc*/, char** /*argv*/) {
    CWinApp* pApp = AfxGetApp();
    if (!pApp)
        return 1;
    AfxInstallTerminationHandler();
    // The desktop session's end comes as WM_ENDSESSION to the main window,
    // through its message map.
    if (pApp->InitInstance()) {
        MSG message;
        while (GetMessageA(&message, nullptr, 0, 0) > 0) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
    return pApp->ExitInstance();
}
