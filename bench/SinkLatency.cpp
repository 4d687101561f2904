// SPDX-License-Identifier: MIT
// The delay a listener hears on a desktop: from an X key event sent to the real
// program to the stroke's first sample at the sound server's sink, as a
// recording of the sink's monitor shows it.
//
// Usage: parec --raw --latency-msec=5 --format=s16le --channels=2 --rate=RATE
//            -d SINK.monitor | sink_latency RATE KEYCODE STROKES PREFIX [--figures FILE]
// The program must hold the keyboard focus in its drum box, and KEYCODE must
// strike a short sound. Each stroke is an `xdotool key` run, STROKES of them
// 0.6 s apart. Figures are named PREFIX_...
//
// Timestamps, all on the monotonic clock:
// - the key event: when the xdotool run has ended (it sends the event, flushes
//   it to the X server and exits). The event left at most the run's duration
//   earlier; that span is reported too.
// - the capture: every read of the recording is stamped as it returns, and its
//   last frame taken as reaching the monitor at that moment, earlier frames a
//   frame period each before it. That is late by the server's delivery (the
//   record fragment, at most --latency-msec, and the pipe): an upper bound.
//   The lower bound anchors the whole recording on its earliest-arriving read
//   (the sink's clock is the system's, so frame n plays at anchor + n / rate):
//   a frame cannot reach the monitor after it reaches us. The true figure lies
//   between the two; their difference is the error of the capture's timestamp.
#include "BenchFigures.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace {

// Above this (of full scale) a frame is sound; below it, silence.
constexpr double kSound = 0.01;
// The silence that must come before a stroke's first frame.
constexpr double kGapSeconds = 0.08;
constexpr double kStrokeGapSeconds = 0.6;

struct SRead {
    int64_t m_endFrame; // one past the last frame it brought
    double m_arrivedNs; // monotonic, since the epoch of CClock
};

class CRecording {
public:
    void Add(const int16_t* pFrames, size_t frames, double arrivedNs) {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (size_t i = 0; i < frames; ++i) {
            const int a = std::abs(int(pFrames[2 * i]));
            const int b = std::abs(int(pFrames[2 * i + 1]));
            m_levels.push_back(float(std::max(a, b)) / 32768.0f);
        }
        m_reads.push_back({int64_t(m_levels.size()), arrivedNs});
    }
    int64_t Frames() {
        std::lock_guard<std::mutex> lock(m_mutex);
        return int64_t(m_levels.size());
    }
    // Frames' levels and the reads, once recording has ended.
    std::vector<float> m_levels;
    std::vector<SRead> m_reads;

private:
    std::mutex m_mutex;
};

double NowNs() {
    return double(
        std::chrono::duration_cast<std::chrono::nanoseconds>(CClock::now().time_since_epoch())
            .count());
}

// Reads the raw recording from standard input until told to stop.
void Record(CRecording* pRecording, std::atomic<bool>* pStop) {
    std::vector<char> buffer(1 << 16);
    size_t held = 0;
    while (!pStop->load()) {
        const ssize_t got = read(0, buffer.data() + held, buffer.size() - held);
        const double arrived = NowNs();
        if (got <= 0)
            return;
        held += size_t(got);
        const size_t frames = held / 4;
        pRecording->Add(reinterpret_cast<const int16_t*>(buffer.data()), frames, arrived);
        std::memmove(buffer.data(), buffer.data() + frames * 4, held - frames * 4);
        held -= frames * 4;
    }
}

