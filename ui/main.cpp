// SPDX-License-Identifier: MIT
#include "AfxWin.h"
#include "BuildInfo.h"
#include "CommandLine.h"
#include "DirectSound.h"
#include "DrumApp.h"

#include <QGuiApplication>

namespace {

// The Linux program's application object: the drum pad's own, once Qt has
// taken its options and the command line has been checked.
class CLinuxDrumApp : public CDrumApp {
public:
    BOOL InitInstance() override {
        QtHasStarted();
        return CDrumApp::InitInstance();
    }
};

} // namespace

// The one application object, constructed before the program starts.
CLinuxDrumApp theApp;

int main(int argc, char** argv) {
    if (AnswerInfoOption(argc, argv, stdout))
        return 0;
    // Before any thread starts (the sound back end's, Qt's): it writes the environment.
    kds::NameOpenALStream(KADENZO_NAME, KADENZO_APP_ID);
    HoldQtStartMessages(argc, argv);
    // Docks and task switchers (the Wayland app id) match the window to its
    // desktop entry and icon by the entry's id.
    QGuiApplication::setDesktopFileName(QStringLiteral(KADENZO_APP_ID));
    return AfxWinMain(argc, argv);
}
