// SPDX-License-Identifier: MIT
// Times the kit's first Init inside the real program, from outside the
// program's code: scripts/bench.sh preloads this library (LD_PRELOAD). Init
// opens the sound device first (alcOpenDevice, which also reads OpenAL Soft's
// configuration the first time) and reads "drums.set" last; the time between
// the two is appended to the file that KADENZO_INIT_FIGURES names, as the
// figure init_program_ms, after the load average at that moment; with how much
// of it the thread spent on a processor, how much waiting for one, and the page
// faults it took.
#include "BenchFigures.h"

#include <AL/alc.h>

#include <dlfcn.h>
#include <fcntl.h>
#include <time.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

double s_openedAt = -1;
SThreadTimes s_atOpen;
bool s_reported = false;

double NowMs() {
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return double(now.tv_sec) * 1e3 + double(now.tv_nsec) / 1e6;
}

template <class TFunction> TFunction Next(const char* name) {
    return reinterpret_cast<TFunction>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" ALCdevice* alcOpenDevice(const ALCchar* pName) {
    static const auto real = Next<ALCdevice* (*)(const ALCchar*)>("alcOpenDevice");
    if (s_openedAt < 0) {
        s_atOpen = ThreadTimes();
        s_openedAt = NowMs();
    }
    return real(pName);
}

extern "C" int open(const char* pPath, int flags, ...) {
    static const auto real = Next<int (*)(const char*, int, ...)>("open");
    mode_t mode = 0;
    if ((flags & O_CREAT) != 0 || (flags & O_TMPFILE) == O_TMPFILE) {
        va_list arguments;
        va_start(arguments, flags);
        mode = mode_t(va_arg(arguments, int));
        va_end(arguments);
    }
    if (s_openedAt >= 0 && !s_reported && std::strcmp(pPath, "drums.set") == 0) {
        s_reported = true;
        const double elapsed = NowMs() - s_openedAt;
        const SThreadTimes times = ThreadTimes();
        if (const char* pFigures = std::getenv("KADENZO_INIT_FIGURES")) {
            double load[3];
            LoadAverage(load);
            if (FILE* pFile = std::fopen(pFigures, "a")) {
                std::fprintf(pFile,
                             "load %.2f\ninit_program_ms %.6f\ninit_program_cpu_ms %.6f\n"
                             "init_program_wait_ms %.6f\ninit_program_faults %ld\n",
                             load[0], elapsed, times.m_runMs - s_atOpen.m_runMs,
                             times.m_waitMs - s_atOpen.m_waitMs,
                             times.m_faults - s_atOpen.m_faults);
                std::fclose(pFile);
            }
        }
    }
    return real(pPath, flags, mode);
}
