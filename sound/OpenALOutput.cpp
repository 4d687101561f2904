// SPDX-License-Identifier: MIT
#include "OpenALOutput.h"

#include "OpenALSeams.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

namespace kds {

namespace {

// Room for every voice of the kit sounding at once (28 sounds of five voices),
// whichever of them are stereo.
constexpr ALCint kSourceRoom = 140;

// OpenAL Soft 1.19 hands a started source's properties to its mixer in a
// container from a pool of the context, and allocates one (aligned_alloc) when
// the pool is empty; the mixer puts it back once it has taken the update. The
// pool thus grows with the number of sources started between two mixes, up to
// one for each source, and the first strokes after opening would allocate now
// and then. Starting more silent sources at once than can ever wait for one
// mix, and letting the mixer take them, fills the pool before the first stroke:
// one container for each source, one for a start replacing a waiting one, one
// that the mixer is putting back.
constexpr ALsizei kPoolSources = kSourceRoom + 2;
// How long the pool may take to come back: the mixer's next period (23 ms with
// OpenAL Soft's defaults), with room for a busy machine. A device that does
// not mix in that time leaves the pool to grow on the stroke path, as before.
constexpr auto kPoolWait = std::chrono::milliseconds(250);

bool AnyPlaying(const ALuint (&sources)[kPoolSources]) {
    for (ALuint source : sources) {
        ALint state = AL_STOPPED;
        alGetSourcei(source, AL_SOURCE_STATE, &state);
        if (state == AL_PLAYING)
            return true;
    }
    return false;
}

void FillPropertyPool() {
    ALuint buffer = 0;
    ALuint sources[kPoolSources] = {};
    alGetError();
    alGenBuffers(1, &buffer);
    if (alGetError() != AL_NO_ERROR)
        return;
    alGenSources(kPoolSources, sources);
    if (alGetError() == AL_NO_ERROR) {
        // One silent frame, unheard: each source ends in the mix that takes its start.
        const int16_t silence = 0;
        alBufferData(buffer, AL_FORMAT_MONO16, &silence, sizeof silence, 44100);
        for (ALuint source : sources) {
            alSourcef(source, AL_GAIN, 0.0f);
            alSourcei(source, AL_BUFFER, ALint(buffer));
        }
        // All in one call: the mixer cannot take any of them before the last.
        alSourcePlayv(kPoolSources, sources);
        const auto until = std::chrono::steady_clock::now() + kPoolWait;
        while (AnyPlaying(sources) && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        alSourceStopv(kPoolSources, sources);
        alDeleteSources(kPoolSources, sources);
    }
    alDeleteBuffers(1, &buffer);
    alGetError();
}

bool AlcIsConnected(ALCdevice* pDevice) {
    // A device without the disconnect extension leaves the value alone: it is
    // taken to be there for good.
    ALCint connected = ALC_TRUE;
    alcGetIntegerv(pDevice, ALC_CONNECTED, 1, &connected);
    return connected != ALC_FALSE;
}

ALCdevice* AlcOpenDefault() {
    return alcOpenDevice(nullptr);
}

uint64_t SteadyMilliseconds() {
    return uint64_t(std::chrono::duration_cast<std::chrono::milliseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count());
}

PFN_ALCISCONNECTED g_pIsConnected = &AlcIsConnected;
PFN_ALCOPENDEFAULT g_pOpenDefault = &AlcOpenDefault;
PFN_MILLISECONDS g_pNow = &SteadyMilliseconds;

// Mixers list the stream by its program's name and icon (the desktop entry's
// Icon). OpenAL Soft 1.19 names it after the executable and has no call for
// either, but PulseAudio's client library takes both from the environment when
// the device connects, on PipeWire too. A value the user set wins.
void NameTheStreamForMixers() {
    setenv("PULSE_PROP_OVERRIDE",
           "application.name='Kadenzo' application.icon_name='io.github.kadenzo.Kadenzo'", 0);
}

bool NoPlaybackDeviceListed() {
    // The full list, where offered: the short one always names OpenAL Soft itself.
    const ALCenum list = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT")
                             ? ALC_ALL_DEVICES_SPECIFIER
                             : ALC_DEVICE_SPECIFIER;
    const ALCchar* pList = alcGetString(nullptr, list);
    return pList == nullptr || pList[0] == '\0';
}

} // namespace

void SetAlcIsConnected(PFN_ALCISCONNECTED pIsConnected) {
    g_pIsConnected = pIsConnected != nullptr ? pIsConnected : &AlcIsConnected;
}

void SetAlcOpenDefault(PFN_ALCOPENDEFAULT pOpenDefault) {
    g_pOpenDefault = pOpenDefault != nullptr ? pOpenDefault : &AlcOpenDefault;
}

void SetReopenClock(PFN_MILLISECONDS pNow) {
    g_pNow = pNow != nullptr ? pNow : &SteadyMilliseconds;
}

HRESULT COpenALOutput::Open() {
    if (m_pDevice != nullptr)
        return DS_OK;
    NameTheStreamForMixers();
    m_pDevice = g_pOpenDefault();
    // OpenAL Soft reports every failed open alike. With no device to be had at all
    // there is no driver; otherwise the device is taken to be busy.
    if (m_pDevice == nullptr)
        return NoPlaybackDeviceListed() ? DSERR_NODRIVER : DSERR_ALLOCATED;

    ALCint attributes[] = {ALC_MONO_SOURCES, kSourceRoom, ALC_STEREO_SOURCES, kSourceRoom, 0, 0, 0};
    // The samples play as they are: no head-related filtering.
    if (alcIsExtensionPresent(m_pDevice, "ALC_SOFT_HRTF")) {
        attributes[4] = ALC_HRTF_SOFT;
        attributes[5] = ALC_FALSE;
    }
    // A device that opens but will not start is as good as busy: try again later.
    m_pContext = alcCreateContext(m_pDevice, attributes);
    if (m_pContext == nullptr || !alcMakeContextCurrent(m_pContext)) {
        Close();
        return DSERR_ALLOCATED;
    }
    // Sources sit at the listener and move with it, so nothing is placed in space.
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListenerf(AL_GAIN, 1.0f);
    FillPropertyPool();
    return DS_OK;
}

void COpenALOutput::Close() {
    if (m_pContext != nullptr) {
        if (alcGetCurrentContext() == m_pContext)
            alcMakeContextCurrent(nullptr);
        alcDestroyContext(m_pContext);
        m_pContext = nullptr;
    }
    if (m_pDevice != nullptr) {
        alcCloseDevice(m_pDevice);
        m_pDevice = nullptr;
    }
}

int COpenALOutput::Reopen() {
    if (m_attempted && g_pNow() - m_lastAttemptMs < kReopenIntervalMs)
        return 0;
    Close();
    const int opened = Open() == DS_OK ? 1 : 0;
    // Counted from the end of the attempt: a server that is slow to answer
    // (one that is still starting up) is not asked again straight away.
    m_attempted = true;
    m_lastAttemptMs = g_pNow();
    return opened;
}

int COpenALOutput::IsConnected() const {
    return m_pDevice != nullptr && g_pIsConnected(m_pDevice) ? 1 : 0;
}

void COpenALOutput::MakeCurrent() const {
    if (m_pContext != nullptr && alcGetCurrentContext() != m_pContext)
        alcMakeContextCurrent(m_pContext);
}

} // namespace kds
