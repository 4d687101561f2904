// SPDX-License-Identifier: MIT
#include "ProcessMemory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdio>

long ResidentKiB() {
    long pages = 0;
    long resident = 0;
    FILE* pFile = std::fopen("/proc/self/statm", "r");
    if (pFile == nullptr)
        return -1;
    if (std::fscanf(pFile, "%ld %ld", &pages, &resident) != 2)
        resident = -1;
    std::fclose(pFile);
    return resident < 0 ? -1 : resident * (sysconf(_SC_PAGESIZE) / 1024);
}

double HeapBytesInUse() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}
