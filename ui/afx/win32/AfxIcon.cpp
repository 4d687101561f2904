// SPDX-License-Identifier: MIT
// Icons on Win32: the icon resources of the executable.
#include "AfxToolkit.h"

HICON AfxLoadIconResource(UINT id) {
    return ::LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

void AfxFreeIcon(HICON /*icon*/) {
    // The system's shared icon of the resource: it lives as long as the
    // program and is never destroyed.
}
