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

# The downloads for Windows users: the program, the starter drum set, the
# licence and a short README, with Windows line ends on the texts. The program
# goes without its debugging information (a third of its size), which stays
# beside the build as kadenzo.exe.debug for reading crash addresses.
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build-windows/x64/CMakeCache.txt")
for arch in x86 x64; do
  case $arch in
    x86) binutils=i686-w64-mingw32 ;;
    x64) binutils=x86_64-w64-mingw32 ;;
  esac
  built="$root/build-windows/$arch/bin/kadenzo.exe"
  stage="$root/build-windows/$arch/zip/kadenzo-$version-windows-$arch"
  rm -rf "$root/build-windows/$arch/zip"
  mkdir -p "$stage"
  "$binutils-objcopy" --only-keep-debug "$built" "$root/build-windows/$arch/kadenzo.exe.debug"
  "$binutils-strip" --strip-all -o "$stage/kadenzo.exe" "$built"
  cp "$root/res/drums.set" "$stage/drums.set"
  sed 's/$/\r/' "$root/LICENSE" >"$stage/LICENSE.txt"
  cp "$root/packaging/windows/README.txt" "$stage/README.txt"
  zip="$root/build-windows/kadenzo-$version-windows-$arch.zip"
  rm -f "$zip"
  (cd "$stage/.." && cmake -E tar cf "$zip" --format=zip "kadenzo-$version-windows-$arch")
  echo "made $zip"
done
