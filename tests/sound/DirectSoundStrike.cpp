// SPDX-License-Identifier: MIT
// The voices on the system's own DirectSound: every voice of the kit made from
// the executable's resources, then one strike, which the test around this
// program listens for at the sound server.
//   dsound_strike SOUND       strikes the first voice of SOUND (0 to 27)
// Exits 0 when all 140 voices were made and the strike was started.
#include <windows.h>

#include "DirectSound.h"
#include "DrumTypes.h"
#include "SoundVoice.h"

#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kVoiceCount = kSoundCount * kVoicesPerSound;

// The device is bound to a window of the program, as the kit's is to the drum
// pad window.
HWND MakeOwnerWindow() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "KadenzoStrikeOwner";
    RegisterClassA(&windowClass);
    return CreateWindowExA(0, windowClass.lpszClassName, "Kadenzo strike", WS_OVERLAPPEDWINDOW, 0,
                           0, 100, 100, nullptr, nullptr, windowClass.hInstance, nullptr);
}

HWND g_owner = nullptr;

kds::HWND OwnerWindow() {
    return g_owner;
}

} // namespace

int main(int argc, char** argv) {
    const int sound = argc > 1 ? std::atoi(argv[1]) : 0;
    if (sound < 0 || sound >= kSoundCount) {
        std::fprintf(stderr, "dsound_strike: no sound %d\n", sound);
        return 2;
    }
    g_owner = MakeOwnerWindow();
    kds::SetMainWindowHook(&OwnerWindow);
    static CSoundVoice voices[kVoiceCount];
    int valid = 0;
    for (int i = 0; i < kVoiceCount; ++i) {
        voices[i].Create(kFirstWaveId + i / kVoicesPerSound, nullptr);
        valid += voices[i].IsValid();
    }
    std::printf("dsound_strike: %d of %d voices made on the system's DirectSound\n", valid,
                kVoiceCount);
    if (valid != kVoiceCount)
        return 1;
    // Silence first, so that the strike stands apart in the recording.
    Sleep(500);
    voices[sound * kVoicesPerSound].Play(0, 0);
    std::printf("dsound_strike: sound %d struck\n", sound);
    // The longest sample lasts about a second and a half.
    Sleep(2000);
    return 0;
}
