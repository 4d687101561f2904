#include "DirectSound.h"

// Filled in by the sound output work; until then no device can be opened.
HRESULT OpenALDirectSoundCreate(const void*, IDirectSound** ppDevice, void*) {
    if (ppDevice != nullptr)
        *ppDevice = nullptr;
    return DSERR_NODRIVER;
}
