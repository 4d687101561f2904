// SPDX-License-Identifier: MIT
#include "StrikeBench.h"

#include "AllocationCounter.h"
#include "BenchKit.h"
#include "HeapCounter.h"
#include "ProcessMemory.h"
#include "WaveTable.h"

#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <string>

namespace {

constexpr double kMiB = 1048576.0;

// Shared by the strike benchmarks: one kit, every key bound.
std::unique_ptr<CDrumKit> s_pKit;

CDrumKit& StrikeKit() {
    if (!s_pKit) {
        s_pKit = std::make_unique<CDrumKit>();
        s_pKit->Init();
        BindAll(*s_pKit);
    }
    return *s_pKit;
}

// Warm: Init again and again with the library loaded and the device opened
// before: device opened, voices created, drums.set read. Only Init is timed.
void BM_InitKit(benchmark::State& state) {
    s_pKit.reset();
    long faults = 0;
    for (auto _ : state) {
        auto pKit = std::make_unique<CDrumKit>();
        const long faultsBefore = ThreadTimes().m_faults;
        const auto start = CClock::now();
        pKit->Init();
        state.SetIterationTime(NsBetween(start, CClock::now()) / 1e9);
        faults += ThreadTimes().m_faults - faultsBefore;
        if (!pKit->m_voices[0].IsValid())
            state.SkipWithError("no sound device");
    }
    state.counters["faults"] =
        benchmark::Counter(double(faults), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_InitKit)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5);

// A roll on one key: each strike cuts off and restarts a voice that still rings.
void BM_PlayKeyRinging(benchmark::State& state) {
    CDrumKit& kit = StrikeKit();
    kit.PlayKey(kStrikeKey);
    CAllocationCounter news;
    CHeapCounter heap;
    for (auto _ : state)
        kit.PlayKey(kStrikeKey);
    state.counters["new"] =
        benchmark::Counter(double(news.Count()), benchmark::Counter::kAvgIterations);
    state.counters["malloc"] =
        benchmark::Counter(double(heap.Count()), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlayKeyRinging)->Repetitions(5);

// A stroke after the sound has died away: the voice starts from silence. Only
// PlayKey is timed; silencing the voice before it is not.
void BM_PlayKeySilent(benchmark::State& state) {
    CDrumKit& kit = StrikeKit();
    SilenceSound(kit, kStrikeSound);
    int64_t allocations = 0;
    for (auto _ : state) {
        SilenceSound(kit, kStrikeSound);
        CHeapCounter heap;
        const auto start = CClock::now();
        kit.PlayKey(kStrikeKey);
        const auto end = CClock::now();
        allocations += heap.Count();
        state.SetIterationTime(NsBetween(start, end) / 1e9);
    }
    state.counters["malloc"] =
        benchmark::Counter(double(allocations), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_PlayKeySilent)->UseManualTime()->Repetitions(5);

// Keeps the console output and notes the median of each benchmark.
class CMedianReporter : public benchmark::ConsoleReporter {
public:
    CMedianReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median")
                m_medians[run.run_name.function_name] = run;
        }
    }
    const Run* Find(const std::string& name) const {
        const auto found = m_medians.find(name);
        return found == m_medians.end() ? nullptr : &found->second;
    }

private:
    std::map<std::string, Run> m_medians;
};

} // namespace

void ReportColdInit(CFigures& figures) {
    Heading("Init: the device opened and 140 voices created from the built-in images");
    auto pKit = std::make_unique<CDrumKit>();
    const long residentBefore = ResidentKiB();
    const double heapBefore = HeapBytesInUse();
    const SThreadTimes before = ThreadTimes();
    const auto start = CClock::now();
    pKit->Init();
    const auto end = CClock::now();
    const SThreadTimes after = ThreadTimes();
    const long residentAfter = ResidentKiB();
    const double heapAfter = HeapBytesInUse();
    int created = 0;
    for (const CSoundVoice& voice : pKit->m_voices)
        created += voice.IsValid();
    figures.Add("init_cold_ms", NsBetween(start, end) / 1e6, "ms (first Init in the process)");
    figures.Add("init_cold_cpu_ms", after.m_runMs - before.m_runMs, "ms of it on a processor");
    figures.Add("init_cold_wait_ms", after.m_waitMs - before.m_waitMs,
                "ms of it ready, waiting for a processor");
    figures.Add("init_cold_faults", double(after.m_faults - before.m_faults),
                "page faults taken by Init");
    figures.Add("init_voices", created, "voices created");
    figures.Add("init_resident_mib", double(residentAfter - residentBefore) / 1024.0,
                "MiB more resident");
    figures.Add("init_heap_mib", (heapAfter - heapBefore) / kMiB, "MiB more heap in use");
    ReportDevice(figures, "null");
    pKit.reset();

    // The same again in two steps: the device with one small voice, then the
    // kit's 140 voices on that open device.
    const double heapEmpty = HeapBytesInUse();
    CSoundVoice opener;
    constexpr int kSmallestSound = 21;
    opener.Create(kFirstWaveId + kSmallestSound, nullptr);
    const double heapDevice = HeapBytesInUse();
    pKit = std::make_unique<CDrumKit>();
    pKit->Init();
    const double heapVoices = HeapBytesInUse() - heapDevice;
    const double sampleBytes = kVoicesPerSound * double(kTotalDataBytes);
    figures.Add("device_heap_mib",
                (heapDevice - heapEmpty - 2.0 * kWaveShapes[kSmallestSound].m_dataBytes) / kMiB,
                "MiB heap of the open device and context");
    figures.Add("voices_heap_mib", heapVoices / kMiB, "MiB heap of the 140 voices");
    figures.Add("sample_data_mib", sampleBytes / kMiB, "MiB of sample data in 140 voices");
    figures.Add("voice_overhead_kib",
                (heapVoices - 2.0 * sampleBytes) / kSoundCount / kVoicesPerSound / 1024.0,
                "KiB per voice beyond two copies of its sample");
}

void RunMicroBenchmarks(CFigures& figures, int* pArgc, char** argv) {
    Heading("Google Benchmark: warm Init and the strike alone (medians of 5 repetitions)");
    benchmark::Initialize(pArgc, argv);
    CMedianReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    s_pKit.reset();
    std::fflush(stdout);
    auto report = [&](const char* benchmarkName, const char* figure, const char* unit) {
        // Adjusted times are in the benchmark's own unit: ns unless set.
        if (const auto* pRun = reporter.Find(benchmarkName))
            figures.Add(figure, pRun->GetAdjustedRealTime(), unit);
    };
    std::printf("\n");
    report("BM_InitKit", "init_warm_ms", "ms (median; Init again in the process)");
    report("BM_PlayKeyRinging", "strike_ringing_ns", "ns (PlayKey, voice ringing)");
    report("BM_PlayKeySilent", "strike_silent_ns", "ns (PlayKey, voice silent)");
    if (const auto* pRun = reporter.Find("BM_InitKit")) {
        const auto faults = pRun->counters.find("faults");
        if (faults != pRun->counters.end())
            figures.Add("init_warm_faults", faults->second.value, "page faults taken by Init");
    }
    if (const auto* pRun = reporter.Find("BM_PlayKeyRinging")) {
        const auto news = pRun->counters.find("new");
        const auto heap = pRun->counters.find("malloc");
        if (news != pRun->counters.end())
            figures.Add("strike_new_per_stroke", news->second.value, "operator new per PlayKey");
        if (heap != pRun->counters.end())
            figures.Add("strike_malloc_per_stroke", heap->second.value,
                        "heap allocations per PlayKey");
    }
}
