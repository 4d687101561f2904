// SPDX-License-Identifier: MIT
// The drum pad window's own stroke path on the real OpenAL Soft back end (its
// null driver): key events by the hundred thousand into the drum box, held keys
// among them, the window painting as it goes. Nothing may fail, and memory must
// stay where it was once the session is under way.
#include "AfxToolkit.h"
#include "DialogDriver.h"
#include "DrumPadDlg.h"
#include "DrumSetFiles.h"
#include "KeyNames.h"
#include "OpenALTestSupport.h"
#include "ProcessMemory.h"
#include "TempFolder.h"
#include "TestFiles.h"
#include "UiTestSupport.h"

#include <AL/al.h>

#include <QApplication>

#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <thread>

namespace {

constexpr int kStrokes = 100000;
constexpr int kSettleStrokes = 1000;
constexpr long kGrowthAllowedKiB = 512;
// AddressSanitizer's allocator keeps freed blocks aside and grows its caches
// for tens of thousands of strokes of the window's ordinary churn (event
// texts, painting): resident memory there tells nothing about ours.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsOurs = false;
#else
constexpr bool kMemoryIsOurs = true;
#endif

constexpr int kSoakGuardMs = 300000;

class DrumPadSoak : public ::testing::Test {
protected:
    CAlsoftConfig m_config{"[general]\ndrivers = null\n"};
    CTempFolder m_folder;
};

TEST_F(DrumPadSoak, HundredThousandKeyEventsKeepMemoryFlat) {
    WriteBytes("drums.set", StarterSet());
    CDrumPadDlg dlg;
    AfxGetApp()->m_pMainWnd = &dlg;
    std::vector<unsigned> bound;
    long settledKiB = -1;
    long endKiB = -1;
    int strokes = 0;
    unsigned lastCode = 0;
    DriveModal(
        dlg,
        [&] {
            for (int code = 1; code < kKeyMapSize; ++code) {
                if (dlg.m_kit.m_keyMap[code] >= 0 && dlg.m_kit.m_keyMap[code] < kSoundCount)
                    bound.push_back(static_cast<unsigned>(code));
            }
            ASSERT_FALSE(bound.empty());
            PressKey(Qt::Key_Tab, kKeyTab);
            QWidget* pDrumBox = AfxGetWidget(dlg.m_drumBox);
            ASSERT_TRUE(WaitUntil([&] { return FocusWidget() == pDrumBox; }));

            std::mt19937 random(1234);
            while (strokes < kStrokes) {
                const unsigned code = bound[random() % bound.size()];
                // A key held down repeats; most hits are single.
                const int burst = random() % 4 == 0 ? 10 + static_cast<int>(random() % 30) : 1;
                for (int i = 0; i < burst; ++i)
                    SendKeyPress(pDrumBox, Qt::Key_A, code, Qt::NoModifier, i > 0);
                strokes += burst;
                lastCode = code;
                // The window paints what it was told, and the mixer runs, between hits.
                QApplication::processEvents();
                std::this_thread::sleep_for(std::chrono::microseconds(500));
                if (settledKiB < 0 && strokes >= kSettleStrokes)
                    settledKiB = ResidentKiB();
            }
            QApplication::processEvents();
            endKiB = ResidentKiB();
            // The strokes went the whole way: named in the window, sounding.
            EXPECT_EQ(LabelText(AfxGetDlgItem(dlg, IDC_LAST_STROKE)).toStdString(),
                      KeyName(static_cast<ScanCode>(lastCode)));
            EXPECT_GT(PlayingSources(), 0);
            EXPECT_EQ(AL_NO_ERROR, alGetError());
            PressKey(Qt::Key_Escape, kKeyEsc);
        },
        // The whole soak runs inside the one modal run: minutes under the
        // sanitizers on a busy machine.
        kSoakGuardMs);
    AfxGetApp()->m_pMainWnd = nullptr;
    std::printf(
        "drum pad window: resident memory after %d key events: %ld KiB, after %d: %ld KiB\n",
        kSettleStrokes, settledKiB, strokes, endKiB);
    ASSERT_GT(settledKiB, 0);
    if (kMemoryIsOurs) {
        EXPECT_LE(endKiB - settledKiB, kGrowthAllowedKiB);
    }
}

} // namespace