// One `xdotool key CODE` run; its start and end.
int Strike(const char* code, double* pStartNs, double* pEndNs) {
    *pStartNs = NowNs();
    const pid_t pid = fork();
    if (pid == 0) {
        execlp("xdotool", "xdotool", "key", "--delay", "0", code, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid)
        return 0;
    *pEndNs = NowNs();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The first frames of sounds: above kSound after kGapSeconds below it.
std::vector<int64_t> Onsets(const std::vector<float>& levels, double rate) {
    std::vector<int64_t> onsets;
    const int64_t gap = int64_t(kGapSeconds * rate);
    int64_t quiet = 0;
    for (size_t n = 0; n < levels.size(); ++n) {
        if (levels[n] < kSound) {
            ++quiet;
            continue;
        }
        if (quiet >= gap)
            onsets.push_back(int64_t(n));
        quiet = 0;
    }
    return onsets;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 5 && !(argc == 7 && std::strcmp(argv[5], "--figures") == 0)) {
        std::fprintf(stderr, "usage: sink_latency RATE KEYCODE STROKES PREFIX [--figures FILE]\n");
        return 2;
    }
    const double rate = std::atof(argv[1]);
    const char* code = argv[2];
    const int strokes = std::atoi(argv[3]);
    const std::string prefix = argv[4];
    CFigures figures(argc == 7 ? argv[6] : "", true);
    if (!figures.IsOpen() || rate <= 0 || strokes <= 0)
        return 2;

    CRecording recording;
    std::atomic<bool> stop(false);
    std::thread reader(Record, &recording, &stop);
    // A second of the stream flowing (silence) before the first stroke.
    const auto until = CClock::now() + std::chrono::seconds(20);
    while (recording.Frames() < int64_t(rate) && CClock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    std::vector<double> starts(static_cast<size_t>(strokes));
    std::vector<double> ends(static_cast<size_t>(strokes));
    int ok = recording.Frames() >= int64_t(rate);
    for (int i = 0; ok && i < strokes; ++i) {
        ok = Strike(code, &starts[size_t(i)], &ends[size_t(i)]);
        std::this_thread::sleep_for(std::chrono::duration<double>(kStrokeGapSeconds));
    }
    stop = true;
    // The reader ends with the next read; the recording goes on meanwhile.
    reader.join();
    if (!ok) {
        std::fprintf(stderr, "sink_latency: no recording, or xdotool failed\n");
        return 1;
    }

    // Anchor: the sink's frame n reached the monitor no later than anchor + n / rate.
    double anchor = 1e300;
    for (const SRead& read : recording.m_reads)
        anchor = std::min(anchor, read.m_arrivedNs - double(read.m_endFrame) * 1e9 / rate);
    const auto arrival = [&](int64_t frame) {
        const auto found =
            std::upper_bound(recording.m_reads.begin(), recording.m_reads.end(), frame,
                             [](int64_t f, const SRead& read) { return f < read.m_endFrame; });
        return found->m_arrivedNs - double(found->m_endFrame - 1 - frame) * 1e9 / rate;
    };
    const std::vector<int64_t> onsets = Onsets(recording.m_levels, rate);
    std::vector<double> late;
    std::vector<double> early;
    std::vector<double> spans;
    size_t next = 0;
    for (int i = 0; i < strokes; ++i) {
        const double start = starts[size_t(i)];
        const double end = ends[size_t(i)];
        while (next < onsets.size() && arrival(onsets[next]) < start)
            ++next;
        if (next == onsets.size())
            break;
        const double heard = arrival(onsets[next]);
        if (heard - end > kStrokeGapSeconds * 1e9)
            continue; // not heard: the next sound is the next stroke's
        late.push_back((heard - end) / 1e6);
        early.push_back((anchor + double(onsets[next]) * 1e9 / rate - end) / 1e6);
        spans.push_back((end - start) / 1e6);
        ++next;
    }
    figures.Add(prefix + "_heard", double(late.size()), "strokes heard at the sink");
    if (late.empty())
        return 1;
    const SSpread spread = SpreadOf(late);
    figures.Add(prefix + "_ms", spread.m_median, "ms key event -> first sample at the sink");
    figures.Add(prefix + "_max_ms", spread.m_max, "ms, the slowest stroke");
    figures.Add(prefix + "_low_ms", SpreadOf(early).m_median, "ms, the capture's lower bound");
    figures.Add(prefix + "_xdotool_ms", SpreadOf(spans).m_median, "ms an xdotool run took");
    return 0;
}
