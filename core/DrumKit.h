// SPDX-License-Identifier: MIT
// The drum kit: 28 sounds of five voices each, their names, and the binding of
// keys to sounds.
#pragma once

#include "DrumSetFile.h"
#include "DrumTypes.h"
#include "KeyList.h"
#include "SoundVoice.h"

#include <cstdint>
#include <string>

class CDrumKit {
public:
    CDrumKit();
    virtual ~CDrumKit();
    CDrumKit(const CDrumKit&) = delete;
    CDrumKit& operator=(const CDrumKit&) = delete;

    void Init();
    void PlayKey(ScanCode key);
    void PlaySound(SoundIndex sound);
    void Assign(int key, int sound);
    void Unassign(int key);
    int BoundKeyAt(int row) const;
    void FillKeyList(IKeyList& list) const;

    int LoadSet(const char* fileName);
    int SaveSet(const char* fileName);
    // Saves "drums.set" as destruction does: only when Init has read it, and
    // only what changed since (a file created by Init is written all the
    // same). 1 when the file holds the kit's names and bindings, whether
    // written now or already; 0 when it could not be written or was not read.
    int SaveIfRead();

    std::string m_names[kSoundCount];
    int32_t m_keyMap[kKeyMapSize];
    CSoundVoice m_voices[kSoundCount * kVoicesPerSound];
    int32_t m_next[kSoundCount];

private:
    // Whether destruction writes the file: only after Init has read it (or
    // created it). A kit that never ran Init holds nothing worth writing over
    // the user's file, and one that could not read an existing file would
    // replace the user's work with empty names.
    int32_t m_writeOnDestroy;
    // What Init read of the file, so that the saves write only changes and
    // keep what the kit did not understand.
    SDrumSetRecord m_setFile;
};
