// SPDX-License-Identifier: MIT
#include "SoundVoice.h"
#include "AllocationCounter.h"
#include "FakeDirectSound.h"
#include "Resources.h"
#include "WaveTable.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr int kVoices = 140;
constexpr int kFirstId = 300;

kds::HWND FakeWindow(uintptr_t n) {
    return reinterpret_cast<kds::HWND>(n);
}

SResourceImage Image(int id) {
    SResourceImage image;
    EXPECT_EQ(1, FindResourceImage(kResTypeWave, id, &image));
    return image;
}

// The 140 voices of a kit, created the way the kit creates them.
struct SKitVoices {
    CSoundVoice m_voices[kVoices];
    void CreateAll() {
        for (int i = 0; i < kVoices; ++i)
            m_voices[i].Create(kFirstId + i / 5, nullptr);
    }
};

class SoundVoiceTest : public ::testing::Test {
protected:
    void TearDown() override {
        EXPECT_EQ(0, m_fake.MisuseCount());
        EXPECT_FALSE(m_fake.LogOverflowed());
    }
    CFakeSoundScope m_fake;
};

TEST_F(SoundVoiceTest, KitOpensAndBindsOneDeviceForAllVoices) {
    m_fake.SetMainWindow(FakeWindow(0x51));
    SKitVoices kit;
    kit.CreateAll();

    EXPECT_EQ(1, m_fake.CreateAttempts());
    EXPECT_EQ(0, m_fake.SleepCount());
    ASSERT_EQ(1, m_fake.Count(EFakeOp::SetCooperativeLevel));
    const int bind = m_fake.IndexOf(EFakeOp::SetCooperativeLevel, CFakeSoundScope::kAnyBuffer);
    EXPECT_EQ(1, bind) << "bound right after the device opened, before the first buffer";
    EXPECT_EQ(FakeWindow(0x51), m_fake.Log()[bind].m_window);
    EXPECT_EQ(kds::DSSCL_NORMAL, m_fake.Log()[bind].m_flags);
    ASSERT_EQ(kVoices, m_fake.BuffersMade());

    for (int i = 0; i < kVoices; ++i) {
        const SWaveShape& shape = kWaveShapes[i / 5];
        const SResourceImage image = Image(shape.m_id);
        const SFakeBufferState& buffer = m_fake.Buffer(i + 1);
        EXPECT_TRUE(kit.m_voices[i].IsValid()) << i;
        EXPECT_EQ(shape.m_dataBytes, buffer.m_bytes) << i;
        EXPECT_EQ(kds::DSBCAPS_STATIC, buffer.m_flags) << i;
        EXPECT_EQ(image.m_pData + 20, buffer.m_pFormat) << i;
        ASSERT_EQ(shape.m_dataBytes, buffer.m_memory.size());
        EXPECT_EQ(0, std::memcmp(image.m_pData + 44, buffer.m_memory.data(), shape.m_dataBytes))
            << "voice " << i << " holds its whole sample";
    }
    for (const SFakeCall& call : m_fake.Log()) {
        EXPECT_TRUE(call.m_plainArgs) << int(call.m_op);
        if (call.m_op == EFakeOp::CreateSoundBuffer) {
            EXPECT_EQ(20u, call.m_descSize);
        }
        if (call.m_op == EFakeOp::Lock) {
            EXPECT_EQ(0u, call.m_position);
            EXPECT_EQ(0u, call.m_bytes);
            EXPECT_EQ(kds::DSBLOCK_ENTIREBUFFER, call.m_flags);
        }
        if (call.m_op == EFakeOp::Unlock) {
            EXPECT_EQ(m_fake.Buffer(call.m_buffer).m_bytes, call.m_bytes);
        }
    }
}

struct SOpenCase {
    const char* m_name;
    kds::HRESULT m_code;
    int m_failures;
    int m_attempts;
    int m_created;
};

class DeviceOpenTest : public SoundVoiceTest, public ::testing::WithParamInterface<SOpenCase> {};

