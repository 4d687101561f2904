// SPDX-License-Identifier: MIT
#include "BenchKit.h"

#include "DrumSetFiles.h"
#include "OpenALTestSupport.h"

#include <AL/alc.h>
#include <AL/alext.h>

#include <cstdint>
#include <string>

void WriteBenchDrumSet() {
    std::string names[kSoundCount];
    SBinding bindings[kSoundCount];
    for (int s = 0; s < kSoundCount; ++s) {
        names[s] = "Sound " + std::to_string(s);
        bindings[s] = {kBenchKeys[s], s};
    }
    WriteDrumSet(names, bindings, kSoundCount);
}

void BindAll(CDrumKit& kit) {
    for (int s = 0; s < kSoundCount; ++s)
        kit.Assign(kBenchKeys[s], s);
}

void SilenceSound(CDrumKit& kit, int sound) {
    for (int v = 0; v < kVoicesPerSound; ++v)
        kit.m_voices[sound * kVoicesPerSound + v].Play(UINT32_MAX, 0);
}

void ReportDevice(CFigures& figures, const char* prefix) {
    ALCdevice* pDevice = CurrentDevice();
    ALCint frequency = 0;
    ALCint refresh = 0;
    alcGetIntegerv(pDevice, ALC_FREQUENCY, 1, &frequency);
    alcGetIntegerv(pDevice, ALC_REFRESH, 1, &refresh);
    const std::string name(prefix);
    figures.Add(name + "_latency_ms",
                double(DeviceInteger64(pDevice, ALC_DEVICE_LATENCY_SOFT)) / 1e6, "ms reported");
    figures.Add(name + "_output_hz", frequency, "Hz");
    figures.Add(name + "_mixes_per_s", refresh, "mixes a second (ALC_REFRESH)");
}
