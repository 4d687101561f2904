// SPDX-License-Identifier: MIT
// Counts C++ heap allocations, to show that a code path allocates nothing.
// Linking the `alloc_counter` library replaces the global operator new of the
// whole test program with one that counts while a counter is alive on the
// calling thread.
//
//     CAllocationCounter counter;
//     voice.Play(0, 0);
//     EXPECT_EQ(0, counter.Count());
#pragma once

#include <cstdint>

class CAllocationCounter {
public:
    CAllocationCounter();
    ~CAllocationCounter();
    CAllocationCounter(const CAllocationCounter&) = delete;
    CAllocationCounter& operator=(const CAllocationCounter&) = delete;

    // Allocations made on this thread since construction.
    int64_t Count() const;

private:
    int64_t m_start;
    bool m_wasCounting;
};
