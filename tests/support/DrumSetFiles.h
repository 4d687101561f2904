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

// What a kit writes when nothing is named and nothing bound: 28 empty lines and
// 255 times "255 ".
std::string EmptySetBytes();