TEST_P(DeviceOpenTest, RetriesOnlyBusyOrMissingDriverTenTimesWithPauses) {
    const SOpenCase& c = GetParam();
    m_fake.FailCreate(c.m_code, c.m_failures);
    CSoundVoice voice;
    EXPECT_EQ(c.m_created, voice.Create(kFirstId, nullptr));
    EXPECT_EQ(c.m_attempts, m_fake.CreateAttempts());
    EXPECT_EQ(c.m_attempts - 1, m_fake.SleepCount());
    EXPECT_EQ(500u * (c.m_attempts - 1), m_fake.SleptMilliseconds());
    // A pause comes before every attempt but the first, never after the last.
    for (size_t i = 0; i < m_fake.Log().size(); ++i) {
        const SFakeCall& call = m_fake.Log()[i];
        if (call.m_op == EFakeOp::Sleep) {
            EXPECT_EQ(500u, call.m_bytes);
            ASSERT_LT(i + 1, m_fake.Log().size());
            EXPECT_EQ(EFakeOp::Create, m_fake.Log()[i + 1].m_op);
        }
    }
    EXPECT_EQ(c.m_created, voice.IsValid());
    EXPECT_EQ(c.m_created, CSoundVoice::IsDeviceOpen());
    EXPECT_EQ(c.m_created, m_fake.Count(EFakeOp::SetCooperativeLevel));
    EXPECT_EQ(c.m_created, m_fake.Count(EFakeOp::CreateSoundBuffer));
}

INSTANTIATE_TEST_SUITE_P(
    Codes, DeviceOpenTest,
    ::testing::Values(SOpenCase{"OpensAtOnce", kds::DSERR_ALLOCATED, 0, 1, 1},
                      SOpenCase{"BusyTwice", kds::DSERR_ALLOCATED, 2, 3, 1},
                      SOpenCase{"NoDriverNineTimes", kds::DSERR_NODRIVER, 9, 10, 1},
                      SOpenCase{"NoDriver", kds::DSERR_NODRIVER, CFakeSoundScope::kAlways, 10, 0},
                      SOpenCase{"AlwaysBusy", kds::DSERR_ALLOCATED, CFakeSoundScope::kAlways, 10,
                                0},
                      SOpenCase{"OtherFailure", kds::DSERR_GENERIC, CFakeSoundScope::kAlways, 1, 0},
                      SOpenCase{"OutOfMemory", kds::DSERR_OUTOFMEMORY, 1, 1, 0}),
    [](const auto& info) { return info.param.m_name; });

TEST_F(SoundVoiceTest, FailedOpenIsRetriedWholeByEveryCreationAndStrikesStaySilent) {
    m_fake.FailCreate(kds::DSERR_NODRIVER, CFakeSoundScope::kAlways);
    CSoundVoice voices[3];
    EXPECT_EQ(0, voices[0].Create(kFirstId, nullptr));
    EXPECT_EQ(0, voices[1].Create(kFirstId + 1, nullptr));
    EXPECT_EQ(20, m_fake.CreateAttempts());
    EXPECT_EQ(18, m_fake.SleepCount());
    for (CSoundVoice& voice : voices) {
        EXPECT_EQ(0, voice.IsValid());
        voice.Play(0, 0);
    }
    EXPECT_EQ(0, m_fake.Count(EFakeOp::SetCurrentPosition));
    EXPECT_EQ(0, m_fake.Count(EFakeOp::Play));

    m_fake.FailCreate(kds::DSERR_NODRIVER, 0);
    EXPECT_EQ(1, voices[2].Create(kFirstId + 2, nullptr));
    EXPECT_EQ(21, m_fake.CreateAttempts());
    EXPECT_EQ(0, voices[0].IsValid()) << "a failed voice stays silent after the device opens";
}

TEST_F(SoundVoiceTest, UnknownResourceFailsWithoutTouchingTheDevice) {
    CSoundVoice voice;
    EXPECT_EQ(0, voice.Create(kFirstId + 28, nullptr));
    EXPECT_EQ(0, voice.Create(kFirstId - 1, nullptr));
    EXPECT_EQ(0, m_fake.CreateAttempts());
    EXPECT_TRUE(m_fake.Log().empty());
    voice.Play(0, 0);
    EXPECT_TRUE(m_fake.Log().empty());
}

