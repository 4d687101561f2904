#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: the plain build, then
# the whole suite again under AddressSanitizer and UndefinedBehaviorSanitizer.
# Exits non-zero on any failure. CI runs exactly this.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs=$(nproc)

"$root/scripts/deps.sh" test

# Tests never need the user's display or sound device.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

step() { printf '\n==== %s ====\n' "$*"; }

step "Build"
cmake -S "$root" -B "$root/build" -G Ninja -DKADENZO_BENCH=ON
cmake --build "$root/build" -j "$jobs"

step "Build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DKADENZO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
cmake --build "$root/build-asan" -j "$jobs"

step "Tests under sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" --timeout 600)
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

step "Tests"
(cd "$root/build" && ctest --output-on-failure -j "$jobs" --timeout 600)
