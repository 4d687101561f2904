// SPDX-License-Identifier: MIT
#include "DrumKit.h"
#include "AllocationCounter.h"
#include "DrumSetFiles.h"
#include "FakeDirectSound.h"
#include "FileSystem.h"
#include "KitFakes.h"
#include "PlatformFileSystem.h"
#include "TempFolder.h"
#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kVoiceCount = kSoundCount * kVoicesPerSound;

// A kit initialised over the fake device, in a folder of its own.
class DrumKitOnFakeDevice : public ::testing::Test {
protected:
    void SetUp() override {
        m_kit.Init();
        ASSERT_EQ(kVoiceCount, m_fake.BuffersMade());
        m_fake.ClearLog();
    }

    CTempFolder m_folder;
    CFakeSoundScope m_fake;
    CDrumKit m_kit;
};

enum EStepKind { kKey, kSound, kAssign, kUnassign };

struct SStep {
    EStepKind m_kind;
    int m_a;
    int m_b = 0;
    int m_sound = -1; // for a stroke: the sound and voice expected to start; -1 for none
    int m_voice = -1;
};

SStep Key(int key, int sound = -1, int voice = -1) {
    return {kKey, key, 0, sound, voice};
}
SStep Sound(int sound, int expectedSound = -1, int voice = -1) {
    return {kSound, sound, 0, expectedSound, voice};
}
SStep Assign(int key, int sound) {
    return {kAssign, key, sound};
}
SStep Unassign(int key) {
    return {kUnassign, key};
}

struct SStrokeScript {
    const char* m_label;
    std::vector<SStep> m_steps;
};

std::ostream& operator<<(std::ostream& out, const SStrokeScript& s) {
    return out << s.m_label;
}

class Striking : public DrumKitOnFakeDevice, public ::testing::WithParamInterface<SStrokeScript> {};

