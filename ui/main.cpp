#include "AfxWin.h"
#include "DrumApp.h"

// The one application object, constructed before the program starts.
CDrumApp theApp;

int main(int argc, char** argv) {
    return AfxWinMain(argc, argv);
}