TEST_F(SoundVoiceTest, StrikeRewindsAndStartsTheBufferOnce) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(kFirstId, nullptr));
    m_fake.ClearLog();

    voice.Play(0, 0);
    voice.Play(0, 0);
    voice.Play(1000, 1);
    ASSERT_EQ(6u, m_fake.Log().size());
    const struct {
        EFakeOp m_op;
        uint32_t m_position;
        uint32_t m_flags;
    } expected[] = {
        {EFakeOp::SetCurrentPosition, 0, 0},    {EFakeOp::Play, 0, 0},
        {EFakeOp::SetCurrentPosition, 0, 0},    {EFakeOp::Play, 0, 0},
        {EFakeOp::SetCurrentPosition, 1000, 0}, {EFakeOp::Play, 0, kds::DSBPLAY_LOOPING}};
    for (size_t i = 0; i < 6; ++i) {
        const SFakeCall& call = m_fake.Log()[i];
        EXPECT_EQ(expected[i].m_op, call.m_op) << i;
        EXPECT_EQ(expected[i].m_position, call.m_position) << i;
        EXPECT_EQ(expected[i].m_flags, call.m_flags) << i;
        EXPECT_TRUE(call.m_plainArgs) << i;
        EXPECT_EQ(1, call.m_buffer) << i;
    }
}

TEST_F(SoundVoiceTest, StartBeyondTheDataIsClampedToItsLength) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(kFirstId + 2, nullptr));
    const uint32_t length = kWaveShapes[2].m_dataBytes;
    const struct {
        uint32_t m_start;
        uint32_t m_position;
    } cases[] = {{length - 1, length - 1},
                 {length, length},
                 {length + 1, length},
                 {0x80000000u, length},
                 {0xFFFFFFFFu, length}};
    for (const auto& c : cases) {
        m_fake.ClearLog();
        voice.Play(c.m_start, 0);
        ASSERT_EQ(2u, m_fake.Log().size());
        EXPECT_EQ(c.m_position, m_fake.Log()[0].m_position) << c.m_start;
        EXPECT_EQ(kds::DS_OK, m_fake.Log()[0].m_result);
    }
}

TEST_F(SoundVoiceTest, LostBufferIsRestoredRefilledAndStartedByTheNextStrike) {
    const SResourceImage image = Image(kFirstId + 3);
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(kFirstId + 3, nullptr));
    m_fake.LoseBuffer(1);
    m_fake.ClearLog();

    voice.Play(0, 0);
    const EFakeOp expected[] = {EFakeOp::SetCurrentPosition,
                                EFakeOp::Play,
                                EFakeOp::Lock,
                                EFakeOp::Restore,
                                EFakeOp::Lock,
                                EFakeOp::Unlock,
                                EFakeOp::Play};
    ASSERT_EQ(std::size(expected), m_fake.Log().size());
    for (size_t i = 0; i < std::size(expected); ++i)
        EXPECT_EQ(expected[i], m_fake.Log()[i].m_op) << i;
    EXPECT_EQ(kds::DSERR_BUFFERLOST, m_fake.Log()[1].m_result);
    EXPECT_EQ(kds::DS_OK, m_fake.Log()[6].m_result);
    EXPECT_TRUE(m_fake.Buffer(1).m_playing);
    EXPECT_EQ(0, std::memcmp(image.m_pData + 44, m_fake.Buffer(1).m_memory.data(),
                             kWaveShapes[3].m_dataBytes));
}

TEST_F(SoundVoiceTest, StrikeRetriesALostBufferOnceAndIgnoresOtherFailures) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(kFirstId, nullptr));
    const struct {
        kds::HRESULT m_code;
        int m_plays;
        int m_locks;
    } cases[] = {
        {kds::DSERR_BUFFERLOST, 2, 1}, {kds::DSERR_GENERIC, 1, 0}, {kds::DSERR_INVALIDPARAM, 1, 0}};
    for (const auto& c : cases) {
        m_fake.FailPlay(c.m_code, 2);
        m_fake.ClearLog();
        voice.Play(0, 0);
        EXPECT_EQ(1, m_fake.Count(EFakeOp::SetCurrentPosition));
        EXPECT_EQ(c.m_plays, m_fake.Count(EFakeOp::Play)) << c.m_code;
        EXPECT_EQ(c.m_locks, m_fake.Count(EFakeOp::Lock)) << c.m_code;
    }
}

struct SFillCase {
    const char* m_name;
    kds::HRESULT m_lockCode;
    int m_lockFailures;
    kds::HRESULT m_unlockCode;
    int m_created;
    int m_restores;
    int m_locks;
};

