#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds Kadenzo for 32-bit and 64-bit Windows with mingw-w64, into
# build-windows/x86/ and build-windows/x64/. Installs what is missing first.
# Extra arguments go to both configure steps (-DCMAKE_BUILD_TYPE=Debug, say).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs=$(nproc)

"$root/scripts/deps.sh" windows

for arch in x86 x64; do
  printf '\n==== Windows %s ====\n' "$arch"
  cmake -S "$root" -B "$root/build-windows/$arch" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-windows-$arch.cmake" \
    -DCMAKE_BUILD_TYPE=Release "$@"
  cmake --build "$root/build-windows/$arch" -j "$jobs"
done
