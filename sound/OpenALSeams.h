// SPDX-License-Identifier: MIT
// Seams of the OpenAL Soft back end for what a test cannot make happen on its
// own: an output device that goes away (a sound card unplugged where the sound
// cannot move elsewhere), a device that will not open again, and the clock that
// paces the attempts to open it again. Each setter takes null to restore the
// default.
#pragma once

#include <AL/alc.h>

#include <cstdint>

namespace kds {

// Whether an open device still plays: OpenAL Soft's ALC_CONNECTED by default.
using PFN_ALCISCONNECTED = bool (*)(ALCdevice* pDevice);
// Opens the default output device, or gives null: alcOpenDevice by default.
using PFN_ALCOPENDEFAULT = ALCdevice* (*)();
// Milliseconds on a clock that never goes back: the steady clock by default.
using PFN_MILLISECONDS = uint64_t (*)();

void SetAlcIsConnected(PFN_ALCISCONNECTED pIsConnected);
void SetAlcOpenDefault(PFN_ALCOPENDEFAULT pOpenDefault);
void SetReopenClock(PFN_MILLISECONDS pNow);
// How long the caller waits for the device to open, at start and on a reopen,
// before it goes on without it; 0 restores the defaults. Set before the first
// device opens.
void SetOpenWaitMs(uint32_t milliseconds);
// How long a device stays silent before it is paused; 0 restores the default.
// Set before the first device opens.
void SetSilenceBeforePauseMs(uint32_t milliseconds);
// Whether the newest output's device is paused now (for tests).
bool OutputPaused();

// A lost device is opened again at most this often.
inline constexpr uint64_t kReopenIntervalMs = 1000;

} // namespace kds
