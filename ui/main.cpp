// SPDX-License-Identifier: MIT
#include "AfxWin.h"
#include "DrumApp.h"

#include <QGuiApplication>

// The one application object, constructed before the program starts.
CDrumApp theApp;

int main(int argc, char** argv) {
    // The id of the installed desktop entry: docks and task switchers (the
    // Wayland app id) match the window to its entry and icon by it.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kadenzo.Kadenzo"));
    return AfxWinMain(argc, argv);
}
