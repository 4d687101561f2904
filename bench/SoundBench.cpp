// SPDX-License-Identifier: MIT
// Figures of the sound output on the OpenAL Soft back end: the cost of a strike,
// the heap allocations it makes, the time to create the kit's 140 voices, and the
// device latency OpenAL Soft reports with the shipped alsoft.conf.
//
// OpenAL Soft reads its configuration once per process, so the benchmarks run
// on the null back end set up here, and each latency figure is taken in a fresh
// copy of this program under its own configuration.
#include "AllocationCounter.h"
#include "DirectSound.h"
#include "OpenALTestSupport.h"
#include "SoundVoice.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>

extern char** environ;

namespace {

constexpr int kVoices = 140;

struct SKit {
    CSoundVoice m_voices[kVoices];
    int CreateAll() {
        int created = 0;
        for (int i = 0; i < kVoices; ++i)
            created += m_voices[i].Create(300 + i / 5, nullptr);
        return created;
    }
};

// Strikes the 140 voices in turn, as a player going round the kit would.
void BM_StrikeRoundTheKit(benchmark::State& state) {
    auto kit = std::make_unique<SKit>();
    if (kit->CreateAll() != kVoices) {
        state.SkipWithError("could not create the voices");
        return;
    }
    int next = 0;
    CAllocationCounter counter;
    for (auto _ : state) {
        kit->m_voices[next].Play(0, 0);
        next = next + 1 == kVoices ? 0 : next + 1;
    }
    state.counters["allocations"] = benchmark::Counter(double(counter.Count()));
    state.counters["alErrors"] = alGetError() == AL_NO_ERROR ? 0 : 1;
}
BENCHMARK(BM_StrikeRoundTheKit);

// Strikes one voice again and again: each strike cuts the sounding one off.
void BM_RestrikeOneVoice(benchmark::State& state) {
    auto kit = std::make_unique<SKit>();
    if (kit->CreateAll() != kVoices) {
        state.SkipWithError("could not create the voices");
        return;
    }
    CAllocationCounter counter;
    for (auto _ : state)
        kit->m_voices[0].Play(0, 0);
    state.counters["allocations"] = benchmark::Counter(double(counter.Count()));
}
BENCHMARK(BM_RestrikeOneVoice);

// Opens the device and creates all 140 voices from the built-in images, as the kit does.
void BM_CreateAllVoices(benchmark::State& state) {
    for (auto _ : state) {
        auto kit = std::make_unique<SKit>();
        const int created = kit->CreateAll();
        state.PauseTiming();
        if (created != kVoices)
            state.SkipWithError("could not create the voices");
        kit.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreateAllVoices)->Unit(benchmark::kMillisecond);

std::string g_dir;
std::string g_self;

void WriteFile(const std::string& path, const std::string& text) {
    std::ofstream(path) << text;
}

// Opens the device under `config` and prints what OpenAL Soft reports of it.
int LatencyProbe(const char* name, const char* config) {
    setenv("ALSOFT_CONF", config, 1);
    CSoundVoice voice;
    if (!voice.Create(300, nullptr)) {
        std::printf("%-6s back end: no device\n", name);
        return 1;
    }
    ALCdevice* pDevice = CurrentDevice();
    const int64_t latency = DeviceInteger64(pDevice, ALC_DEVICE_LATENCY_SOFT);
    ALCint frequency = 0;
    ALCint refresh = 0;
    alcGetIntegerv(pDevice, ALC_FREQUENCY, 1, &frequency);
    alcGetIntegerv(pDevice, ALC_REFRESH, 1, &refresh);
    std::printf("%-6s back end: device latency %.3f ms (%d Hz output, %d mix periods a second)\n",
                name, double(latency) / 1e6, frequency, refresh);
    return 0;
}

void ReportLatency(const char* name, const std::string& config) {
    const std::string path = g_dir + "/" + name + ".conf";
    WriteFile(path, config);
    const char* argv[] = {g_self.c_str(), "--latency-probe", name, path.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, g_self.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) ==
        0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
    std::remove(path.c_str());
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--latency-probe") == 0)
        return LatencyProbe(argv[2], argv[3]);

    char dir[] = "/tmp/kadenzo-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr)
        return 1;
    g_dir = dir;
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    g_self = n > 0 ? std::string(self, size_t(n)) : std::string(argv[0]);

    // Only the back end is chosen here: period and period count come from the
    // alsoft.conf shipped beside this program.
    const std::string wave = g_dir + "/latency.wav";
    std::fflush(stdout);
    ReportLatency("wave", "[general]\ndrivers = wave\n[wave]\nfile = " + wave + "\n");
    ReportLatency("null", "[general]\ndrivers = null\n");
    std::remove(wave.c_str());

    const std::string config = g_dir + "/bench.conf";
    WriteFile(config, "[general]\ndrivers = null\n");
    setenv("ALSOFT_CONF", config.c_str(), 1);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    std::remove(config.c_str());
    rmdir(dir);
    return 0;
}
