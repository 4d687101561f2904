// SPDX-License-Identifier: MIT
#include "OpenALOutput.h"

#include "OpenALSeams.h"

#include <AL/al.h>
#include <AL/alext.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>
#include <string>
#include <system_error>
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

// How long the window's thread waits for the device. At start, long enough for
// any server that answers at all, short enough that the window shows within a
// second when it hangs; on a reopen (from a stroke) no longer than a key may
// take to answer.
constexpr uint32_t kStartWaitMs = 400;
constexpr uint32_t kReopenWaitMs = 80;
// Silence this long pauses the device: a drummer's rest is shorter, and a
// stroke after it is as quick as any.
constexpr uint32_t kSilenceBeforePauseMs = 30000;

PFN_ALCISCONNECTED g_pIsConnected = &AlcIsConnected;
PFN_ALCOPENDEFAULT g_pOpenDefault = &AlcOpenDefault;
PFN_MILLISECONDS g_pNow = &SteadyMilliseconds;
uint32_t g_startWaitMs = kStartWaitMs;
uint32_t g_reopenWaitMs = kReopenWaitMs;
uint32_t g_silenceBeforePauseMs = kSilenceBeforePauseMs;
std::atomic<bool> g_paused{false};

bool NoPlaybackDeviceListed() {
    // The full list, where offered: the short one always names OpenAL Soft itself.
    const ALCenum list = alcIsExtensionPresent(nullptr, "ALC_ENUMERATE_ALL_EXT")
                             ? ALC_ALL_DEVICES_SPECIFIER
                             : ALC_DEVICE_SPECIFIER;
    const ALCchar* pList = alcGetString(nullptr, list);
    return pList == nullptr || pList[0] == '\0';
}

using PFN_SETTHREADCONTEXT = ALCboolean(ALC_APIENTRY*)(ALCcontext*);
using PFN_DEVICECALL = void(ALC_APIENTRY*)(ALCdevice*);

// Opens the default device with a context for the voices, on the output's
// thread. The context is made current on this thread only, for as long as the
// pool is filled, so that the caller's thread sees nothing until it takes it.
HRESULT OpenNow(ALCdevice** ppDevice, ALCcontext** ppContext) {
    *ppDevice = nullptr;
    *ppContext = nullptr;
    ALCdevice* pDevice = g_pOpenDefault();
    // OpenAL Soft reports every failed open alike. With no device to be had at all
    // there is no driver; otherwise the device is taken to be busy.
    if (pDevice == nullptr)
        return NoPlaybackDeviceListed() ? DSERR_NODRIVER : DSERR_ALLOCATED;

    ALCint attributes[] = {ALC_MONO_SOURCES, kSourceRoom, ALC_STEREO_SOURCES, kSourceRoom, 0, 0, 0};
    // The samples play as they are: no head-related filtering.
    if (alcIsExtensionPresent(pDevice, "ALC_SOFT_HRTF")) {
        attributes[4] = ALC_HRTF_SOFT;
        attributes[5] = ALC_FALSE;
    }
    // A device that opens but will not start is as good as busy: try again later.
    ALCcontext* pContext = alcCreateContext(pDevice, attributes);
    const auto setThreadContext = reinterpret_cast<PFN_SETTHREADCONTEXT>(
        alcIsExtensionPresent(pDevice, "ALC_EXT_thread_local_context")
            ? alcGetProcAddress(pDevice, "alcSetThreadContext")
            : nullptr);
    if (pContext == nullptr || setThreadContext == nullptr || !setThreadContext(pContext)) {
        if (pContext != nullptr)
            alcDestroyContext(pContext);
        alcCloseDevice(pDevice);
        return DSERR_ALLOCATED;
    }
    // Sources sit at the listener and move with it, so nothing is placed in space.
    alListener3f(AL_POSITION, 0.0f, 0.0f, 0.0f);
    alListenerf(AL_GAIN, 1.0f);
    FillPropertyPool();
    setThreadContext(nullptr);
    *ppDevice = pDevice;
    *ppContext = pContext;
    return DS_OK;
}

