// SPDX-License-Identifier: MIT
// One playable copy of one drum sample: a static sound buffer filled once with
// the whole sample, rewound and started on each strike.
#pragma once

#include "DirectSound.h"

#include <cstdint>

class CSoundVoice {
public:
    CSoundVoice();
    virtual ~CSoundVoice();
    CSoundVoice(const CSoundVoice&) = delete;
    CSoundVoice& operator=(const CSoundVoice&) = delete;

    // Creates the voice from the embedded "WAVE" resource resourceId.
    int Create(int resourceId, kds::HWND ownerWindow);
    // Creates the voice from a WAVE image that stays in memory for the voice's life.
    int CreateFromMemory(const unsigned char* image, uint32_t imageLength, kds::HWND ownerWindow);
    void Play(uint32_t start, int loop);
    int IsValid() const;
    int FillBuffer();

    // Whether the device shared by all voices is open.
    static int IsDeviceOpen();
    static int InstanceCount();

private:
    const unsigned char* m_pData;
    uint32_t m_dataLength;
    kds::IDirectSoundBuffer* m_pBuffer;
    int32_t m_enabled;

    static kds::IDirectSound* s_pDevice;
    static int32_t s_instanceCount;
};