class FillTest : public SoundVoiceTest, public ::testing::WithParamInterface<SFillCase> {};

TEST_P(FillTest, CreationRestoresALostLockOnceAndKeepsItsBufferOnFailure) {
    const SFillCase& c = GetParam();
    m_fake.FailLock(c.m_lockCode, c.m_lockFailures);
    m_fake.FailUnlock(c.m_unlockCode, 1);
    CSoundVoice voice;
    EXPECT_EQ(c.m_created, voice.Create(kFirstId, nullptr));
    EXPECT_EQ(c.m_restores, m_fake.Count(EFakeOp::Restore));
    EXPECT_EQ(c.m_locks, m_fake.Count(EFakeOp::Lock));
    EXPECT_EQ(c.m_locks - c.m_lockFailures > 0 ? 1 : 0, m_fake.Count(EFakeOp::Unlock));
    // The buffer stays with the voice, which therefore still strikes.
    EXPECT_EQ(1, voice.IsValid());
    m_fake.ClearLog();
    voice.Play(0, 0);
    EXPECT_EQ(1, m_fake.Count(EFakeOp::Play));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FillTest,
    ::testing::Values(SFillCase{"Clean", kds::DS_OK, 0, kds::DS_OK, 1, 0, 1},
                      SFillCase{"LostOnce", kds::DSERR_BUFFERLOST, 1, kds::DS_OK, 1, 1, 2},
                      SFillCase{"LostTwice", kds::DSERR_BUFFERLOST, 2, kds::DS_OK, 0, 1, 2},
                      SFillCase{"LockFails", kds::DSERR_GENERIC, 1, kds::DS_OK, 0, 0, 1},
                      SFillCase{"UnlockFails", kds::DS_OK, 0, kds::DSERR_GENERIC, 0, 0, 1}),
    [](const auto& info) { return info.param.m_name; });

TEST_F(SoundVoiceTest, RefusedBufferLeavesTheVoiceSilent) {
    m_fake.FailCreateBuffer(kds::DSERR_OUTOFMEMORY, 1);
    CSoundVoice voice;
    EXPECT_EQ(0, voice.Create(kFirstId, nullptr));
    EXPECT_EQ(0, voice.IsValid());
    EXPECT_EQ(1, CSoundVoice::IsDeviceOpen());
    EXPECT_EQ(0, m_fake.BuffersMade());
    m_fake.ClearLog();
    voice.Play(0, 0);
    EXPECT_TRUE(m_fake.Log().empty());
}

TEST_F(SoundVoiceTest, ImageRefusedByTheReaderMakesNoBuffer) {
    static const unsigned char kNotWave[] = "RIFF\x04\0\0\0AVI LIST";
    const SResourceImage image = Image(kFirstId);
    CSoundVoice voice;
    EXPECT_EQ(0, voice.CreateFromMemory(kNotWave, sizeof kNotWave, nullptr));
    // An image cut short of its data's end is refused rather than read past.
    EXPECT_EQ(0, voice.CreateFromMemory(image.m_pData, image.m_length - 1, nullptr));
    EXPECT_EQ(0, voice.CreateFromMemory(nullptr, 0, nullptr));
    EXPECT_EQ(0, m_fake.Count(EFakeOp::CreateSoundBuffer));
    EXPECT_EQ(0, voice.IsValid());
    // Given whole, the same image makes a voice.
    EXPECT_EQ(1, voice.CreateFromMemory(image.m_pData, image.m_length, nullptr));
}

TEST_F(SoundVoiceTest, VoiceNeverCreatedStaysSilentBesideCreatedOnes) {
    CSoundVoice created;
    CSoundVoice idle;
    ASSERT_EQ(1, created.Create(kFirstId, nullptr));
    m_fake.ClearLog();
    EXPECT_EQ(0, idle.IsValid());
    idle.Play(0, 0);
    idle.Play(0, 1);
    EXPECT_TRUE(m_fake.Log().empty());
}

