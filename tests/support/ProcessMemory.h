// SPDX-License-Identifier: MIT
// How much memory this process holds, for the soak tests and the benchmarks.
#pragma once

// Resident memory, in KiB; -1 when it cannot be read.
long ResidentKiB();
// Heap bytes in use: small blocks and the large ones malloc maps on its own.
double HeapBytesInUse();