void CloseNow(ALCdevice* pDevice, ALCcontext* pContext) {
    if (pContext != nullptr)
        alcDestroyContext(pContext);
    if (pDevice != nullptr)
        alcCloseDevice(pDevice);
}

PFN_DEVICECALL DeviceCall(ALCdevice* pDevice, const char* pName) {
    if (!alcIsExtensionPresent(pDevice, "ALC_SOFT_pause_device"))
        return nullptr;
    return reinterpret_cast<PFN_DEVICECALL>(alcGetProcAddress(pDevice, pName));
}

} // namespace

// What the output and its thread share, under m_lock. The thread never holds
// the lock while it talks to the server, so the caller's thread waits on it
// only for a few assignments.
struct SOutputLink {
    std::mutex m_lock;
    std::condition_variable m_wake;
    std::condition_variable m_answered;
    bool m_quit = false;
    // An open asked for, and its answer.
    bool m_openWanted = false;
    bool m_answerReady = false;
    HRESULT m_answer = DS_OK;
    ALCdevice* m_pOpened = nullptr;
    ALCcontext* m_pOpenedContext = nullptr;
    // The device in use, which the thread pauses and resumes; null while none.
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    // The thread is in a call on m_pDevice; a device let go meanwhile is
    // closed by the thread once the call returns.
    bool m_inCall = false;
    bool m_closeAfterCall = false;
    ALCdevice* m_pCloseDevice = nullptr;
    ALCcontext* m_pCloseContext = nullptr;
    bool m_paused = false;
    bool m_resumeWanted = false;
    // Nothing sounds from then on (steady milliseconds); UINT64_MAX while a loop plays.
    uint64_t m_quietFromMs = 0;
    uint32_t m_silenceBeforePauseMs = kSilenceBeforePauseMs;
};

