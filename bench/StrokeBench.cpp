// SPDX-License-Identifier: MIT
// Figures of the road of one key stroke, on OpenAL Soft with whatever settings
// this copy of the program finds beside itself:
//   - Init of the kit: 140 voices from the built-in images, and the memory it takes;
//   - the strike alone: PlayKey on a bound key, its voice still ringing or silent;
//   - the stroke path: a key event delivered to the drum box of the real drum pad
//     window (Qt offscreen) through its handler, the kit, the voice and OpenAL
//     Soft, with the heap allocations made on the way;
//   - the output latency OpenAL Soft reports, and through the wave writer the
//     delay from a strike to the sample's first frame in the output.
//
// Every figure goes to standard output and, as "name value" lines, to the file
// given with --figures, for scripts/bench.sh to set side by side. OpenAL Soft
// reads its configuration once per process, so the wave writer runs in a fresh
// copy of this program (--wave-probe).
//
// Usage: stroke_bench [--figures FILE] [--strokes N] [Google Benchmark options]
#include "AfxQt.h"
#include "AllocationCounter.h"
#include "DrumApp.h"
#include "DrumKit.h"
#include "DrumPadDlg.h"
#include "DrumSetFile.h"
#include "HeapCounter.h"
#include "Resources.h"
#include "WaveImage.h"
#include "WaveTable.h"

#include <AL/al.h>
#include <AL/alc.h>
#include <AL/alext.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <benchmark/benchmark.h>

#include <malloc.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using CClock = std::chrono::steady_clock;

double NsBetween(CClock::time_point from, CClock::time_point to) {
    return std::chrono::duration<double, std::nano>(to - from).count();
}

// ---------------------------------------------------------------------------
// Figures.

FILE* g_pFigures = nullptr;

void Figure(const char* name, double value, const char* unit) {
    std::printf("  %-34s %14.3f %s\n", name, value, unit);
    if (g_pFigures != nullptr) {
        std::fprintf(g_pFigures, "%s %.6f\n", name, value);
        std::fflush(g_pFigures);
    }
}

void Heading(const char* text) {
    std::printf("\n%s\n", text);
}

struct SSpread {
    double m_median = 0;
    double m_p99 = 0;
    double m_p999 = 0;
    double m_max = 0;
};

// Nearest-rank percentiles.
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

// ---------------------------------------------------------------------------
// Memory.

