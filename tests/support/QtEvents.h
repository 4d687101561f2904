// SPDX-License-Identifier: MIT
// Waiting on Qt's event loop: for the tests of the windows and the benchmark
// that drives the real drum pad window.
#pragma once

#include <functional>

// Processes events until the predicate holds or the time is up; returns it.
bool WaitUntil(const std::function<bool()>& predicate, int milliseconds = 3000);
// Processes events for this long.
void ProcessEventsFor(int milliseconds);
