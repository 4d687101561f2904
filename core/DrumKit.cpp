// SPDX-License-Identifier: MIT
#include "DrumKit.h"

#include "DrumSetFile.h"
#include "KeyNames.h"

#include <cstdlib>

namespace {

const char kSetFileName[] = "drums.set";

// The kit saved should the process end without destroying it: a toolkit may
// end the program from inside its event loop by calling exit(), as Qt's X11
// platform does when the connection to the display breaks, and the window
// with its kit then never leaves the stack.
CDrumKit* g_pKitAtExit = nullptr;

void SaveKitAtExit() {
    CDrumKit* pKit = g_pKitAtExit;
    g_pKitAtExit = nullptr;
    if (pKit != nullptr)
        pKit->SaveIfRead();
}

// Only the 28 sounds ever index names, voices and counters: anything else in
// the key map, wherever it came from, leaves the key unbound.
int IsSound(int32_t value) {
    return value >= 0 && value < kSoundCount;
}

} // namespace

CDrumKit::CDrumKit() : m_writeOnDestroy(0) {
    // Init sets these again; giving them values here keeps a kit that never ran
    // Init from reading anything undefined.
    for (int32_t& entry : m_keyMap)
        entry = kNoSound;
    for (int32_t& next : m_next)
        next = 0;
}

CDrumKit::~CDrumKit() {
    // This save is the one: none follows at exit.
    if (g_pKitAtExit == this)
        g_pKitAtExit = nullptr;
    // Without Init, or when Init could not read the file, the kit holds only
    // empty names and no bindings: writing them would wipe the user's file.
    SaveIfRead();
    // The voices go next, last element first, as members do: voice 0 of sound 0
    // is the last one and releases the shared device.
}

int CDrumKit::SaveIfRead() {
    return m_writeOnDestroy ? SaveDrumSetChanges(kSetFileName, m_names, m_keyMap, m_setFile) : 0;
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
    // From here on there is something to save however the process ends.
    static const int s_atExitRegistered = std::atexit(&SaveKitAtExit) == 0;
    if (s_atExitRegistered)
        g_pKitAtExit = this;
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
