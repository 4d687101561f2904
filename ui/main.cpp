// SPDX-License-Identifier: MIT
#include "AfxWin.h"
#include "CommandLine.h"
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
    HoldQtStartMessages(argc, argv);
    // The id of the installed desktop entry: docks and task switchers (the
    // Wayland app id) match the window to its entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kadenzo.Kadenzo"));
    return AfxWinMain(argc, argv);
}
