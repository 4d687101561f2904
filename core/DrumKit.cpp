// SPDX-License-Identifier: MIT
#include "DrumKit.h"

#include "DrumSetFile.h"
#include "FileSystem.h"
#include "KeyNames.h"

#include <cstdio>

namespace {

const char kSetFileName[] = "drums.set";

// Why a save failed, in the user's words.
std::string FailureText(int failure) {
    switch (failure) {
    case kFileRefused:
        return "it may not be written (it, or its folder, is read-only)";
    case kFileNoRoom:
        return "the disk is full";
    case kFileNotPlain:
        return "it is not a plain file";
    case kFileMissing:
        return "its folder is missing";
    case kFileBusy:
        return "another program is using it";
    default:
        return "the system refused to write it";
    }
}

// Where nobody can be asked or told: standard error, where there is one.
void Note(const std::string& text) {
    std::fprintf(stderr, "kadenzo: %s\n", text.c_str());
}

void Tell(ISavePrompt* pPrompt, const std::string& text) {
    if (pPrompt == nullptr || !pPrompt->Tell(text))
        Note(text);
}

// Only the 28 sounds ever index names, voices and counters: anything else in
// the key map, wherever it came from, leaves the key unbound.
int IsSound(int32_t value) {
    return value >= 0 && value < kSoundCount;
}

} // namespace

CDrumKit::CDrumKit() : m_writeOnDestroy(0), m_unreadable(0) {
    // Init sets these again; giving them values here keeps a kit that never ran
    // Init from reading anything undefined.
    for (int32_t& entry : m_keyMap)
        entry = kNoSound;
    for (int32_t& next : m_next)
        next = 0;
}

CDrumKit::~CDrumKit() {
    // Without Init, or when Init could not read the file, the kit holds only
    // empty names and no bindings: writing them would wipe the user's file.
    SaveOrKeep(m_pPrompt);
    // The voices go next, last element first, as members do: voice 0 of sound 0
    // is the last one and releases the shared device.
}

int CDrumKit::SaveIfRead() {
    return m_writeOnDestroy ? SaveDrumSetChanges(kSetFileName, m_names, m_keyMap, m_setFile) : 0;
}

int CDrumKit::KeepInRecovery(const std::string& text, std::string* pPath) {
    if (m_recoveryPath.empty() || text != m_recovered) {
        IFileSystem& fs = FileSystem();
        std::string folder;
        std::string path;
        if (fs.MakeStateFolder(&folder) < 0 ||
            !WriteNewFile(folder + "drums-" + TimeStamp() + "-" + std::to_string(fs.ProcessId()),
                          ".set", text, nullptr, &path))
            return 0;
        m_recoveryPath = path;
        m_recovered = text;
    }
    *pPath = m_recoveryPath;
    return 1;
}

int CDrumKit::SaveOrKeep(ISavePrompt* pPrompt) {
    const std::string text = FormatDrumSet(m_names, m_keyMap);
    if (m_unreadable) {
        // The file is never written over; the changes of the run are kept.
        std::string path;
        if (text == m_setFile.m_saved || (text == m_recovered && !m_recoveryPath.empty()))
            return 0;
        const std::string kept = KeepInRecovery(text, &path)
                                     ? "Your changes of this run are kept in " + path + "."
                                     : "Your changes of this run could not be kept.";
        Tell(pPrompt, "\"drums.set\" could not be read when Kadenzo started, so it is left as it "
                      "was. " +
                          kept);
        return 0;
    }
    if (!m_writeOnDestroy)
        return 0;
    for (;;) {
        std::string replaced;
        if (SaveDrumSetChanges(kSetFileName, m_names, m_keyMap, m_setFile, &replaced)) {
            // Kept while the save failed; the file holds the same now.
            if (!m_recoveryPath.empty() && m_recovered == text) {
                FileSystem().Remove(m_recoveryPath.c_str());
                m_recoveryPath.clear();
            }
            if (!replaced.empty())
                Tell(pPrompt, "\"drums.set\" had been changed by another program since Kadenzo "
                              "read it. That version is kept as " +
                                  replaced + "; \"drums.set\" now holds this run's.");
            return 1;
        }
        std::string message =
            "Your changes could not be saved to \"drums.set\": " + FailureText(LastFileFailure()) +
            ".";
        std::string path;
        message +=
            KeepInRecovery(text, &path)
                ? " They are kept in " + path + "; copy that file over \"drums.set\" to use them."
                : " They could not be kept elsewhere either.";
        const int answer =
            pPrompt != nullptr
                ? pPrompt->AskRetry(message + "\n\nRetry to try again, or Cancel to leave "
                                              "\"drums.set\" as it is.")
                : -1;
        if (answer < 0)
            Note(message);
        if (answer != 1)
            return 0;
    }
}

