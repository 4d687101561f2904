// SPDX-License-Identifier: MIT
// The output under the OpenAL Soft back end: the default device and the one
// context on it, opened with what the voices need, watched for loss, and
// opened again after a loss no more than once a second. OpenAL Soft 1.19
// cannot reopen a device in place, so a lost output is closed whole and the
// default device opened anew, with a new context.
//
// Everything that talks to the sound server and may wait on it (opening the
// device and its context, pausing and resuming the device) runs on a thread of
// the output's own, as DirectSound's own machinery would; the calling thread
// waits for it only up to a bound, and never for a pause or a resume. While the
// device is silent for long enough it is paused, so that neither this program
// nor the server mixes silence; the next stroke wakes it, and the sources it
// started play as soon as the device runs again.
#pragma once

#include "DirectSound.h"

#include <AL/alc.h>

#include <cstdint>
#include <memory>
#include <thread>

namespace kds {

// Open's answer while the device is still opening: the answer comes later,
// through TakeOpened.
inline constexpr HRESULT kOpenPending = 1;

struct SOutputLink;

class COpenALOutput {
public:
    COpenALOutput();
    // Lets go of the output without waiting for its thread: one stuck in the
    // server is left to end on its own, and closes what it opens then.
    ~COpenALOutput();
    COpenALOutput(const COpenALOutput&) = delete;
    COpenALOutput& operator=(const COpenALOutput&) = delete;

    // Opens the default device and makes its context current, waiting at most
    // waitMs: DS_OK; kOpenPending while it still opens; or DSERR_NODRIVER when
    // no device is to be had at all, DSERR_ALLOCATED when one is listed but
    // will not open or start (busy, or gone for now).
    HRESULT Open(uint32_t waitMs);
    // Open, waiting as long as start-up may for a server that answers.
    HRESULT OpenAtStart();
    // The answer of an open that was still pending, if it has come; as Open.
    HRESULT TakeOpened();
    // Destroys the context and closes the device; the caller has released
    // every AL name made in the context first.
    void Close();
    // Closes what is left of a lost output and opens the default device again,
    // unless the last attempt ended less than a second ago; or takes the
    // answer of an attempt still under way. 1 opened, 0 not (yet).
    int Reopen();

    int IsOpen() const { return m_pContext != nullptr ? 1 : 0; }
    int IsOpening() const { return m_opening ? 1 : 0; }
    // Whether the device still plays. Cheap enough for every strike.
    int IsConnected() const;
    void MakeCurrent() const;
    // A stroke starts now and sounds for soundingMs (kSoundsForever for a
    // loop): a paused device is woken, away from the caller, and none is
    // paused while anything may still sound.
    void Stroke(uint32_t soundingMs);

private:
    std::shared_ptr<SOutputLink> m_pLink;
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    uint64_t m_lastAttemptMs = 0;
    bool m_attempted = false;
    bool m_opening = false;
    bool m_reopening = false;
    bool m_threadStarted = false;
};

inline constexpr uint32_t kSoundsForever = UINT32_MAX;

} // namespace kds
