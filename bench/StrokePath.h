// SPDX-License-Identifier: MIT
// The road of one key stroke through the real drum pad window (Qt offscreen):
// a key event delivered to the drum box, through the window's handler, the kit
// and the voice into OpenAL Soft, until the sound has been started.
#pragma once

#include "BenchFigures.h"

// Runs the drum pad window and times `strokes` strokes in it, bound and
// unbound, with the heap allocations they make.
void RunStrokePath(CFigures& figures, int argc, char** argv, int strokes);
