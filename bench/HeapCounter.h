// SPDX-License-Identifier: MIT
// Counts every heap allocation of the calling thread, whoever makes it: the
// program's own code, Qt, OpenAL Soft or the C++ runtime. Linking HeapCounter.cpp
// puts a counting malloc family in front of the C library's for the whole
// process; it counts only while a counter is alive on the calling thread.
//
// The tests' CAllocationCounter sees C++ operator new only; this one also sees
// what C libraries and Qt's containers take with malloc.
#pragma once

#include <cstdint>

class CHeapCounter {
public:
    CHeapCounter();
    ~CHeapCounter();
    CHeapCounter(const CHeapCounter&) = delete;
    CHeapCounter& operator=(const CHeapCounter&) = delete;

    // Allocations (malloc, calloc, realloc, aligned forms) on this thread since construction.
    int64_t Count() const;
    // Of those, the ones OpenAL Soft's own code made (told by the caller's address).
    int64_t CountOpenAL() const;

private:
    int64_t m_start;
    int64_t m_openALStart;
    bool m_wasCounting;
};
