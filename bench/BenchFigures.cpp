// SPDX-License-Identifier: MIT
#include "BenchFigures.h"

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <fstream>

double NsBetween(CClock::time_point from, CClock::time_point to) {
    return std::chrono::duration<double, std::nano>(to - from).count();
}

CFigures::CFigures(const std::string& path, bool append) {
    if (path.empty())
        return;
    m_pFile = std::fopen(path.c_str(), append ? "a" : "w");
    m_open = m_pFile != nullptr;
    double load[3];
    LoadAverage(load);
    if (m_pFile != nullptr)
        std::fprintf(m_pFile, "load %.2f\n", load[0]);
}

CFigures::~CFigures() {
    if (m_pFile != nullptr)
        std::fclose(m_pFile);
}

void CFigures::Add(const char* name, double value, const char* unit) {
    std::printf("  %-34s %14.3f %s\n", name, value, unit);
    if (m_pFile != nullptr) {
        std::fprintf(m_pFile, "%s %.6f\n", name, value);
        std::fflush(m_pFile);
    }
}

void Heading(const char* text) {
    std::printf("\n%s\n", text);
}

std::string MachineName() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    std::string model = "unknown processor";
    while (std::getline(in, line)) {
        if (line.rfind("model name", 0) == 0) {
            const size_t colon = line.find(':');
            if (colon != std::string::npos)
                model = line.substr(line.find_first_not_of(" \t", colon + 1));
            break;
        }
    }
    return model + ", " + std::to_string(sysconf(_SC_NPROCESSORS_ONLN)) + " cores";
}

void LoadAverage(double (&load)[3]) {
    load[0] = load[1] = load[2] = -1;
    std::ifstream("/proc/loadavg") >> load[0] >> load[1] >> load[2];
}

void PrintMachine(const char* program) {
    double load[3];
    LoadAverage(load);
    std::printf("%s on %s; load average %.2f %.2f %.2f\n", program, MachineName().c_str(), load[0],
                load[1], load[2]);
    std::fflush(stdout);
}

SThreadTimes ThreadTimes() {
    SThreadTimes times;
    if (FILE* pFile = std::fopen("/proc/thread-self/schedstat", "r")) {
        if (std::fscanf(pFile, "%lf %lf", &times.m_runMs, &times.m_waitMs) == 2) {
            times.m_runMs /= 1e6;
            times.m_waitMs /= 1e6;
        }
        std::fclose(pFile);
    }
    rusage usage;
    if (getrusage(RUSAGE_THREAD, &usage) == 0)
        times.m_faults = usage.ru_minflt + usage.ru_majflt;
    return times;
}

SSpread SpreadOf(std::vector<double> values) {
    SSpread spread;
    if (values.empty())
        return spread;
    std::sort(values.begin(), values.end());
    auto rank = [&](double p) {
        const size_t index = size_t(std::ceil(p * double(values.size())));
        return values[std::min(values.size() - 1, index == 0 ? 0 : index - 1)];
    };
    spread.m_median = rank(0.5);
    spread.m_p99 = rank(0.99);
    spread.m_p999 = rank(0.999);
    spread.m_max = values.back();
    return spread;
}
