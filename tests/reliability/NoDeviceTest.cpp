// SPDX-License-Identifier: MIT
// No sound device at all: OpenAL Soft given only a driver that does not exist,
// with the real pauses between attempts. The kit spends one series of attempts,
// then works silently, and the drum set file is still read and written.
#include "DirectSound.h"
#include "DrumKit.h"
#include "DrumSetFiles.h"
#include "KitFakes.h"
#include "OpenALSeams.h"
#include "OpenALTestSupport.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

int g_attempts = 0;

kds::HRESULT CountingCreate(const void* pGuidDevice, kds::IDirectSound** ppDevice,
                            void* pUnkOuter) {
    ++g_attempts;
    return kds::OpenALDirectSoundCreate(pGuidDevice, ppDevice, pUnkOuter);
}

class NoSoundDevice : public ::testing::Test {
protected:
    NoSoundDevice() {
        kds::SetDirectSoundCreate(&CountingCreate);
        // Every attempt is answered, however busy the machine.
        kds::SetOpenWaitMs(60000);
    }
    ~NoSoundDevice() override {
        kds::SetDirectSoundCreate(nullptr);
        kds::SetOpenWaitMs(0);
    }

    CAlsoftConfig m_config{"[general]\ndrivers = kadenzo-no-such-driver\n"};
    CTempFolder m_folder;
};

TEST_F(NoSoundDevice, OneSeriesOfAttemptsThenKeysNamedSilentAndFileKept) {
    // Line feeds only, as an editor might leave it: the rewrite at the end shows.
    std::string starter = StarterSet();
    starter.erase(std::remove(starter.begin(), starter.end(), '\r'), starter.end());
    WriteBytes("drums.set", starter);

    CRecordingKeyList list;
    {
        CDrumKit kit;
        const auto start = std::chrono::steady_clock::now();
        kit.Init();
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        std::printf("no sound device: %d attempts to open it, Init took %.2f s\n", g_attempts,
                    seconds);
        EXPECT_EQ(10, g_attempts);
        EXPECT_EQ(0, CSoundVoice::IsDeviceOpen());
        for (const CSoundVoice& voice : kit.m_voices)
            EXPECT_EQ(0, voice.IsValid());

        // The file was read: its names and bindings are there and shown.
        EXPECT_EQ("Crash", kit.m_names[0]);
        kit.FillKeyList(list);
        ASSERT_FALSE(list.m_rows.empty());
        for (const auto& row : list.m_rows) {
            EXPECT_FALSE(row.first.empty());
            EXPECT_FALSE(row.second.empty()) << "key " << row.first;
        }

        // Every key and every sound strikes nothing and asks for no device.
        for (int code = 0; code < kKeyMapSize; ++code)
            kit.PlayKey(static_cast<ScanCode>(code));
        for (int sound = 0; sound < kSoundCount; ++sound)
            kit.PlaySound(sound);
        EXPECT_EQ(10, g_attempts);

        kit.m_names[5] = "Renamed while silent";
        kit.Assign(30, 5);
    }

    CDrumKit reloaded;
    ASSERT_EQ(1, reloaded.LoadSet("drums.set"));
    EXPECT_EQ("Renamed while silent", reloaded.m_names[5]);
    EXPECT_EQ(5, reloaded.m_keyMap[30]);
    EXPECT_EQ("Crash", reloaded.m_names[0]);
    const std::string saved = ReadBytes("drums.set");
    EXPECT_EQ(static_cast<size_t>(kSoundCount), std::count(saved.begin(), saved.end(), '\r'));
}

} // namespace
