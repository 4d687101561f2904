// SPDX-License-Identifier: MIT
// Figures of the road of one key stroke, on OpenAL Soft's null back end with
// whatever settings this copy of the program finds beside itself:
//   - Init of the kit, cold (the first in this process) and warm (again), and
//     the memory it takes;
//   - the strike alone: PlayKey on a bound key, its voice still ringing or silent;
//   - the stroke path: a key event delivered to the drum box of the real drum pad
//     window (Qt offscreen) through its handler, the kit, the voice and OpenAL
//     Soft, with the heap allocations made on the way.
// Where strikes land in the output is wave_probe's; the program's start-up,
// startup_probe's.
//
// Every figure goes to standard output and, as "name value" lines, to the file
// given with --figures, for bench_table to set side by side.
//
// Usage: stroke_bench [--figures FILE] [--strokes N] [Google Benchmark options]
#include "BenchFigures.h"
#include "BenchKit.h"
#include "OpenALTestSupport.h"
#include "StrikeBench.h"
#include "StrokePath.h"
#include "TempFolder.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Our own options out of the way of Google Benchmark's.
    std::string figuresPath;
    int strokes = 20000;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--figures") == 0 && i + 1 < argc)
            figuresPath = argv[++i];
        else if (std::strcmp(argv[i], "--strokes") == 0 && i + 1 < argc)
            strokes = std::max(100, std::atoi(argv[++i]));
        else
            rest.push_back(argv[i]);
    }
    rest.push_back(nullptr);
    int restCount = int(rest.size()) - 1;
    CFigures figures(figuresPath, false);
    if (!figures.IsOpen())
        return 1;
    PrintMachine("stroke_bench");

    // A folder of our own for drums.set. The null back end paces its mixing as
    // a sound card would. Only the driver is chosen here: the period settings
    // come from beside the executable, if any.
    CTempFolder folder;
    WriteBenchDrumSet();
    CAlsoftConfig config("[general]\ndrivers = null\n");
    ReportColdInit(figures);
    RunMicroBenchmarks(figures, &restCount, rest.data());
    RunStrokePath(figures, 1, argv, strokes);
    return 0;
}
