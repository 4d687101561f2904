// SPDX-License-Identifier: MIT
// The drum set files tests start from: one written with given names and
// bindings, the starter set shipped with the program, and the bytes of an
// empty set. The program opens "drums.set" in the working folder (CTempFolder).
#pragma once

#include "DrumTypes.h"

#include <string>

// A key bound to a sound.
struct SBinding {
    int m_key;
    int m_sound;
};

// Writes "drums.set" in the working folder with these names and bindings, in
// the kit's own format.
void WriteDrumSet(const std::string (&names)[kSoundCount], const SBinding* pBindings, int count);

// The starter set shipped with the program: names and bindings over the letter rows.
std::string StarterSet();

// The user's file as the program writes it: sound i named "Sound i", and keys
// 16 to 43 playing sounds 0 to 27.
std::string UserSetBytes();

class CDrumKit;
// A kit whose file differs in every part from any a test starts from (names
// at both ends, two bindings), and the bytes it saves.
void MakeNewKit(CDrumKit& kit);
std::string NewKitBytes();

// What a kit writes when nothing is named and nothing bound: 28 empty lines and
// 255 times "255 ".
std::string EmptySetBytes();
