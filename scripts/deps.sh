#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs the Debian/Ubuntu packages Kadenzo needs, only those still missing.
#   scripts/deps.sh run    what building and running the program needs
#   scripts/deps.sh windows  what the Windows cross build needs
#   scripts/deps.sh test   the first two and everything the test suite uses
set -euo pipefail

# The build itself, for any target.
want=(g++ cmake ninja-build pkg-config)
# The program on Linux. qt6-wayland: the window on a Wayland desktop that has no
# X11 beside it. libxcb1-dev: the layout of the X11 events the program reads itself.
linux=(qt6-base-dev qt6-wayland libopenal-dev libopenal1 libxcb1-dev fonts-dejavu-core)
# The Windows cross build: compilers, resource compiler, GoogleTest's sources,
# Wine to run the 64-bit tests, pefile to look inside the executables.
windows=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
         binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 googletest wine64 python3-pefile)
case "${1:-run}" in
  windows) want+=("${windows[@]}") ;;
  *) want+=("${linux[@]}") ;;
esac
if [[ "${1:-run}" == test ]]; then
  want+=("${windows[@]}")
  want+=(googletest libgtest-dev libbenchmark-dev clang libclang-rt-14-dev
         xvfb xauth xdotool x11-xkb-utils x11-utils libxcb1-dev imagemagick sox valgrind
         desktop-file-utils appstream appstream-util dpkg-dev file lintian man-db weston
         clang-format shellcheck mingw-w64
         pulseaudio pulseaudio-utils pipewire pipewire-pulse wireplumber dbus)
fi

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
((${#missing[@]} == 0)) && exit 0

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}"
