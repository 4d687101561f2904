// SPDX-License-Identifier: MIT
// The figures of the benchmark programs: printed as they are taken, and kept as
// "name value" lines in a file for bench_table to set side by side. Each file
// starts with the machine's load average at the time (the figure "load").
#pragma once

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using CClock = std::chrono::steady_clock;

double NsBetween(CClock::time_point from, CClock::time_point to);

class CFigures {
public:
    // Writes to the file at path (created, or appended to); "" keeps no file.
    CFigures(const std::string& path, bool append);
    ~CFigures();
    CFigures(const CFigures&) = delete;
    CFigures& operator=(const CFigures&) = delete;

    // 0 when the file could not be opened.
    int IsOpen() const { return m_open; }
    void Add(const char* name, double value, const char* unit);
    void Add(const std::string& name, double value, const char* unit) {
        Add(name.c_str(), value, unit);
    }

private:
    FILE* m_pFile = nullptr;
    int m_open = 1;
};

void Heading(const char* text);

// The processor's model name and the number of cores, as one line.
std::string MachineName();
// The load average over the last minute, 5 and 15 minutes; -1 when unknown.
void LoadAverage(double (&load)[3]);
// "machine; load average a b c", printed before a program's first figure.
void PrintMachine(const char* program);

// What the calling thread has spent so far: time on a processor and time ready
// but waiting for one (the scheduler's accounting), and the page faults it took.
struct SThreadTimes {
    double m_runMs = 0;
    double m_waitMs = 0;
    long m_faults = 0;
};
SThreadTimes ThreadTimes();

// Nearest-rank percentiles.
struct SSpread {
    double m_median = 0;
    double m_p99 = 0;
    double m_p999 = 0;
    double m_max = 0;
};
SSpread SpreadOf(std::vector<double> values);
