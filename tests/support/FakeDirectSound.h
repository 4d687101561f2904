// SPDX-License-Identifier: MIT
// A scriptable stand-in for the sound device, for tests of everything that plays
// sound. It records every call into a log allocated up front, so that a test can
// count heap allocations while it strikes.
//
// Use:
//     CFakeSoundScope fake;                    // installs itself as the device and the sleep
//     fake.FailCreate(DSERR_ALLOCATED, 2);     // busy for the first two attempts
//     ... create and strike voices ...
//     fake.Count(EFakeOp::Play, 3);            // how often buffer 3 was started
//     fake.Log()[i]                            // each call, in order
// On destruction the scope restores the real device, the real sleep and the
// empty main-window hook. Only one scope may exist at a time.
//
// Ids: devices and buffers are numbered 1, 2, ... in the order they were made
// during the scope's life; a released object keeps its id and its record, so a
// test can still look at it. Calls on a released object are counted as misuse.
#pragma once

#include "DirectSound.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

enum class EFakeOp {
    Create,              // the device-creation function
    SetCooperativeLevel, // m_window, m_flags = level
    CreateSoundBuffer,   // m_bytes = dwBufferBytes, m_flags = dwFlags, m_descSize = dwSize,
                         // m_pointer = lpwfxFormat; m_buffer = the new buffer (0 if refused)
    Lock,                // m_position = write cursor, m_bytes = byte count, m_flags
    Unlock,              // m_pointer = region, m_bytes = region length
    Restore,
    SetCurrentPosition, // m_position
    Play,               // m_flags
    ReleaseBuffer,
    ReleaseDevice,
    Sleep, // m_bytes = milliseconds
};

// Whether a call's arguments were plain: everything the caller should pass as
// null or 0 was null or 0 (device guid and outer object of Create; outer object
// and reserved field of CreateSoundBuffer; second region of Lock and Unlock, and
// for Lock the first region's out-pointers were given; reserved and priority of
// Play).
struct SFakeCall {
    EFakeOp m_op = EFakeOp::Create;
    int m_device = 0; // device called, or made by Create (0 when none)
    int m_buffer = 0; // buffer called, or made by CreateSoundBuffer (0 when none)
    uint32_t m_position = 0;
    uint32_t m_bytes = 0;
    uint32_t m_flags = 0;
    uint32_t m_descSize = 0;
    kds::HWND m_window = nullptr;
    const void* m_pointer = nullptr;
    kds::HRESULT m_result = kds::DS_OK;
    bool m_plainArgs = true;
};

// What the fake knows about one buffer.
struct SFakeBufferState {
    int m_device = 0;
    uint32_t m_bytes = 0;
    uint32_t m_flags = 0;
    const unsigned char* m_pFormat = nullptr;
    std::vector<unsigned char> m_memory; // what the buffer holds (the last unlocked fill)
    uint32_t m_position = 0;
    bool m_playing = false;   // started and not released; the fake never ends a sound
    uint32_t m_playFlags = 0; // flags of the last successful Play
    bool m_lost = false;
    bool m_locked = false;
    bool m_released = false;
};

class CFakeSoundScope {
public:
    static constexpr int kAlways = 1 << 30;
    static constexpr size_t kDefaultLogCapacity = 8192;

    explicit CFakeSoundScope(size_t logCapacity = kDefaultLogCapacity);
    ~CFakeSoundScope();
    CFakeSoundScope(const CFakeSoundScope&) = delete;
    CFakeSoundScope& operator=(const CFakeSoundScope&) = delete;

    // Scripting. Each fault lets `skip` calls of its kind pass, then fails the next
    // `count` calls (kAlways: every one) with `code`. A later call replaces the script.
    void FailCreate(kds::HRESULT code, int count, int skip = 0);
    void FailCreateBuffer(kds::HRESULT code, int count, int skip = 0);
    // A lock that fails with DSERR_BUFFERLOST is a lost lock: once is restored by
    // the voice, twice is not. Other codes fail plainly.
    void FailLock(kds::HRESULT code, int count, int skip = 0);
    void FailUnlock(kds::HRESULT code, int count, int skip = 0);
    void FailPlay(kds::HRESULT code, int count, int skip = 0);
    // Marks a buffer's memory lost: Lock and Play report DSERR_BUFFERLOST and its
    // contents are gone until Restore.
    void LoseBuffer(int bufferId);
    void LoseAllBuffers();
    // The main window that CallGetMainWindow() reports while the scope lives.
    void SetMainWindow(kds::HWND window);

    // The log, in call order. Nothing is allocated while recording; a call beyond
    // the capacity is dropped and marks the log overflowed.
    const std::vector<SFakeCall>& Log() const { return m_log; }
    bool LogOverflowed() const { return m_logOverflowed; }
    void ClearLog();

    // Counts over the log (kAnyBuffer: every buffer).
    static constexpr int kAnyBuffer = -1;
    int Count(EFakeOp op, int bufferId = kAnyBuffer) const;
    // Calls of `op` on buffer `bufferId` in the order they were made, as their
    // index in the log; -1 when there are fewer than n + 1 such calls.
    int IndexOf(EFakeOp op, int bufferId, int n = 0) const;

    int CreateAttempts() const { return m_createCalls; }
    int SleepCount() const { return m_sleepCount; }
    uint64_t SleptMilliseconds() const { return m_sleptMs; }
    int DevicesMade() const { return int(m_devices.size()); }
    int OpenDevices() const;
    int BuffersMade() const { return int(m_buffers.size()); }
    int LiveBuffers() const;
    const SFakeBufferState& Buffer(int bufferId) const;
    // The buffer the last Play (or SetCurrentPosition) was called on; 0 when none.
    int LastPlayedBuffer() const { return m_lastPlayed; }
    int LastPositionedBuffer() const { return m_lastPositioned; }
    // Calls on released objects, double releases, device released with buffers alive,
    // Unlock without a Lock. A correct caller leaves this at 0.
    int MisuseCount() const { return m_misuse; }

private:
    struct SFault {
        kds::HRESULT m_code = kds::DS_OK;
        int m_skip = 0;
        int m_count = 0;
        kds::HRESULT Next(); // DS_OK when this call passes
    };
    class CDevice;
    class CBuffer;
    friend class CDevice;
    friend class CBuffer;

    static kds::HRESULT CreateThunk(const void* pGuid, kds::IDirectSound** ppDevice, void* pOuter);
    static void SleepThunk(uint32_t milliseconds);
    static kds::HWND MainWindowThunk();
    void Record(const SFakeCall& call);

    std::vector<SFakeCall> m_log;
    bool m_logOverflowed = false;
    std::vector<std::unique_ptr<CDevice>> m_devices;
    std::vector<std::unique_ptr<CBuffer>> m_buffers;
    SFault m_createFault, m_bufferFault, m_lockFault, m_unlockFault, m_playFault;
    int m_createCalls = 0;
    int m_sleepCount = 0;
    uint64_t m_sleptMs = 0;
    int m_lastPlayed = 0;
    int m_lastPositioned = 0;
    int m_misuse = 0;
    kds::HWND m_mainWindow = nullptr;

    static CFakeSoundScope* s_pCurrent;
};
