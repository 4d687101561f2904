// SPDX-License-Identifier: MIT
// Init of the kit and the strike alone, on whatever OpenAL Soft device the
// process has been pointed at.
#pragma once

#include "BenchFigures.h"

// Cold: the first Init of a kit in this process (the device opened for the
// first time, the sample data and the heap touched for the first time), and the
// memory Init takes. Must run before anything else opens the device.
void ReportColdInit(CFigures& figures);

// Google Benchmark's cases: warm Init (Init again in the same process) and
// PlayKey on a ringing and on a silent voice, with their allocations.
void RunMicroBenchmarks(CFigures& figures, int* pArgc, char** argv);
