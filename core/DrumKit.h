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

// How the save at the end of a run tells the user what became of their
// changes. The toolkit shows the boxes; the kit decides what they say.
class ISavePrompt {
public:
    // Asks whether to try the save again: 1 for Retry, 0 for Cancel, -1 when
    // nobody can be asked (the program was told to end, the display is gone).
    virtual int AskRetry(const std::string& text) = 0;
    // Shows text with an OK button; 0 when nobody can be told.
    virtual int Tell(const std::string& text) = 0;

protected:
    ~ISavePrompt() = default;
};

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
    // The save at the end of a run: as SaveIfRead, but changes that cannot
    // reach "drums.set" (it could not be written, or could not be read at the
    // start) are never lost: they are kept in a recovery file of their own in
    // the program's state folder, and pPrompt asks whether to try again and
    // tells where they are. Without pPrompt, or where it cannot ask, standard
    // error says so. A version of the file another program wrote meanwhile is
    // kept beside it, and told. 1 when "drums.set" holds the kit's names and
    // bindings.
    int SaveOrKeep(ISavePrompt* pPrompt);

    // Who destruction's save tells; nobody by default.
    ISavePrompt* m_pPrompt = nullptr;

    std::string m_names[kSoundCount];
    int32_t m_keyMap[kKeyMapSize];
    CSoundVoice m_voices[kSoundCount * kVoicesPerSound];
    int32_t m_next[kSoundCount];

private:
    // Keeps text in a new recovery file, or finds it kept already: 1 with the
    // file's name in pPath.
    int KeepInRecovery(const std::string& text, std::string* pPath);

    // Whether destruction writes the file: only after Init has read it (or
    // created it). A kit that never ran Init holds nothing worth writing over
    // the user's file, and one that could not read an existing file would
    // replace the user's work with empty names.
    int32_t m_writeOnDestroy;
    // Init ran but could not read the file: changes go to a recovery file.
    int32_t m_unreadable;
    // What Init read of the file, so that the saves write only changes and
    // keep what the kit did not understand.
    SDrumSetRecord m_setFile;
    // The recovery file last written and what it holds, so that saves that
    // fail again keep the same changes once.
    std::string m_recoveryPath;
    std::string m_recovered;
};
