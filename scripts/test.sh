#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs every test: the whole suite under
# AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers, then the whole
# suite in the plain build (its counts are the last lines printed).
# Exits non-zero on any failure. CI runs exactly this.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs=$(nproc)

"$root/scripts/deps.sh" test

# Tests never need the user's display or sound device.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

step() { printf '\n==== %s ====\n' "$*"; }

step "Lint: formatting and shell scripts"
"$root/scripts/lint.sh"

step "Build"
cmake -S "$root" -B "$root/build" -G Ninja -DKADENZO_BENCH=ON -DKADENZO_WERROR=ON
cmake --build "$root/build" -j "$jobs"

step "Windows shape"
"$root/scripts/check-windows-shape.sh"

step "Build with AddressSanitizer and UndefinedBehaviorSanitizer"
cmake -S "$root" -B "$root/build-asan" -G Ninja -DKADENZO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DKADENZO_WERROR=ON
cmake --build "$root/build-asan" -j "$jobs"

step "Tests under sanitizers"
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
(cd "$root/build-asan" && ctest --output-on-failure -j "$jobs" --timeout 600)
unset ASAN_OPTIONS UBSAN_OPTIONS LSAN_OPTIONS

step "Fuzzing, ${KADENZO_FUZZ_SECONDS:=60} seconds per target"
# clang's libFuzzer with both sanitizers; each fuzzer starts from a copy of its
# kept inputs, so the repository never changes during a run.
CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
  -DCMAKE_CXX_COMPILER=clang++ -DKADENZO_FUZZ=ON -DKADENZO_SANITIZE=ON -DKADENZO_WERROR=ON \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$root/build-fuzz" -j "$jobs" --target drumset_fuzz waveimage_fuzz
# Runs one fuzzer; its output goes to build-fuzz/fuzz-<target>.log.
fuzz() {
  local target=$1 max_len=$2 work status=0
  work=$(mktemp -d)
  cp -R "$root/tests/data/fuzz/$target/." "$work/"
  mkdir -p "$root/build-fuzz/fuzz-artifacts/$target"
  "$root/build-fuzz/bin/${target}_fuzz" -max_total_time="$KADENZO_FUZZ_SECONDS" \
    -max_len="$max_len" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$root/build-fuzz/fuzz-artifacts/$target/" "$work" \
    >"$root/build-fuzz/fuzz-$target.log" 2>&1 || status=$?
  rm -rf "$work"
  return "$status"
}
# One fuzzer per core, both at once.
declare -A fuzz_pid
fuzz drumset 8192 &
fuzz_pid[drumset]=$!
fuzz waveimage 4096 &
fuzz_pid[waveimage]=$!
fuzz_failed=0
for target in drumset waveimage; do
  log="$root/build-fuzz/fuzz-$target.log"
  if wait "${fuzz_pid[$target]}"; then
    printf '%s: %s\n' "$target" "$(grep -E '^Done [0-9]+ runs' "$log")"
  else
    tail -n 60 "$log"
    echo "$target: the failing input is in build-fuzz/fuzz-artifacts/$target/;" \
      "keep it in tests/data/fuzz/$target/ once the fault is mended."
    fuzz_failed=1
  fi
done
((fuzz_failed == 0))

step "Windows: both cross builds, the 32-bit one inspected, the 64-bit tests under Wine"
"$root/scripts/build-windows.sh"
# Each download holds the program, the starter set, the licence and the README.
for zip in "$root"/build-windows/kadenzo-*-windows-{x86,x64}.zip; do
  /usr/bin/python3 "$root/tests/res/check-windows-zip.py" "$zip" --waves "$root/res/waves"
  /usr/bin/python3 - "$zip" <<'CHECK'
import sys, zipfile
names = sorted(n.split("/", 1)[1] for n in zipfile.ZipFile(sys.argv[1]).namelist() if not n.endswith("/"))
expected = ["LICENSE.txt", "README.txt", "drums.set", "kadenzo.exe"]
sys.exit(0 if names == expected else f"{sys.argv[1]} holds {names}, not {expected}")
CHECK
done
(cd "$root/build-windows/x86" && ctest --output-on-failure --timeout 600)
(
  cd "$root/build-windows/x64"
  # The toolkit layer's windows need an X display: an Xvfb of this step's own,
  # ended with the step.
  # shellcheck source=../tests/support/program-session.sh
  source "$root/tests/support/program-session.sh"
  session_begin windows-tests
  start_xvfb
  export WINEPREFIX="$PWD/wineprefix"
  # One Wine for the whole run, its server and services started here, away
  # from the tests' output: started by a test, they would hold its output open
  # (and ctest waiting) until they end. The prefix is made once, before tests
  # run side by side in it.
  # The server wants its prefix's folder there before the prefix is made.
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true # already running for this prefix
  ./wine-run.sh wineboot --init </dev/null >/dev/null 2>&1
  # With no window manager, Wine manages its windows itself: it draws their
  # captions and gives them the keyboard, and does not wait two seconds for a
  # window manager to withdraw each window that closes.
  ./wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
  status=0
  ctest --output-on-failure -j "$jobs" --timeout 600 || status=$?
  /usr/lib/wine/wineserver -k || true
  exit "$status"
)

step "Tests"
(cd "$root/build" && ctest --output-on-failure -j "$jobs" --timeout 600)