TEST_P(Striking, StartsTheExpectedVoiceOrNothing) {
    int stroke = 0;
    for (const SStep& step : GetParam().m_steps) {
        switch (step.m_kind) {
        case kAssign:
            m_kit.Assign(step.m_a, step.m_b);
            continue;
        case kUnassign:
            m_kit.Unassign(step.m_a);
            continue;
        case kKey:
        case kSound:
            break;
        }
        ++stroke;
        int32_t countersBefore[kSoundCount];
        std::memcpy(countersBefore, m_kit.m_next, sizeof countersBefore);
        const size_t logBefore = m_fake.Log().size();
        if (step.m_kind == kKey)
            m_kit.PlayKey(static_cast<ScanCode>(step.m_a));
        else
            m_kit.PlaySound(step.m_a);

        const std::vector<SFakeCall>& log = m_fake.Log();
        if (step.m_sound < 0) {
            EXPECT_EQ(logBefore, log.size()) << "stroke " << stroke << " reached the device";
            EXPECT_EQ(0, std::memcmp(countersBefore, m_kit.m_next, sizeof countersBefore))
                << "stroke " << stroke << " moved a counter";
            continue;
        }
        // A strike is a rewind to the start and a single, not looping, play.
        const int buffer = BufferOf(step.m_sound, step.m_voice);
        ASSERT_EQ(logBefore + 2, log.size()) << "stroke " << stroke;
        EXPECT_EQ(EFakeOp::SetCurrentPosition, log[logBefore].m_op) << "stroke " << stroke;
        EXPECT_EQ(0u, log[logBefore].m_position) << "stroke " << stroke;
        EXPECT_EQ(EFakeOp::Play, log[logBefore + 1].m_op) << "stroke " << stroke;
        EXPECT_EQ(0u, log[logBefore + 1].m_flags) << "stroke " << stroke;
        EXPECT_EQ(buffer, log[logBefore].m_buffer) << "stroke " << stroke;
        EXPECT_EQ(buffer, log[logBefore + 1].m_buffer) << "stroke " << stroke;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, Striking,
    ::testing::Values(
        SStrokeScript{"SixthStrokeRestartsFirstVoice",
                      {Assign(30, 4), Key(30, 4, 1), Key(30, 4, 2), Key(30, 4, 3), Key(30, 4, 4),
                       Key(30, 4, 0), Key(30, 4, 1)}},
        SStrokeScript{"TwoKeysShareOneRing",
                      {Assign(30, 4), Assign(31, 4), Key(30, 4, 1), Key(31, 4, 2), Key(30, 4, 3),
                       Key(31, 4, 4)}},
        SStrokeScript{"AuditionSharesTheRing",
                      {Assign(30, 4), Key(30, 4, 1), Sound(4, 4, 2), Key(30, 4, 3)}},
        SStrokeScript{"SoundsKeepTheirOwnRings",
                      {Assign(30, 4), Assign(31, 5), Key(30, 4, 1), Key(31, 5, 1), Key(30, 4, 2)}},
        SStrokeScript{"UnboundKeyTouchesNothing",
                      {Assign(30, 4), Key(31), Key(0), Key(255), Key(30, 4, 1)}},
        SStrokeScript{"UnassignedKeyFallsSilent",
                      {Assign(30, 4), Key(30, 4, 1), Unassign(30), Key(30), Sound(4, 4, 2)}},
        SStrokeScript{"AssignReplacesTheSound", {Assign(30, 4), Assign(30, 6), Key(30, 6, 1)}},
        SStrokeScript{"AssignOutsideTheRangesChangesNothing",
                      {Assign(30, 4), Assign(30, 28), Assign(30, -1), Assign(30, kNoSound),
                       Assign(kNoKey, 5), Assign(-1, 5), Assign(256, 5), Unassign(kNoKey),
                       Unassign(-1), Key(30, 4, 1)}},
        SStrokeScript{"SoundOutsideTheKitIsSilent", {Sound(28), Sound(-1), Sound(kNoSound)}},
        SStrokeScript{"LowestAndHighestCodes",
                      {Assign(0, 1), Assign(255, 27), Key(0, 1, 1), Key(255, 27, 1)}}),
    [](const auto& info) { return std::string(info.param.m_label); });

TEST_F(DrumKitOnFakeDevice, StrokesAllocateNothing) {
    m_kit.Assign(16, 0);
    m_kit.Assign(30, 13);
    m_kit.Assign(57, 27);
    int64_t allocations = 0;
    {
        CAllocationCounter counter;
        for (int round = 0; round < 200; ++round) {
            m_kit.PlayKey(16);
            m_kit.PlayKey(30);
            m_kit.PlayKey(31); // unbound
            m_kit.PlaySound(27);
            m_kit.PlaySound(round % kSoundCount);
        }
        allocations = counter.Count();
    }
    EXPECT_EQ(0, allocations);
    EXPECT_FALSE(m_fake.LogOverflowed());
    EXPECT_EQ(4 * 200, m_fake.Count(EFakeOp::Play)); // the strokes did reach the device
}

struct SBindings {
    const char* m_label;
    std::vector<int> m_keys;    // bound in this order, each to sound key % 28
    std::vector<int> m_unbound; // then unbound again
    std::vector<int> m_rows;    // BoundKeyAt(0), BoundKeyAt(1), ...
};

std::ostream& operator<<(std::ostream& out, const SBindings& b) {
    return out << b.m_label;
}

class BoundKeys : public DrumKitOnFakeDevice, public ::testing::WithParamInterface<SBindings> {};

TEST_P(BoundKeys, StandInAscendingCodeOrder) {
    for (int key : GetParam().m_keys)
        m_kit.Assign(key, key % kSoundCount);
    for (int key : GetParam().m_unbound)
        m_kit.Unassign(key);
    const std::vector<int>& rows = GetParam().m_rows;
    for (size_t row = 0; row < rows.size(); ++row)
        EXPECT_EQ(rows[row], m_kit.BoundKeyAt(static_cast<int>(row))) << "row " << row;
}

INSTANTIATE_TEST_SUITE_P(
    Sets, BoundKeys,
    ::testing::Values(SBindings{"NoneBound", {}, {}, {255}},
                      SBindings{"TwoKeys", {16, 30}, {}, {16, 30, 255}},
                      SBindings{"BoundInReverse", {57, 30, 16}, {}, {16, 30, 57, 255}},
                      SBindings{"CodeZero", {30, 0}, {}, {0, 30, 255}},
                      SBindings{"AfterUnassign", {16, 30, 57}, {30}, {16, 57, 255}}),
    [](const auto& info) { return std::string(info.param.m_label); });

TEST_F(DrumKitOnFakeDevice, FillKeyListListsBoundKeysByCodeWithTheirSoundNames) {
    m_kit.m_names[0] = "Kick";
    m_kit.m_names[2] = "Snare";
    m_kit.Assign(57, 0);  // Space
    m_kit.Assign(16, 2);  // Q
    m_kit.Assign(30, 5);  // A: a sound with no name
    m_kit.Assign(120, 2); // Right Ctrl
    CRecordingKeyList list;
    list.m_rows.push_back({"left over", "row"});

    m_kit.FillKeyList(list);

    EXPECT_EQ((std::vector<std::string>{"delete all", "insert 0 Q", "set 0 1 Snare", "insert 1 A",
                                        "set 1 1 ", "insert 2 Space", "set 2 1 Kick",
                                        "insert 3 Right Ctrl", "set 3 1 Snare"}),
              list.m_calls);
    // A right-click on a row finds the key the row shows.
    const int keys[] = {16, 30, 57, 120};
    for (int row = 0; row < 4; ++row)
        EXPECT_EQ(keys[row], m_kit.BoundKeyAt(row));
}

TEST(DrumKitInit, ClearsBindingsThenReadsTheFile) {
    CTempFolder folder;
    WriteBytes("drums.set", "Kick\r\n" + std::string(27, '\n') + "255 255 0");
    CFakeSoundScope fake;
    CDrumKit kit;
    kit.Assign(40, 5);
    kit.Init();
    EXPECT_EQ("Kick", kit.m_names[0]);
    EXPECT_EQ(0, kit.m_keyMap[3]);
    EXPECT_EQ(kNoSound, kit.m_keyMap[40]);
    for (int sound = 0; sound < kSoundCount; ++sound)
        EXPECT_EQ(0, kit.m_next[sound]);
}

TEST(DrumKitInit, CreatesEveryVoiceFromItsSoundsSample) {
    CTempFolder folder;
    CFakeSoundScope fake;
    CDrumKit kit;
    kit.Init();
    EXPECT_EQ(1, fake.CreateAttempts());
    ASSERT_EQ(kVoiceCount, fake.BuffersMade());
    for (int voice = 0; voice < kVoiceCount; ++voice)
        EXPECT_TRUE(kit.m_voices[voice].IsValid()) << voice;
    // The five voices of a sound hold one sample; the next sound another.
    for (int sound = 0; sound < kSoundCount; ++sound) {
        for (int voice = 1; voice < kVoicesPerSound; ++voice)
            EXPECT_EQ(fake.Buffer(BufferOf(sound, 0)).m_memory,
                      fake.Buffer(BufferOf(sound, voice)).m_memory);
    }
    EXPECT_NE(fake.Buffer(BufferOf(0, 0)).m_memory, fake.Buffer(BufferOf(1, 0)).m_memory);
}

struct SDeviceCase {
    const char* m_label;
    kds::HRESULT m_code;
    int m_count;
    int m_attempts;
    int m_sleeps;
    int m_buffers;
};

std::ostream& operator<<(std::ostream& out, const SDeviceCase& c) {
    return out << c.m_label;
}

class DeviceAtInit : public ::testing::TestWithParam<SDeviceCase> {};

// One series of attempts tells whether there is a device: the kit must not wait
// through it again for each of its 140 voices.
TEST_P(DeviceAtInit, CostsAtMostOneSeriesOfAttempts) {
    const SDeviceCase& c = GetParam();
    CTempFolder folder;
    WriteBytes("drums.set", std::string("Kick\r\n") + std::string(27, '\n') + "255 255 0");
    CFakeSoundScope fake;
    fake.FailCreate(c.m_code, c.m_count);
    CDrumKit kit;
    kit.Init();

    EXPECT_EQ(c.m_attempts, fake.CreateAttempts());
    EXPECT_EQ(c.m_sleeps, fake.SleepCount());
    EXPECT_EQ(c.m_buffers, fake.BuffersMade());
    // Everything but the sound still works.
    EXPECT_EQ("Kick", kit.m_names[0]);
    EXPECT_EQ(0, kit.m_keyMap[3]);
    fake.ClearLog();
    kit.PlayKey(3);
    EXPECT_EQ(c.m_buffers == 0 ? 0 : 1, fake.Count(EFakeOp::Play));
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceAtInit,
    ::testing::Values(
        SDeviceCase{"NoDriver", kds::DSERR_NODRIVER, CFakeSoundScope::kAlways, 10, 9, 0},
        SDeviceCase{"AlwaysBusy", kds::DSERR_ALLOCATED, CFakeSoundScope::kAlways, 10, 9, 0},
        SDeviceCase{"OtherFailure", kds::DSERR_GENERIC, CFakeSoundScope::kAlways, 1, 0, 0},
        SDeviceCase{"BusyTwiceThenFree", kds::DSERR_ALLOCATED, 2, 3, 2, kVoiceCount}),
    [](const auto& info) { return std::string(info.param.m_label); });

TEST(DrumKitInit, VoiceFailuresWithTheDeviceOpenDoNotStopTheOthers) {
    CTempFolder folder;
    CFakeSoundScope fake;
    fake.FailCreateBuffer(kds::DSERR_OUTOFMEMORY, 3);
    CDrumKit kit;
    kit.Init();
    EXPECT_EQ(1, fake.CreateAttempts());
    EXPECT_EQ(kVoiceCount, fake.Count(EFakeOp::CreateSoundBuffer));
    EXPECT_EQ(kVoiceCount - 3, fake.BuffersMade());
}

TEST(DrumKitDestruction, WithoutInitLeavesTheFileAlone) {
    CTempFolder folder;
    const std::string userFile = "Kick\r\nSnare\r\n";
    WriteBytes("drums.set", userFile);
    {
        CFakeSoundScope fake;
        CDrumKit kit;
    }
    EXPECT_EQ(userFile, ReadBytes("drums.set"));
    std::filesystem::remove("drums.set");
    {
        CFakeSoundScope fake;
        CDrumKit kit;
    }
    EXPECT_FALSE(std::filesystem::exists("drums.set"));
}

TEST(DrumKitDestruction, FirstRunLeavesEmptyFileThenEmptySet) {
    CTempFolder folder;
    CFakeSoundScope fake;
    {
        CDrumKit kit;
        kit.Init();
        EXPECT_EQ("", ReadBytes("drums.set"));
    }
    EXPECT_EQ(EmptySetBytes(), ReadBytes("drums.set"));
}

// Notes how many buffers were alive when the file was put in place.
class CRenameWatch : public CPlatformFileSystem {
public:
    explicit CRenameWatch(const CFakeSoundScope& fake) : m_fake(fake) { SetFileSystem(this); }
    ~CRenameWatch() override { SetFileSystem(nullptr); }
    int Rename(const char* from, const char* to) override {
        m_liveBuffersAtRename = m_fake.LiveBuffers();
        return CPlatformFileSystem::Rename(from, to);
    }

    const CFakeSoundScope& m_fake;
    int m_liveBuffersAtRename = -1;
};

TEST(DrumKitDestruction, WritesTheRunsChangesThenReleasesVoicesLastFirst) {
    CTempFolder folder;
    CFakeSoundScope fake;
    CRenameWatch watch(fake);
    {
        CDrumKit kit;
        kit.Init();
        kit.m_names[2] = "Clap";
        kit.Assign(30, 2);
        fake.ClearLog();
    }
    EXPECT_EQ(kVoiceCount, watch.m_liveBuffersAtRename);

    std::vector<int> released;
    for (const SFakeCall& call : fake.Log()) {
        if (call.m_op == EFakeOp::ReleaseBuffer)
            released.push_back(call.m_buffer);
    }
    ASSERT_EQ(static_cast<size_t>(kVoiceCount), released.size());
    for (int i = 0; i < kVoiceCount; ++i)
        EXPECT_EQ(kVoiceCount - i, released[static_cast<size_t>(i)]);
    ASSERT_FALSE(fake.Log().empty());
    EXPECT_EQ(EFakeOp::ReleaseDevice, fake.Log().back().m_op);
    EXPECT_EQ(0, fake.MisuseCount());

    CDrumKit reloaded;
    ASSERT_EQ(1, reloaded.LoadSet("drums.set"));
    EXPECT_EQ("Clap", reloaded.m_names[2]);
    EXPECT_EQ(2, reloaded.m_keyMap[30]);
}

} // namespace
