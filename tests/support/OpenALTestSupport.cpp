// SPDX-License-Identifier: MIT
#include "OpenALTestSupport.h"

#include <AL/alext.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <unistd.h>

CAlsoftConfig::CAlsoftConfig(const std::string& config) {
    char name[] = "/tmp/kadenzo-alsoft-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) {
        ADD_FAILURE() << "mkstemp failed";
        return;
    }
    close(fd);
    m_path = name;
    std::ofstream(m_path, std::ios::trunc) << config;
    // A driver list in the environment would win over the file.
    unsetenv("ALSOFT_DRIVERS");
    setenv("ALSOFT_CONF", m_path.c_str(), 1);
}

CAlsoftConfig::~CAlsoftConfig() {
    if (!m_path.empty())
        std::remove(m_path.c_str());
}

ALCdevice* CurrentDevice() {
    ALCcontext* pContext = alcGetCurrentContext();
    return pContext != nullptr ? alcGetContextsDevice(pContext) : nullptr;
}

int64_t DeviceInteger64(ALCdevice* pDevice, ALCenum name) {
    if (pDevice == nullptr)
        return -1;
    auto get = reinterpret_cast<LPALCGETINTEGER64VSOFT>(
        alcGetProcAddress(pDevice, "alcGetInteger64vSOFT"));
    if (get == nullptr)
        return -1;
    ALCint64SOFT value = -1;
    get(pDevice, name, 1, &value);
    return value;
}

int PlayingSources() {
    int playing = 0;
    for (ALuint name = 1; name < 4096; ++name) {
        if (!alIsSource(name))
            continue;
        ALint state = AL_STOPPED;
        alGetSourcei(name, AL_SOURCE_STATE, &state);
        playing += state == AL_PLAYING ? 1 : 0;
    }
    return playing;
}