TEST_F(SoundVoiceTest, DeviceIsBoundToTheOwnerOrElseTheMainWindowOnlyWhenOpened) {
    const struct {
        kds::HWND m_owner;
        kds::HWND m_main;
        kds::HWND m_bound;
    } cases[] = {{FakeWindow(7), FakeWindow(9), FakeWindow(7)},
                 {nullptr, FakeWindow(9), FakeWindow(9)},
                 {nullptr, nullptr, nullptr}};
    for (const auto& c : cases) {
        m_fake.SetMainWindow(c.m_main);
        m_fake.ClearLog();
        CSoundVoice first;
        CSoundVoice second;
        ASSERT_EQ(1, first.Create(kFirstId, c.m_owner));
        ASSERT_EQ(1, second.Create(kFirstId, FakeWindow(11)));
        ASSERT_EQ(1, m_fake.Count(EFakeOp::SetCooperativeLevel));
        const int bind = m_fake.IndexOf(EFakeOp::SetCooperativeLevel, CFakeSoundScope::kAnyBuffer);
        EXPECT_EQ(c.m_bound, m_fake.Log()[bind].m_window);
    }
}

TEST_F(SoundVoiceTest, LastVoiceReleasesItsBufferThenTheDevice) {
    // A voice that was constructed but never created still holds the device.
    {
        auto created = std::make_unique<CSoundVoice>();
        CSoundVoice idle;
        ASSERT_EQ(1, created->Create(kFirstId, nullptr));
        EXPECT_EQ(2, CSoundVoice::InstanceCount());
        created.reset();
        EXPECT_EQ(1, CSoundVoice::IsDeviceOpen());
        EXPECT_EQ(0, m_fake.LiveBuffers());
    }
    EXPECT_EQ(0, CSoundVoice::IsDeviceOpen());
    EXPECT_EQ(0, CSoundVoice::InstanceCount());

    // 139 of 140 gone keeps the device; the last releases its buffer, then the device.
    {
        std::vector<std::unique_ptr<CSoundVoice>> voices;
        for (int i = 0; i < kVoices; ++i) {
            voices.push_back(std::make_unique<CSoundVoice>());
            ASSERT_EQ(1, voices.back()->Create(kFirstId + i / 5, nullptr));
        }
        EXPECT_EQ(2, m_fake.DevicesMade());
        voices.erase(voices.begin(), voices.begin() + kVoices - 1);
        EXPECT_EQ(1, m_fake.OpenDevices());
        m_fake.ClearLog();
        voices.clear();
        ASSERT_EQ(2u, m_fake.Log().size());
        EXPECT_EQ(EFakeOp::ReleaseBuffer, m_fake.Log()[0].m_op);
        EXPECT_EQ(EFakeOp::ReleaseDevice, m_fake.Log()[1].m_op);
        EXPECT_EQ(2, m_fake.Log()[1].m_device);
    }

    CSoundVoice again;
    EXPECT_EQ(1, again.Create(kFirstId, nullptr));
    EXPECT_EQ(3, m_fake.DevicesMade());
    EXPECT_EQ(1, m_fake.OpenDevices());
}

TEST_F(SoundVoiceTest, SecondCreationReplacesTheBuffer) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(kFirstId, nullptr));
    ASSERT_EQ(1, voice.Create(kFirstId + 2, nullptr));
    EXPECT_TRUE(m_fake.Buffer(1).m_released);
    EXPECT_EQ(kWaveShapes[2].m_dataBytes, m_fake.Buffer(2).m_bytes);
    EXPECT_EQ(1, m_fake.LiveBuffers());
}

TEST_F(SoundVoiceTest, SoundTwoGetsOnlyItsDataChunk) {
    CSoundVoice voice;
    ASSERT_EQ(1, voice.Create(302, nullptr));
    EXPECT_EQ(16854u, m_fake.Buffer(1).m_bytes);
    EXPECT_EQ(16854u, m_fake.Buffer(1).m_memory.size());
}

TEST_F(SoundVoiceTest, StrikesAllocateNothing) {
    SKitVoices kit;
    kit.CreateAll();
    m_fake.ClearLog();
    int64_t allocations = 0;
    {
        CAllocationCounter counter;
        for (int round = 0; round < 10; ++round)
            for (CSoundVoice& voice : kit.m_voices)
                voice.Play(0, 0);
        allocations = counter.Count();
    }
    EXPECT_EQ(0, allocations);
    EXPECT_EQ(10 * kVoices, m_fake.Count(EFakeOp::Play));

    // The counter itself does see allocations.
    CAllocationCounter counter;
    void* probe = ::operator new(16);
    EXPECT_EQ(1, counter.Count());
    ::operator delete(probe);
}

} // namespace
