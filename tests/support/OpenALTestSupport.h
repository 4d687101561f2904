// SPDX-License-Identifier: MIT
// For tests and benchmarks on the real OpenAL Soft back end. OpenAL Soft reads
// its configuration once, at its first call: each program points ALSOFT_CONF at
// a file of its own before that.
#pragma once

#include <AL/al.h>
#include <AL/alc.h>

#include <cstdint>
#include <string>

// Writes config as this process's OpenAL Soft configuration, in a file that
// lives as long as the object.
class CAlsoftConfig {
public:
    explicit CAlsoftConfig(const std::string& config);
    ~CAlsoftConfig();
    CAlsoftConfig(const CAlsoftConfig&) = delete;
    CAlsoftConfig& operator=(const CAlsoftConfig&) = delete;

private:
    std::string m_path;
};

// The device of the current context, or null.
ALCdevice* CurrentDevice();
// A 64-bit property of the device (ALC_DEVICE_CLOCK_SOFT, ALC_DEVICE_LATENCY_SOFT,
// in nanoseconds); -1 when there is no device or no such query.
int64_t DeviceInteger64(ALCdevice* pDevice, ALCenum name);
// The sources of the current context that are playing now.
int PlayingSources();
