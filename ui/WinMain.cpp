// SPDX-License-Identifier: MIT
// The Windows program's entry, beside the Linux one (main.cpp): the program
// has no command-line options there, and no console.
#include "AfxWin.h"
#include "DrumApp.h"

#include <cstdlib>

// The one application object, constructed before the program starts.
CDrumApp theApp;

int WINAPI WinMain(HINSTANCE /*instance*/, HINSTANCE /*previous*/, LPSTR /*commandLine*/,
                   int /*show*/) {
    return AfxWinMain(__argc, __argv);
}
