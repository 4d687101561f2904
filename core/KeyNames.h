// SPDX-License-Identifier: MIT
// English names of keys by scan code, independent of the keyboard layout.
#pragma once

#include "DrumTypes.h"

#include <string>

// The name of a key; the empty text for codes that have none.
std::string KeyName(ScanCode code);
