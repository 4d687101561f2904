#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The toolkit layer's shape and the sound device interface compile beside the
# Windows headers, included first, as a Win32 implementation of the layer and
# a DirectSound back end will include them; and the device interface's codes
# and flags are the very values of <dsound.h>. Syntax only, with MinGW-w64.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cxx=x86_64-w64-mingw32-g++-posix

check() {
  "$cxx" -std=c++20 -fsyntax-only -Wall -Wextra -Werror \
    -I "$root/res" -I "$root/ui/afx" -I "$root/sound" -x c++ -
}

echo "Shape headers after <windows.h>, <commctrl.h> and <dsound.h>"
check <<'CPP'
#include <windows.h>
#include <commctrl.h>
#include <dsound.h>

#include "AfxKeys.h"
#include "AfxWin.h"
#include "DialogTemplates.h"
#include "DirectSound.h"

// The shape's classes take the system's handles and structures.
static_assert(sizeof(static_cast<CWnd*>(nullptr)->m_hWnd) == sizeof(HWND));
static_assert(sizeof(NMLVKEYDOWN::flags) == sizeof(UINT));
CPP

echo "Device interface codes and flags against <dsound.h>"
check <<'CPP'
#include <windows.h>
#include <dsound.h>

#define KDS_NAMES(X)                                                                               \
  X(DS_OK) X(DSERR_ALLOCATED) X(DSERR_NODRIVER) X(DSERR_BUFFERLOST) X(DSERR_INVALIDPARAM)          \
  X(DSERR_OUTOFMEMORY) X(DSERR_BADFORMAT) X(DSERR_GENERIC) X(DSSCL_NORMAL) X(DSBCAPS_STATIC)       \
  X(DSBLOCK_ENTIREBUFFER) X(DSBPLAY_LOOPING)
#define KDS_VALUE(name) static_cast<long long>(name),
constexpr long long kTheirs[] = {KDS_NAMES(KDS_VALUE)};
// Theirs are macros; ours are declared only where no macro stands in the way.
#undef DS_OK
#undef DSERR_ALLOCATED
#undef DSERR_NODRIVER
#undef DSERR_BUFFERLOST
#undef DSERR_INVALIDPARAM
#undef DSERR_OUTOFMEMORY
#undef DSERR_BADFORMAT
#undef DSERR_GENERIC
#undef DSSCL_NORMAL
#undef DSBCAPS_STATIC
#undef DSBLOCK_ENTIREBUFFER
#undef DSBPLAY_LOOPING

#include "DirectSound.h"

#define KDS_OURS(name) static_cast<long long>(kds::name),
constexpr long long kOurs[] = {KDS_NAMES(KDS_OURS)};
static_assert(sizeof kOurs == sizeof kTheirs);
constexpr bool Same() {
  for (unsigned i = 0; i < sizeof kOurs / sizeof kOurs[0]; ++i) {
    if (kOurs[i] != kTheirs[i])
      return false;
  }
  return true;
}
static_assert(Same(), "a code or flag of the device interface differs from <dsound.h>");
CPP
echo "Windows shape: ok"
