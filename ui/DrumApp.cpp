// SPDX-License-Identifier: MIT
#include "DrumApp.h"

#include "DrumPadDlg.h"

CDrumApp::CDrumApp() : CWinApp(nullptr) {}

BEGIN_MESSAGE_MAP(CDrumApp, CWinApp)
ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

BOOL CDrumApp::InitInstance() {
    Enable3dControlsStatic();
    {
        CDrumPadDlg dlg;
        m_pMainWnd = &dlg;
        dlg.DoModal();
        // The window has closed: nothing is sent to it from here on.
        m_pMainWnd = nullptr;
        // Leaving the scope destroys the window object: the kit goes first and
        // writes "drums.set".
    }
    // The program ends here rather than in a message loop of the framework's.
    return FALSE;
}
