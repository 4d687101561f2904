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

# The 32-bit Windows build runs under Wine's i386 loader, which comes from the
# i386 architecture's packages: only where the kernel runs 32-bit programs,
# which libc6-i386 (an amd64 package) lets us try first.
if [[ "${1:-run}" != run ]]; then
  want+=(libc6-i386)
fi

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"; }

sudo=()
if [[ $(id -u) -ne 0 ]]; then
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
install_missing() {
  local missing=() p
  for p in "$@"; do
    installed "$p" || missing+=("$p")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" apt-get install -y -qq "${missing[@]}"
}

install_missing "${want[@]}"
if [[ "${1:-run}" != run ]] && ! installed wine32:i386; then
  if /lib32/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "This kernel runs 32-bit programs: enabling i386 packages for Wine's 32-bit loader."
    "${sudo[@]}" dpkg --add-architecture i386
    install_missing wine32:i386
  else
    echo "This kernel does not run 32-bit programs: Wine's 32-bit loader is not installed."
  fi
fi
