// SPDX-License-Identifier: MIT
#include "StrokePath.h"
#include "AfxToolkit.h"

#include "AllocationCounter.h"
#include "BenchKit.h"
#include "DrumApp.h"
#include "DrumPadDlg.h"
#include "HeapCounter.h"
#include "KeyNames.h"
#include "QtEvents.h"

#include <QApplication>
#include <QKeyEvent>
#include <QTimer>
#include <QWidget>

#include <cstdlib>
#include <memory>
#include <vector>

namespace {

// Strokes of the kit alone, as fast as they come: the harshest case for OpenAL
// Soft's pools, every voice started again before its last start was mixed.
constexpr int kKitStrokes = 100000;

double TimerOverheadNs() {
    std::vector<double> gaps(10000);
    for (double& gap : gaps) {
        const auto a = CClock::now();
        const auto b = CClock::now();
        gap = NsBetween(a, b);
    }
    return SpreadOf(gaps).m_median;
}

struct SStrokeRun {
    SSpread m_time;
    double m_news = 0;
    double m_heap = 0;
};

// A key press of the drum box as X11 reports it: the native scan code is the
// kernel's key code plus 8. Qt numbers letter and digit keys by their character.
std::unique_ptr<QKeyEvent> KeyPress(ScanCode code) {
    return std::make_unique<QKeyEvent>(QEvent::KeyPress, int(KeyName(code)[0]), Qt::NoModifier,
                                       quint32(code) + 8, 0, 0);
}

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

void MeasureStrokePath(CFigures& figures, CDrumPadDlg& dlg, int strokes) {
    QWidget* pBox = AfxGetWidget(dlg.m_drumBox);
    if (!WaitUntil([&] { return AfxGetWidget(dlg) && AfxGetWidget(dlg)->isVisible(); }, 5000)) {
        std::printf("  the drum pad window did not show\n");
        return;
    }
    dlg.m_drumBox.SetFocus();
    if (!WaitUntil([&] { return QApplication::focusWidget() == pBox; }, 5000)) {
        std::printf("  the drum box did not take the focus\n");
        return;
    }
    CDrumKit& kit = dlg.m_kit;
    BindAll(kit);

    // The kit and the voices alone, on the same keys, from the first stroke
    // after Init on: OpenAL Soft allocates where its pools must grow, and they
    // grow with the first strokes. Every libc allocation on this thread counts,
    // OpenAL Soft's own told apart by the caller's address.
    int64_t kitNews = 0;
    int64_t kitHeap = 0;
    int64_t kitOpenAL = 0;
    for (int i = 0; i < kKitStrokes; ++i) {
        CAllocationCounter newCounter;
        CHeapCounter heapCounter;
        kit.PlayKey(kBenchKeys[i % kSoundCount]);
        kitNews += newCounter.Count();
        kitHeap += heapCounter.Count();
        kitOpenAL += heapCounter.CountOpenAL();
    }

    std::vector<std::unique_ptr<QKeyEvent>> events;
    for (ScanCode code : kBenchKeys)
        events.push_back(KeyPress(code));

    DeliverStrokes(pBox, events, 2000, false); // warm-up
    const SStrokeRun bound = DeliverStrokes(pBox, events, strokes, false);
    const SStrokeRun boundAllocations = DeliverStrokes(pBox, events, 2000, true);

    // One more stroke, checked: the window names the key and its sound starts.
    const ScanCode lastKey = kBenchKeys[kSoundCount - 1];
    const int32_t nextBefore = kit.m_next[kSoundCount - 1];
    QApplication::sendEvent(pBox, KeyPress(lastKey).get());
    const int strokeChecked =
        dlg.m_lastStroke == KeyName(lastKey) && kit.m_next[kSoundCount - 1] != nextBefore ? 1 : 0;

    // The same keys unbound: what is left is naming the key and showing it.
    for (ScanCode code : kBenchKeys)
        kit.Unassign(code);
    DeliverStrokes(pBox, events, 500, false);
    const SStrokeRun unbound = DeliverStrokes(pBox, events, strokes, false);
    const SStrokeRun unboundAllocations = DeliverStrokes(pBox, events, 2000, true);
    BindAll(kit);

    figures.Add("timer_overhead_ns", TimerOverheadNs(), "ns (one clock read, included below)");
    figures.Add("stroke_count", strokes, "strokes timed per run");
    figures.Add("stroke_median_ns", bound.m_time.m_median,
                "ns key event -> sound started (median)");
    figures.Add("stroke_p99_ns", bound.m_time.m_p99, "ns (99th percentile)");
    figures.Add("stroke_p999_ns", bound.m_time.m_p999, "ns (99.9th percentile)");
    figures.Add("stroke_max_ns", bound.m_time.m_max, "ns (slowest)");
    figures.Add("label_median_ns", unbound.m_time.m_median, "ns unbound key: name + display only");
    figures.Add("label_p99_ns", unbound.m_time.m_p99, "ns (99th percentile)");
    figures.Add("label_max_ns", unbound.m_time.m_max, "ns (slowest)");
    figures.Add("stroke_new_per_stroke", boundAllocations.m_news, "operator new per stroke, all");
    figures.Add("stroke_malloc_per_stroke", boundAllocations.m_heap,
                "heap allocations per stroke, all");
    figures.Add("label_new_per_stroke", unboundAllocations.m_news,
                "operator new per stroke, display");
    figures.Add("label_malloc_per_stroke", unboundAllocations.m_heap,
                "heap allocations per stroke, display");
    figures.Add("kit_new_per_stroke", double(kitNews) / kKitStrokes, "operator new per PlayKey");
    figures.Add("kit_malloc_per_stroke", double(kitHeap) / kKitStrokes,
                "heap allocations per PlayKey");
    figures.Add("kit_malloc_ours_per_100k", double(kitHeap - kitOpenAL) * 1e5 / kKitStrokes,
                "libc allocations per 100,000 PlayKey, kit + voice");
    figures.Add("kit_malloc_openal_per_100k", double(kitOpenAL) * 1e5 / kKitStrokes,
                "libc allocations per 100,000 PlayKey, OpenAL Soft");
    figures.Add("stroke_checked", strokeChecked,
                "(1: a stroke named its key and struck its sound)");
}

} // namespace

void RunStrokePath(CFigures& figures, int argc, char** argv, int strokes) {
    Heading("Stroke path: key event to the drum box -> OnKeyDownDrumBox -> PlayKey -> "
            "voice -> OpenAL Soft");
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication application(argc, argv);
    CDrumApp app;
    CDrumPadDlg dlg;
    app.m_pMainWnd = &dlg;
    QTimer::singleShot(0, [&] {
        MeasureStrokePath(figures, dlg, strokes);
        CDialog::CancelAllModal();
    });
    dlg.DoModal();
    app.m_pMainWnd = nullptr;
}