void CDrumKit::Init() {
    // Without a usable sound device every creation would spend its whole series
    // of attempts to open it again. One series tells enough: the voices not
    // created stay silent, which is what a failed creation leaves anyway.
    int deviceMissing = 0;
    for (int sound = 0; sound < kSoundCount; ++sound) {
        for (int voice = 0; voice < kVoicesPerSound && !deviceMissing; ++voice) {
            CSoundVoice& target = m_voices[sound * kVoicesPerSound + voice];
            if (!target.Create(kFirstWaveId + sound, nullptr) && !CSoundVoice::IsDeviceOpen())
                deviceMissing = 1;
        }
        m_next[sound] = 0;
    }
    for (int32_t& entry : m_keyMap)
        entry = kNoSound;
    m_writeOnDestroy = LoadDrumSetFile(kSetFileName, m_names, m_keyMap, &m_setFile);
    m_unreadable = !m_writeOnDestroy;
    // What an unread file leaves: any change from it is the user's work.
    if (m_unreadable)
        m_setFile.m_saved = FormatDrumSet(m_names, m_keyMap);
}

void CDrumKit::PlayKey(ScanCode key) {
    const int32_t sound = m_keyMap[key];
    if (!IsSound(sound))
        return;
    PlaySound(sound);
}

void CDrumKit::PlaySound(SoundIndex sound) {
    if (!IsSound(sound))
        return;
    // Advanced before use: the first stroke after Init takes voice 1.
    m_next[sound] = (m_next[sound] + 1) % kVoicesPerSound;
    m_voices[sound * kVoicesPerSound + m_next[sound]].Play(0, 0);
}

void CDrumKit::Assign(int key, int sound) {
    if (key < 0 || key >= kKeyMapSize || !IsSound(sound))
        return;
    m_keyMap[key] = sound;
}

void CDrumKit::Unassign(int key) {
    if (key < 0 || key >= kKeyMapSize)
        return;
    m_keyMap[key] = kNoSound;
}

int CDrumKit::BoundKeyAt(int row) const {
    int count = 0;
    for (int code = 0; code < kKeyMapSize; ++code) {
        if (IsSound(m_keyMap[code]) && count++ == row)
            return code;
    }
    return kKeyMapSize - 1;
}

void CDrumKit::FillKeyList(IKeyList& list) const {
    list.DeleteAllItems();
    int row = 0;
    for (int code = 0; code < kKeyMapSize; ++code) {
        if (!IsSound(m_keyMap[code]))
            continue;
        const int item = list.InsertItem(row, KeyName(static_cast<ScanCode>(code)));
        if (item < 0)
            continue;
        list.SetItemText(item, 1, m_names[m_keyMap[code]]);
        ++row;
    }
}

int CDrumKit::LoadSet(const char* fileName) {
    return LoadDrumSetFile(fileName, m_names, m_keyMap);
}

int CDrumKit::SaveSet(const char* fileName) {
    return SaveDrumSetFile(fileName, m_names, m_keyMap);
}