namespace {

// The output's thread: opens devices, pauses the one in use once it has been
// silent long enough, and resumes it when a stroke comes.
void RunOutputThread(std::shared_ptr<SOutputLink> pLink) {
    SOutputLink& link = *pLink;
    std::unique_lock<std::mutex> lock(link.m_lock);
    while (true) {
        if (link.m_openWanted) {
            link.m_openWanted = false;
            lock.unlock();
            ALCdevice* pDevice = nullptr;
            ALCcontext* pContext = nullptr;
            const HRESULT answer = OpenNow(&pDevice, &pContext);
            lock.lock();
            if (link.m_quit) {
                // Nobody waits for it any more.
                lock.unlock();
                CloseNow(pDevice, pContext);
                return;
            }
            link.m_answer = answer;
            link.m_pOpened = pDevice;
            link.m_pOpenedContext = pContext;
            link.m_answerReady = true;
            // Silence counts from now, even before the caller takes the device.
            link.m_pDevice = pDevice;
            link.m_pContext = pContext;
            link.m_paused = false;
            link.m_resumeWanted = false;
            link.m_quietFromMs = SteadyMilliseconds();
            link.m_answered.notify_all();
            continue;
        }
        if (link.m_quit) {
            // A device opened after its caller stopped waiting, never taken.
            ALCdevice* pUntaken = link.m_answerReady ? link.m_pOpened : nullptr;
            ALCcontext* pUntakenContext = link.m_answerReady ? link.m_pOpenedContext : nullptr;
            link.m_pOpened = nullptr;
            link.m_pOpenedContext = nullptr;
            lock.unlock();
            CloseNow(pUntaken, pUntakenContext);
            return;
        }
        ALCdevice* const pDevice = link.m_pDevice;
        const uint64_t now = SteadyMilliseconds();
        const bool wake = pDevice != nullptr && link.m_paused && link.m_resumeWanted;
        const bool rest = pDevice != nullptr && !link.m_paused && now >= link.m_quietFromMs &&
                          now - link.m_quietFromMs >= link.m_silenceBeforePauseMs;
        if (wake || rest) {
            const PFN_DEVICECALL call =
                DeviceCall(pDevice, wake ? "alcDeviceResumeSOFT" : "alcDevicePauseSOFT");
            link.m_inCall = true;
            lock.unlock();
            if (call != nullptr)
                call(pDevice);
            lock.lock();
            link.m_inCall = false;
            if (link.m_pDevice != pDevice) {
                // Let go of meanwhile: closed below.
            } else if (call == nullptr) {
                // A device that cannot pause keeps running, as before.
                link.m_quietFromMs = UINT64_MAX;
            } else {
                link.m_paused = !wake;
                g_paused.store(link.m_paused);
            }
            // A stroke that came during a pause waits for the resume it asked for.
            if (wake)
                link.m_resumeWanted = false;
            if (link.m_closeAfterCall) {
                link.m_closeAfterCall = false;
                ALCdevice* pClose = link.m_pCloseDevice;
                ALCcontext* pCloseContext = link.m_pCloseContext;
                link.m_pCloseDevice = nullptr;
                link.m_pCloseContext = nullptr;
                lock.unlock();
                CloseNow(pClose, pCloseContext);
                lock.lock();
            }
            continue;
        }
        if (pDevice != nullptr && !link.m_paused && link.m_quietFromMs != UINT64_MAX) {
            const uint64_t due = link.m_quietFromMs + link.m_silenceBeforePauseMs;
            link.m_wake.wait_for(lock, std::chrono::milliseconds(due > now ? due - now : 0));
        } else {
            link.m_wake.wait(lock);
        }
    }
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

void SetOpenWaitMs(uint32_t milliseconds) {
    g_startWaitMs = milliseconds != 0 ? milliseconds : kStartWaitMs;
    g_reopenWaitMs = milliseconds != 0 ? milliseconds : kReopenWaitMs;
}

void SetSilenceBeforePauseMs(uint32_t milliseconds) {
    g_silenceBeforePauseMs = milliseconds != 0 ? milliseconds : kSilenceBeforePauseMs;
}

bool OutputPaused() {
    return g_paused.load();
}

void NameOpenALStream(const char* pName, const char* pIconName) {
    // Mixers list the stream by its program's name and icon (the desktop
    // entry's Icon). OpenAL Soft 1.19 names it after the executable and has no
    // call for either, but PulseAudio's client library takes both from the
    // environment when the device connects, on PipeWire too. A value the user
    // set wins. The environment is written here, before any thread may read it.
    std::string value =
        std::string("application.name='") + pName + "' application.icon_name='" + pIconName + "'";
    setenv("PULSE_PROP_OVERRIDE", value.c_str(), 0);
}

COpenALOutput::COpenALOutput() : m_pLink(new (std::nothrow) SOutputLink) {}

COpenALOutput::~COpenALOutput() {
    Close();
    if (m_pLink == nullptr)
        return;
    {
        std::lock_guard<std::mutex> guard(m_pLink->m_lock);
        m_pLink->m_quit = true;
    }
    m_pLink->m_wake.notify_all();
}

HRESULT COpenALOutput::Open(uint32_t waitMs) {
    if (m_pDevice != nullptr)
        return DS_OK;
    if (m_pLink == nullptr)
        return DSERR_ALLOCATED;
    if (!m_threadStarted) {
        try {
            std::thread(RunOutputThread, m_pLink).detach();
        } catch (const std::system_error&) {
            return DSERR_ALLOCATED;
        }
        m_threadStarted = true;
    }
    SOutputLink& link = *m_pLink;
    if (!m_opening) {
        {
            std::lock_guard<std::mutex> guard(link.m_lock);
            link.m_openWanted = true;
            link.m_silenceBeforePauseMs = g_silenceBeforePauseMs;
        }
        link.m_wake.notify_all();
        m_opening = true;
    }
    {
        std::unique_lock<std::mutex> lock(link.m_lock);
        link.m_answered.wait_for(lock, std::chrono::milliseconds(waitMs),
                                 [&link] { return link.m_answerReady; });
    }
    return TakeOpened();
}

HRESULT COpenALOutput::OpenAtStart() {
    return Open(g_startWaitMs);
}

HRESULT COpenALOutput::TakeOpened() {
    if (!m_opening)
        return m_pDevice != nullptr ? DS_OK : DSERR_ALLOCATED;
    SOutputLink& link = *m_pLink;
    HRESULT answer = kOpenPending;
    {
        std::lock_guard<std::mutex> guard(link.m_lock);
        if (!link.m_answerReady)
            return kOpenPending;
        link.m_answerReady = false;
        answer = link.m_answer;
        m_pDevice = link.m_pOpened;
        m_pContext = link.m_pOpenedContext;
        link.m_pOpened = nullptr;
        link.m_pOpenedContext = nullptr;
    }
    m_opening = false;
    // Counted from the end of the attempt: a server that is slow to answer
    // (one that is still starting up) is not asked again straight away.
    if (m_reopening || answer != DS_OK) {
        m_attempted = true;
        m_lastAttemptMs = g_pNow();
    }
    m_reopening = false;
    if (m_pContext != nullptr)
        alcMakeContextCurrent(m_pContext);
    return answer;
}

void COpenALOutput::Close() {
    if (m_pDevice == nullptr)
        return;
    if (alcGetCurrentContext() == m_pContext)
        alcMakeContextCurrent(nullptr);
    bool theThreadCloses = false;
    {
        std::lock_guard<std::mutex> guard(m_pLink->m_lock);
        SOutputLink& link = *m_pLink;
        if (link.m_inCall && link.m_pDevice == m_pDevice) {
            // The thread is in the server with it (a pause or a resume that
            // hangs): the device is left to the thread, never waited for.
            link.m_closeAfterCall = true;
            link.m_pCloseDevice = m_pDevice;
            link.m_pCloseContext = m_pContext;
            theThreadCloses = true;
        }
        link.m_pDevice = nullptr;
        link.m_pContext = nullptr;
        link.m_paused = false;
        link.m_resumeWanted = false;
    }
    g_paused.store(false);
    if (!theThreadCloses)
        CloseNow(m_pDevice, m_pContext);
    m_pDevice = nullptr;
    m_pContext = nullptr;
}

int COpenALOutput::Reopen() {
    if (m_opening)
        return TakeOpened() == DS_OK ? 1 : 0;
    if (m_attempted && g_pNow() - m_lastAttemptMs < kReopenIntervalMs)
        return 0;
    Close();
    m_reopening = true;
    const HRESULT answer = Open(g_reopenWaitMs);
    if (answer == kOpenPending)
        return 0;
    return answer == DS_OK ? 1 : 0;
}

int COpenALOutput::IsConnected() const {
    return m_pDevice != nullptr && g_pIsConnected(m_pDevice) ? 1 : 0;
}

void COpenALOutput::MakeCurrent() const {
    if (m_pContext != nullptr && alcGetCurrentContext() != m_pContext)
        alcMakeContextCurrent(m_pContext);
}

void COpenALOutput::Stroke(uint32_t soundingMs) {
    if (m_pDevice == nullptr)
        return;
    SOutputLink& link = *m_pLink;
    bool wake = false;
    {
        std::lock_guard<std::mutex> guard(link.m_lock);
        const uint64_t quietFrom =
            soundingMs == kSoundsForever ? UINT64_MAX : SteadyMilliseconds() + soundingMs;
        if (quietFrom > link.m_quietFromMs)
            link.m_quietFromMs = quietFrom;
        if (link.m_paused || link.m_inCall) {
            link.m_resumeWanted = true;
            wake = true;
        }
    }
    if (wake)
        link.m_wake.notify_all();
}

} // namespace kds