long ResidentBytes() {
    long pages = 0;
    long resident = 0;
    if (FILE* pFile = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(pFile, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(pFile);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

// Heap bytes in use: small blocks and the large ones malloc maps on its own.
double HeapBytes() {
    const struct mallinfo2 info = mallinfo2();
    return double(info.uordblks) + double(info.hblkhd);
}

// ---------------------------------------------------------------------------
// The drum set: 28 keys over the letter rows and two digits, one per sound.

struct SKey {
    ScanCode m_code;
    int m_qtKey;
};

constexpr SKey kKeys[kSoundCount] = {
    {16, Qt::Key_Q}, {17, Qt::Key_W}, {18, Qt::Key_E}, {19, Qt::Key_R}, {20, Qt::Key_T},
    {21, Qt::Key_Y}, {22, Qt::Key_U}, {23, Qt::Key_I}, {24, Qt::Key_O}, {25, Qt::Key_P},
    {30, Qt::Key_A}, {31, Qt::Key_S}, {32, Qt::Key_D}, {33, Qt::Key_F}, {34, Qt::Key_G},
    {35, Qt::Key_H}, {36, Qt::Key_J}, {37, Qt::Key_K}, {38, Qt::Key_L}, {44, Qt::Key_Z},
    {45, Qt::Key_X}, {46, Qt::Key_C}, {47, Qt::Key_V}, {48, Qt::Key_B}, {49, Qt::Key_N},
    {50, Qt::Key_M}, {2, Qt::Key_1},  {3, Qt::Key_2},
};
constexpr ScanCode kStrikeKey = 30; // A, bound to sound 10 below
constexpr int kStrikeSound = 10;

void WriteDrumSet() {
    std::string names[kSoundCount];
    int32_t keyMap[kKeyMapSize];
    for (int32_t& entry : keyMap)
        entry = kNoSound;
    for (int s = 0; s < kSoundCount; ++s) {
        names[s] = "Sound " + std::to_string(s);
        keyMap[kKeys[s].m_code] = s;
    }
    std::ofstream("drums.set", std::ios::binary) << FormatDrumSet(names, keyMap);
}

void BindAll(CDrumKit& kit) {
    for (int s = 0; s < kSoundCount; ++s)
        kit.Assign(kKeys[s].m_code, s);
}

// Stops every voice of the sound: a position past the end silences a voice.
void SilenceSound(CDrumKit& kit, int sound) {
    for (int v = 0; v < kVoicesPerSound; ++v)
        kit.m_voices[sound * kVoicesPerSound + v].Play(UINT32_MAX, 0);
}

ALCdevice* CurrentDevice() {
    ALCcontext* pContext = alcGetCurrentContext();
    return pContext ? alcGetContextsDevice(pContext) : nullptr;
}

int64_t DeviceInteger64(ALCdevice* pDevice, ALCenum name) {
    static auto get = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
        alcGetProcAddress(pDevice, "alcGetInteger64vSOFT"));
    ALCint64SOFT value = -1;
    if (get != nullptr && pDevice != nullptr)
        get(pDevice, name, 1, &value);
    return value;
}

// The latency OpenAL Soft reports for the open device, and its mixing rates.
void ReportDevice(const char* prefix) {
    ALCdevice* pDevice = CurrentDevice();
    ALCint frequency = 0;
    ALCint refresh = 0;
    alcGetIntegerv(pDevice, ALC_FREQUENCY, 1, &frequency);
    alcGetIntegerv(pDevice, ALC_REFRESH, 1, &refresh);
    const std::string name(prefix);
    Figure((name + "_latency_ms").c_str(),
           double(DeviceInteger64(pDevice, ALC_DEVICE_LATENCY_SOFT)) / 1e6, "ms reported");
    Figure((name + "_output_hz").c_str(), frequency, "Hz");
    Figure((name + "_mixes_per_s").c_str(), refresh, "mixes a second (ALC_REFRESH)");
}

// ---------------------------------------------------------------------------
// Init and the strike alone.

void ReportInit() {
    Heading("Init: the device opened and 140 voices created from the built-in images");
    auto pKit = std::make_unique<CDrumKit>();
    const long residentBefore = ResidentBytes();
    const double heapBefore = HeapBytes();
    const auto start = CClock::now();
    pKit->Init();
    const auto end = CClock::now();
    const long residentAfter = ResidentBytes();
    const double heapAfter = HeapBytes();
    int created = 0;
    for (const CSoundVoice& voice : pKit->m_voices)
        created += voice.IsValid();
    Figure("init_cold_ms", NsBetween(start, end) / 1e6, "ms (first in the process)");
    Figure("init_voices", created, "voices created");
    Figure("init_resident_mib", double(residentAfter - residentBefore) / 1048576.0,
           "MiB more resident");
    Figure("init_heap_mib", (heapAfter - heapBefore) / 1048576.0, "MiB more heap in use");
    ReportDevice("null");
    pKit.reset();

    // The same again in two steps: the device with one small voice, then the
    // kit's 140 voices on that open device.
    const double heapEmpty = HeapBytes();
    CSoundVoice opener;
    constexpr int kSmallestSound = 21;
    opener.Create(kFirstWaveId + kSmallestSound, nullptr);
    const double heapDevice = HeapBytes();
    pKit = std::make_unique<CDrumKit>();
    pKit->Init();
    const double heapVoices = HeapBytes() - heapDevice;
    const double sampleBytes = kVoicesPerSound * double(kTotalDataBytes);
    Figure("device_heap_mib",
           (heapDevice - heapEmpty - 2.0 * kWaveShapes[kSmallestSound].m_dataBytes) / 1048576.0,
           "MiB heap of the open device and context");
    Figure("voices_heap_mib", heapVoices / 1048576.0, "MiB heap of the 140 voices");
    Figure("sample_data_mib", sampleBytes / 1048576.0, "MiB of sample data in 140 voices");
    Figure("voice_overhead_kib",
           (heapVoices - 2.0 * sampleBytes) / kSoundCount / kVoicesPerSound / 1024.0,
           "KiB per voice beyond two copies of its sample");
}

// Shared by the strike benchmarks: one kit, every key bound.
std::unique_ptr<CDrumKit> g_pKit;

CDrumKit& BenchKit() {
    if (!g_pKit) {
        g_pKit = std::make_unique<CDrumKit>();
        g_pKit->Init();
        BindAll(*g_pKit);
    }
    return *g_pKit;
}

// Init again and again with the library already loaded: device opened, voices
// created, drums.set read. Only Init is timed.
void BM_InitKit(benchmark::State& state) {
    g_pKit.reset();
    for (auto _ : state) {
        auto pKit = std::make_unique<CDrumKit>();
        const auto start = CClock::now();
        pKit->Init();
        state.SetIterationTime(NsBetween(start, CClock::now()) / 1e9);
        if (!pKit->m_voices[0].IsValid())
            state.SkipWithError("no sound device");
    }
}
BENCHMARK(BM_InitKit)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->Repetitions(5);

// A roll on one key: each strike cuts off and restarts a voice that still rings.
void BM_PlayKeyRinging(benchmark::State& state) {
    CDrumKit& kit = BenchKit();
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
    CDrumKit& kit = BenchKit();
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

// Keeps the console output and notes the median of each benchmark as a figure.
class CFigureReporter : public benchmark::ConsoleReporter {
public:
    CFigureReporter() : ConsoleReporter(OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median")
                continue;
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

void RunMicroBenchmarks(int* pArgc, char** argv) {
    Heading("Google Benchmark: Init and the strike alone (medians of 5 repetitions)");
    benchmark::Initialize(pArgc, argv);
    CFigureReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    g_pKit.reset();
    std::fflush(stdout);
    auto report = [&](const char* benchmarkName, const char* figure, double scale,
                      const char* unit) {
        if (const auto* pRun = reporter.Find(benchmarkName)) {
            // Adjusted times are in the benchmark's own unit: ns unless set.
            Figure(figure, pRun->GetAdjustedRealTime() * scale, unit);
        }
    };
    std::printf("\n");
    report("BM_InitKit", "init_warm_ms", 1.0, "ms (median, library loaded)");
    report("BM_PlayKeyRinging", "strike_ringing_ns", 1.0, "ns (PlayKey, voice ringing)");
    report("BM_PlayKeySilent", "strike_silent_ns", 1.0, "ns (PlayKey, voice silent)");
    if (const auto* pRun = reporter.Find("BM_PlayKeyRinging")) {
        const auto news = pRun->counters.find("new");
        const auto heap = pRun->counters.find("malloc");
        if (news != pRun->counters.end())
            Figure("strike_new_per_stroke", news->second.value, "operator new per PlayKey");
        if (heap != pRun->counters.end())
            Figure("strike_malloc_per_stroke", heap->second.value, "heap allocations per PlayKey");
    }
}

// ---------------------------------------------------------------------------
// The stroke path through the real drum pad window.

double TimerOverheadNs() {
    std::vector<double> gaps(10000);
    for (double& gap : gaps) {
        const auto a = CClock::now();
        const auto b = CClock::now();
        gap = NsBetween(a, b);
    }
    return SpreadOf(gaps).m_median;
}

bool WaitUntil(const std::function<bool()>& predicate, int milliseconds = 5000) {
    QElapsedTimer timer;
    timer.start();
    while (!predicate()) {
        if (timer.elapsed() > milliseconds)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

struct SStrokeRun {
    SSpread m_time;
    double m_news = 0;
    double m_heap = 0;
};

// Delivers `count` key presses to the drum box, going round the 28 keys, and
// times each delivery: sendEvent returns once the handler has named the key,
// refreshed the display and started the sound. The event loop runs between
// strokes, untimed, so the window repaints as it would between real strokes.
SStrokeRun DeliverStrokes(QWidget* pBox, std::vector<std::unique_ptr<QKeyEvent>>& events, int count,
                          bool countAllocations) {
    std::vector<double> times(static_cast<size_t>(count));
    int64_t news = 0;
    int64_t heap = 0;
    for (int i = 0; i < count; ++i) {
        QKeyEvent* pEvent = events[size_t(i) % events.size()].get();
        pEvent->setAccepted(false);
        if (countAllocations) {
            CAllocationCounter newCounter;
            CHeapCounter heapCounter;
            QApplication::sendEvent(pBox, pEvent);
            news += newCounter.Count();
            heap += heapCounter.Count();
        } else {
            const auto start = CClock::now();
            QApplication::sendEvent(pBox, pEvent);
            times[size_t(i)] = NsBetween(start, CClock::now());
        }
        QCoreApplication::processEvents();
    }
    SStrokeRun run;
    if (!countAllocations)
        run.m_time = SpreadOf(times);
    run.m_news = double(news) / count;
    run.m_heap = double(heap) / count;
    return run;
}

void MeasureStrokePath(CDrumPadDlg& dlg, int strokes) {
    QWidget* pBox = AfxGetWidget(dlg.m_drumBox);
    if (!WaitUntil([&] { return AfxGetWidget(dlg) && AfxGetWidget(dlg)->isVisible(); })) {
        std::printf("  the drum pad window did not show\n");
        return;
    }
    dlg.m_drumBox.SetFocus();
    if (!WaitUntil([&] { return QApplication::focusWidget() == pBox; })) {
        std::printf("  the drum box did not take the focus\n");
        return;
    }
    CDrumKit& kit = dlg.m_kit;
    BindAll(kit);

    // Native scan codes as X11 reports them: the kernel's key code plus 8.
    std::vector<std::unique_ptr<QKeyEvent>> events;
    for (const SKey& key : kKeys)
        events.push_back(std::make_unique<QKeyEvent>(QEvent::KeyPress, key.m_qtKey, Qt::NoModifier,
                                                     quint32(key.m_code) + 8, 0, 0));

    DeliverStrokes(pBox, events, 2000, false); // warm-up
    const SStrokeRun bound = DeliverStrokes(pBox, events, strokes, false);
    const SStrokeRun boundAllocations = DeliverStrokes(pBox, events, 2000, true);

    // One more stroke, checked: the window names the key and its sound starts.
    const SKey& lastKey = kKeys[kSoundCount - 1];
    const int32_t nextBefore = kit.m_next[kSoundCount - 1];
    QKeyEvent lastPress(QEvent::KeyPress, lastKey.m_qtKey, Qt::NoModifier,
                        quint32(lastKey.m_code) + 8, 0, 0);
    QApplication::sendEvent(pBox, &lastPress);
    const int strokeChecked =
        dlg.m_lastStroke == "2" && kit.m_next[kSoundCount - 1] != nextBefore ? 1 : 0;

    // The kit and the voices alone, on the same keys.
    int64_t kitNews = 0;
    int64_t kitHeap = 0;
    for (int i = 0; i < 2000; ++i) {
        CAllocationCounter newCounter;
        CHeapCounter heapCounter;
        kit.PlayKey(kKeys[i % kSoundCount].m_code);
        kitNews += newCounter.Count();
        kitHeap += heapCounter.Count();
    }

    // The same keys unbound: what is left is naming the key and showing it.
    for (const SKey& key : kKeys)
        kit.Unassign(key.m_code);
    DeliverStrokes(pBox, events, 500, false);
    const SStrokeRun unbound = DeliverStrokes(pBox, events, strokes, false);
    const SStrokeRun unboundAllocations = DeliverStrokes(pBox, events, 2000, true);
    BindAll(kit);

    Figure("timer_overhead_ns", TimerOverheadNs(), "ns (one clock read, included below)");
    Figure("stroke_count", strokes, "strokes timed per run");
    Figure("stroke_median_ns", bound.m_time.m_median, "ns key event -> sound started (median)");
    Figure("stroke_p99_ns", bound.m_time.m_p99, "ns (99th percentile)");
    Figure("stroke_p999_ns", bound.m_time.m_p999, "ns (99.9th percentile)");
    Figure("stroke_max_ns", bound.m_time.m_max, "ns (slowest)");
    Figure("label_median_ns", unbound.m_time.m_median, "ns unbound key: name + display only");
    Figure("label_p99_ns", unbound.m_time.m_p99, "ns (99th percentile)");
    Figure("label_max_ns", unbound.m_time.m_max, "ns (slowest)");
    Figure("stroke_new_per_stroke", boundAllocations.m_news, "operator new per stroke, all");
    Figure("stroke_malloc_per_stroke", boundAllocations.m_heap, "heap allocations per stroke, all");
    Figure("label_new_per_stroke", unboundAllocations.m_news, "operator new per stroke, display");
    Figure("label_malloc_per_stroke", unboundAllocations.m_heap,
           "heap allocations per stroke, display");
    Figure("kit_new_per_stroke", double(kitNews) / 2000, "operator new per PlayKey");
    Figure("kit_malloc_per_stroke", double(kitHeap) / 2000, "heap allocations per PlayKey");
    Figure("stroke_checked", strokeChecked, "(1: a stroke named its key and struck its sound)");
}

void RunStrokePath(int argc, char** argv, int strokes) {
    Heading("Stroke path: key event to the drum box -> OnKeyDownDrumBox -> PlayKey -> "
            "voice -> OpenAL Soft");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    CDrumApp app;
    CDrumPadDlg dlg;
    app.m_pMainWnd = &dlg;
    QTimer::singleShot(0, [&] {
        MeasureStrokePath(dlg, strokes);
        CDialog::CancelAllModal();
    });
    dlg.DoModal();
    app.m_pMainWnd = nullptr;
}

// ---------------------------------------------------------------------------
// The wave writer: where a strike lands in the output.

struct SWaveFile {
    int m_rate = 0;
    int m_channels = 0;
    std::vector<float> m_peak; // per frame, the largest magnitude over the channels
};

uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint16_t Le16(const unsigned char* p) {
    return uint16_t(p[0] | p[1] << 8);
}

// Reads 16-bit or 32-bit float PCM, plain or extensible; the data runs to the
// end of the file, whether or not the writer updated its size.
bool ReadWaveFile(const std::string& path, SWaveFile* pWave) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)),
                                           std::istreambuf_iterator<char>());
    if (bytes.size() < 12 || std::memcmp(bytes.data(), "RIFF", 4) != 0)
        return false;
    size_t at = 12;
    int tag = 0;
    int bits = 0;
    while (at + 8 <= bytes.size()) {
        const unsigned char* pChunk = bytes.data() + at;
        const uint32_t size = Le32(pChunk + 4);
        if (std::memcmp(pChunk, "fmt ", 4) == 0 && at + 8 + 16 <= bytes.size()) {
            tag = Le16(pChunk + 8);
            pWave->m_channels = Le16(pChunk + 10);
            pWave->m_rate = int(Le32(pChunk + 12));
            bits = Le16(pChunk + 22);
            if (tag == 0xFFFE && size >= 40)
                tag = Le16(pChunk + 8 + 24);
        } else if (std::memcmp(pChunk, "data", 4) == 0) {
            const int sampleBytes = bits / 8;
            if (pWave->m_channels <= 0 || (tag == 1 && bits != 16) || (tag == 3 && bits != 32) ||
                (tag != 1 && tag != 3))
                return false;
            const size_t frameBytes = size_t(sampleBytes) * size_t(pWave->m_channels);
            for (size_t f = at + 8; f + frameBytes <= bytes.size(); f += frameBytes) {
                float peak = 0;
                for (int c = 0; c < pWave->m_channels; ++c) {
                    const unsigned char* p = bytes.data() + f + size_t(c * sampleBytes);
                    float value = 0;
                    if (tag == 1) {
                        value = float(int16_t(Le16(p))) / 32768.0f;
                    } else {
                        const uint32_t raw = Le32(p);
                        std::memcpy(&value, &raw, sizeof value);
                    }
                    peak = std::max(peak, std::fabs(value));
                }
                pWave->m_peak.push_back(peak);
            }
            return true;
        }
        at += 8 + size + (size & 1);
    }
    return false;
}

constexpr float kOnsetLevel = 0.002f; // about -54 dB of full scale

// The first frame of the sample's own data at the onset level.
int SampleOnsetFrame(int sound) {
    SResourceImage image;
    const unsigned char* pFormat = nullptr;
    const unsigned char* pData = nullptr;
    uint32_t length = 0;
    if (!FindResourceImage(kResTypeWave, kFirstWaveId + sound, &image) ||
        !ParseWaveImage(image.m_pData, image.m_length, &pFormat, &pData, &length))
        return -1;
    const int channels = Le16(pFormat + 2);
    for (uint32_t at = 0, frame = 0; at + 2 <= length; at += 2) {
        if (std::fabs(float(int16_t(Le16(pData + at))) / 32768.0f) > kOnsetLevel)
            return int(frame);
        if ((at / 2 + 1) % uint32_t(channels) == 0)
            ++frame;
    }
    return -1;
}

struct SStrike {
    int64_t m_clockNs;                      // the device clock just before PlayKey
    CClock::time_point m_wall;              // the wall clock at the same moment
    std::vector<int64_t> m_clocks;          // device clock values seen after the strike...
    std::vector<CClock::time_point> m_seen; // ...and when each was first seen
};

int WaveProbe(const char* figuresPath, const char* wavePath) {
    g_pFigures = std::fopen(figuresPath, "a");
    Heading("Wave writer: the output latency and where strikes land in the output");
    auto pKit = std::make_unique<CDrumKit>();
    pKit->Init();
    BindAll(*pKit);
    ALCdevice* pDevice = CurrentDevice();
    if (pDevice == nullptr || !pKit->m_voices[0].IsValid()) {
        std::printf("  no wave writer device\n");
        return 1;
    }
    ReportDevice("wave");
    ALCint frequency = 0;
    alcGetIntegerv(pDevice, ALC_FREQUENCY, 1, &frequency);

    constexpr int kStrikes = 40;
    std::vector<SStrike> strikes(kStrikes);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    for (int i = 0; i < kStrikes; ++i) {
        // Strikes fall at every phase of the mixing period.
        std::this_thread::sleep_for(std::chrono::microseconds(60000 + (i * 7919) % 30000));
        SStrike& strike = strikes[size_t(i)];
        strike.m_clockNs = DeviceInteger64(pDevice, ALC_DEVICE_CLOCK_SOFT);
        strike.m_wall = CClock::now();
        pKit->PlayKey(kStrikeKey);
        int64_t last = strike.m_clockNs;
        const auto until = strike.m_wall + std::chrono::milliseconds(120);
        while (CClock::now() < until) {
            const int64_t clock = DeviceInteger64(pDevice, ALC_DEVICE_CLOCK_SOFT);
            if (clock != last) {
                strike.m_clocks.push_back(clock);
                strike.m_seen.push_back(CClock::now());
                last = clock;
            }
            std::this_thread::sleep_for(std::chrono::microseconds(50));
        }
        SilenceSound(*pKit, kStrikeSound);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    pKit.reset(); // closes the device: the writer finishes the file

    SWaveFile wave;
    if (!ReadWaveFile(wavePath, &wave) || wave.m_rate != frequency) {
        std::printf("  the wave writer's output could not be read\n");
        return 1;
    }
    const int sampleOnset = SampleOnsetFrame(kStrikeSound);
    std::vector<double> streamDelays;
    std::vector<double> mixWaits;
    const double nsPerFrame = 1e9 / wave.m_rate;
    for (const SStrike& strike : strikes) {
        // The output is silent before each strike: the voice before it was stopped.
        const int64_t from = std::max<int64_t>(0, int64_t(double(strike.m_clockNs) / nsPerFrame) -
                                                      wave.m_rate / 100);
        int64_t onset = -1;
        for (int64_t f = from; f < int64_t(wave.m_peak.size()); ++f) {
            if (wave.m_peak[size_t(f)] > kOnsetLevel) {
                onset = f - sampleOnset;
                break;
            }
        }
        if (onset < 0)
            continue;
        streamDelays.push_back((double(onset) * nsPerFrame - double(strike.m_clockNs)) / 1e6);
        // The first clock reading past the onset's frame: the mix that carried it is done.
        const double onsetEndNs = double(onset + 1) * nsPerFrame;
        for (size_t k = 0; k < strike.m_clocks.size(); ++k) {
            if (double(strike.m_clocks[k]) >= onsetEndNs) {
                mixWaits.push_back(NsBetween(strike.m_wall, strike.m_seen[k]) / 1e6);
                break;
            }
        }
    }
    // Each mix moves the device clock on by one period.
    std::vector<double> steps;
    for (const SStrike& strike : strikes) {
        for (size_t k = 1; k < strike.m_clocks.size(); ++k)
            steps.push_back(double(strike.m_clocks[k] - strike.m_clocks[k - 1]) / nsPerFrame);
    }
    Figure("wave_period_frames", std::round(SpreadOf(steps).m_median),
           "frames per mix (clock steps)");
    const SSpread stream = SpreadOf(streamDelays);
    const SSpread wait = SpreadOf(mixWaits);
    Figure("wave_strikes_found", double(streamDelays.size()), "of 40 strikes found in the output");
    Figure("wave_sample_onset_frames", sampleOnset, "frames of lead-in in the sample itself");
    Figure("wave_stream_delay_ms", stream.m_median,
           "ms strike clock -> first frame in output (median)");
    Figure("wave_stream_delay_max_ms", stream.m_max, "ms (largest)");
    Figure("wave_mix_wait_ms", wait.m_median, "ms real time strike -> mix carrying it (median)");
    Figure("wave_mix_wait_max_ms", wait.m_max, "ms (largest)");
    std::fclose(g_pFigures);
    return 0;
}

// Runs this program again under its own OpenAL Soft configuration.
void SpawnWaveProbe(const std::string& self, const std::string& dir, const char* figuresPath) {
    const std::string wave = dir + "/strikes.wav";
    const std::string config = dir + "/wave.conf";
    std::ofstream(config) << "[general]\ndrivers = wave\n[wave]\nfile = " << wave << "\n";
    setenv("ALSOFT_CONF", config.c_str(), 1);
    std::fflush(stdout);
    const char* argv[] = {self.c_str(), "--wave-probe", figuresPath, wave.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, const_cast<char**>(argv), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

std::string SelfPath(const char* argv0) {
    char self[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
    return n > 0 ? std::string(self, size_t(n)) : std::string(argv0);
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--wave-probe") == 0)
        return WaveProbe(argv[2], argv[3]);

    // Our own options out of the way of Google Benchmark's.
    std::string figuresPath = "/dev/null";
    int strokes = 20000;
    std::vector<char*> rest = {argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--figures") == 0 && i + 1 < argc)
            figuresPath = argv[++i];
        else if (std::strcmp(argv[i], "--strokes") == 0 && i + 1 < argc)
            strokes = std::max(100, std::atoi(argv[++i]));
        else
            rest.push_back(argv[i]);
    }
    rest.push_back(nullptr);
    int restCount = int(rest.size()) - 1;
    g_pFigures = std::fopen(figuresPath.c_str(), "w");
    if (g_pFigures == nullptr)
        return 1;
    figuresPath = std::filesystem::absolute(figuresPath).string();

    // A folder of our own for drums.set and the configurations.
    char dir[] = "/tmp/kadenzo-stroke-bench-XXXXXX";
    if (mkdtemp(dir) == nullptr)
        return 1;
    const std::string self = SelfPath(argv[0]);
    std::filesystem::current_path(dir);
    WriteDrumSet();

    // The null back end paces its mixing as a sound card would. Only the driver
    // is chosen here: the period settings come from beside the executable, if any.
    std::ofstream(std::string(dir) + "/null.conf") << "[general]\ndrivers = null\n";
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_CONF", (std::string(dir) + "/null.conf").c_str(), 1);
    std::printf("stroke_bench: %s\n", self.c_str());

    ReportInit();
    RunMicroBenchmarks(&restCount, rest.data());
    RunStrokePath(1, argv, strokes);
    std::fclose(g_pFigures);
    g_pFigures = nullptr;

    SpawnWaveProbe(self, dir, figuresPath.c_str());
    std::error_code error;
    std::filesystem::current_path("/", error);
    std::filesystem::remove_all(dir, error);
    return 0;
}
