// SPDX-License-Identifier: MIT
// Times the kit's first Init inside the real program, from outside the
// program's code: scripts/bench.sh preloads this library (LD_PRELOAD). Init
// opens the sound device first (alcOpenDevice, which also reads OpenAL Soft's
// configuration the first time) and reads "drums.set" last; the time between
// the two is appended to the file that KADENZO_INIT_FIGURES names, as the
// figure init_program_ms, after the load average at that moment; with how much
// of it the thread spent on a processor and how much waiting for one.
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
double s_runAtOpen = 0;
double s_waitAtOpen = 0;
bool s_reported = false;

// Milliseconds this thread has spent on a processor and waiting for one.
void ThreadTimes(double* pRunMs, double* pWaitMs) {
    double run = 0;
    double wait = 0;
    if (FILE* pFile = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(pFile, "%lf %lf", &run, &wait) != 2)
            run = wait = 0;
        std::fclose(pFile);
    }
    *pRunMs = run / 1e6;
    *pWaitMs = wait / 1e6;
}

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
        ThreadTimes(&s_runAtOpen, &s_waitAtOpen);
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
        double run = 0;
        double wait = 0;
        ThreadTimes(&run, &wait);
        if (const char* pFigures = std::getenv("KADENZO_INIT_FIGURES")) {
            double load = -1;
            if (FILE* pLoad = std::fopen("/proc/loadavg", "r")) {
                if (std::fscanf(pLoad, "%lf", &load) != 1)
                    load = -1;
                std::fclose(pLoad);
            }
            if (FILE* pFile = std::fopen(pFigures, "a")) {
                std::fprintf(pFile,
                             "load %.2f\ninit_program_ms %.6f\ninit_program_cpu_ms %.6f\n"
                             "init_program_wait_ms %.6f\n",
                             load, elapsed, run - s_runAtOpen, wait - s_waitAtOpen);
                std::fclose(pFile);
            }
        }
    }
    return real(pPath, flags, mode);
}
