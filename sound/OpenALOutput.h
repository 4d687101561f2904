// SPDX-License-Identifier: MIT
// The output under the OpenAL Soft back end: the default device and the one
// context on it, opened with what the voices need, watched for loss, and
// opened again after a loss no more than once a second. OpenAL Soft 1.19
// cannot reopen a device in place, so a lost output is closed whole and the
// default device opened anew, with a new context.
#pragma once

#include "DirectSound.h"

#include <AL/alc.h>

#include <cstdint>

namespace kds {

class COpenALOutput {
public:
    COpenALOutput() = default;
    ~COpenALOutput() { Close(); }
    COpenALOutput(const COpenALOutput&) = delete;
    COpenALOutput& operator=(const COpenALOutput&) = delete;

    // Opens the default device and makes its context current: DS_OK; or
    // DSERR_NODRIVER when no device is to be had at all, DSERR_ALLOCATED when
    // one is listed but will not open or start (busy, or gone for now).
    HRESULT Open();
    // Destroys the context and closes the device; the caller has released
    // every AL name made in the context first.
    void Close();
    // Closes what is left of a lost output and opens the default device again,
    // unless the last attempt ended less than a second ago. 1 opened, 0 not.
    int Reopen();

    int IsOpen() const { return m_pContext != nullptr ? 1 : 0; }
    // Whether the device still plays. Cheap enough for every strike.
    int IsConnected() const;
    void MakeCurrent() const;

private:
    ALCdevice* m_pDevice = nullptr;
    ALCcontext* m_pContext = nullptr;
    uint64_t m_lastAttemptMs = 0;
    bool m_attempted = false;
};

} // namespace kds
