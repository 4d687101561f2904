#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Installs what is missing, builds, and runs the tests, stage by stage:
#   scripts/test.sh              every stage, in this order (what CI runs)
#   scripts/test.sh STAGE...     only those stages
# Stages:
#   lint     formatting and the shell scripts
#   unit     the plain build and its whole suite (the windows, the package and
#            the sound servers included): the fast verdict
#   asan     the whole suite again under AddressSanitizer and UBSan
#   fuzz     both fuzzers, KADENZO_FUZZ_SECONDS (60) each, side by side
#   windows  both cross builds and their downloads; every test program and
#            end-to-end test under Wine, 64-bit then 32-bit (where the kernel
#            runs 32-bit programs; else the 32-bit executables are only inspected)
# Ends with each stage's wall time. Exits non-zero on any failure.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
jobs=$(nproc)
all_stages=(lint unit asan fuzz windows)

stages=("$@")
((${#stages[@]})) || stages=("${all_stages[@]}")
for stage in "${stages[@]}"; do
  [[ " ${all_stages[*]} " == *" $stage "* ]] ||
    { echo "unknown stage '$stage'; the stages: ${all_stages[*]}" >&2; exit 2; }
done

# Tests never need the user's display or sound device.
unset DISPLAY WAYLAND_DISPLAY
export QT_QPA_PLATFORM=offscreen

step() { printf '\n==== %s ====\n' "$*"; }

stage_lint() {
  "$root/scripts/lint.sh"
}

stage_unit() {
  step "Build"
  cmake -S "$root" -B "$root/build" -G Ninja -DKADENZO_BENCH=ON -DKADENZO_WERROR=ON
  cmake --build "$root/build" -j "$jobs"
  step "Tests"
  (cd "$root/build" && ctest --output-on-failure -j "$jobs" --timeout 600)
}

stage_asan() {
  step "Build with AddressSanitizer and UndefinedBehaviorSanitizer"
  cmake -S "$root" -B "$root/build-asan" -G Ninja -DKADENZO_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DKADENZO_WERROR=ON
  cmake --build "$root/build-asan" -j "$jobs"
  step "Tests under sanitizers"
  (cd "$root/build-asan" &&
    ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1" \
    UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0" \
    ctest --output-on-failure -j "$jobs" --timeout 600)
}

# Runs one fuzzer; its output goes to build-fuzz/fuzz-<target>.log. Each starts
# from a copy of its kept inputs, so the repository never changes during a run.
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

stage_fuzz() {
  : "${KADENZO_FUZZ_SECONDS:=60}"
  step "Fuzzing, $KADENZO_FUZZ_SECONDS seconds per target"
  # clang's libFuzzer with both sanitizers.
  CC=clang CXX=clang++ cmake -S "$root" -B "$root/build-fuzz" -G Ninja \
    -DCMAKE_CXX_COMPILER=clang++ -DKADENZO_FUZZ=ON -DKADENZO_SANITIZE=ON -DKADENZO_WERROR=ON \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$root/build-fuzz" -j "$jobs" --target drumset_fuzz waveimage_fuzz
  # One fuzzer per core, both at once.
  local -A fuzz_pid
  local target log failed=0
  fuzz drumset 8192 &
  fuzz_pid[drumset]=$!
  fuzz waveimage 4096 &
  fuzz_pid[waveimage]=$!
  for target in drumset waveimage; do
    log="$root/build-fuzz/fuzz-$target.log"
    if wait "${fuzz_pid[$target]}"; then
      printf '%s: %s\n' "$target" "$(grep -E '^Done [0-9]+ runs' "$log")"
    else
      tail -n 60 "$log"
      echo "$target: the failing input is in build-fuzz/fuzz-artifacts/$target/;" \
        "keep it in tests/data/fuzz/$target/ once the fault is mended."
      failed=1
    fi
  done
  ((failed == 0))
}

# Whether this kernel runs 32-bit programs and Wine's i386 loader is there;
# says why not otherwise.
runs_32_bit() {
  if ! /lib32/ld-linux.so.2 --version >/dev/null 2>&1; then
    echo "32-bit Windows run skipped: this kernel does not run 32-bit programs" \
      "(/lib32/ld-linux.so.2 does not answer); the x86 executables are only inspected."
    return 1
  fi
  if [[ ! -x /usr/lib/wine/wine ]]; then
    echo "32-bit Windows run skipped: Wine's i386 loader (wine32:i386) is not installed;" \
      "the x86 executables are only inspected."
    return 1
  fi
}

# Runs one Windows build's tests under Wine on an Xvfb of its own, in the
# build's prefix, made once here; the prefix's Wine ends with the run.
windows_tests() (
  cd "$root/build-windows/$1"
  # shellcheck source=../tests/support/program-session.sh
  source "$root/tests/support/program-session.sh"
  session_begin "windows-tests-$1"
  start_xvfb
  export WINEPREFIX="$PWD/wineprefix"
  # The server makes the prefix it finds missing, of this architecture.
  WINEARCH=$(sed -n 's/^WINEARCH=//p' wine-run.sh)
  export WINEARCH
  # One Wine for the whole run, its server and services started here, away
  # from the tests' output: started by a test, they would hold its output open
  # (and ctest waiting) until they end. The server wants its prefix's folder
  # there before the prefix is made.
  mkdir -p "$WINEPREFIX"
  /usr/lib/wine/wineserver -p </dev/null >/dev/null 2>&1 || true # already running for this prefix
  ./wine-run.sh wineboot --init </dev/null >/dev/null 2>&1
  wine_manages_windows ./wine-run.sh
  local status=0
  ctest --output-on-failure -j "$jobs" --timeout 600 || status=$?
  /usr/lib/wine/wineserver -k || true
  return "$status"
)

stage_windows() {
  step "Windows: the shape's headers after <windows.h>"
  "$root/scripts/check-windows-shape.sh"
  step "Windows: both cross builds and their downloads"
  "$root/scripts/build-windows.sh"
  # What each download holds, and the program inside it.
  local zip
  for zip in "$root"/build-windows/kadenzo-*-windows-{x86,x64}.zip; do
    /usr/bin/python3 "$root/tests/res/check-windows-zip.py" "$zip" --waves "$root/res/waves"
  done
  # Both targets at once, each on a display of its own (the layer's tests take
  # the keyboard focus): most of their time is Wine starting and waiting.
  local -A pid
  local arch failed=0
  step "Windows: every test under Wine, x64 and x86 side by side"
  windows_tests x64 >"$root/build-windows/x64-tests.log" 2>&1 &
  pid[x64]=$!
  if runs_32_bit; then
    windows_tests x86 >"$root/build-windows/x86-tests.log" 2>&1 &
  else
    (cd "$root/build-windows/x86" && ctest --output-on-failure -L inspect --timeout 600) \
      >"$root/build-windows/x86-tests.log" 2>&1 &
  fi
  pid[x86]=$!
  for arch in x64 x86; do
    wait "${pid[$arch]}" || failed=1
    step "Windows $arch"
    cat "$root/build-windows/$arch-tests.log"
  done
  ((failed == 0))
}

# Each stage's wall time, printed at the end whatever happened.
declare -a report=()
current=
report_times() {
  local status=$?
  [[ -n "$current" ]] && report+=("$(printf '%-8s %6s  %s' "$current" "$(elapsed "$stage_start")" FAILED)")
  printf '\n==== Stages ====\n'
  printf '%-8s %6s  %s\n' stage time result
  printf '%s\n' "${report[@]}"
  printf '%-8s %6s  %s\n' total "$(elapsed "$begun")" "$([[ $status == 0 ]] && echo passed || echo failed)"
}
elapsed() {
  local s=$((SECONDS - $1))
  printf '%d:%02d' $((s / 60)) $((s % 60))
}
begun=$SECONDS
stage_start=$SECONDS
current=packages
trap report_times EXIT
step "Packages"
"$root/scripts/deps.sh" test
report+=("$(printf '%-8s %6s  %s' packages "$(elapsed "$stage_start")" ok)")
for stage in "${stages[@]}"; do
  current=$stage
  stage_start=$SECONDS
  step "Stage: $stage"
  "stage_$stage"
  report+=("$(printf '%-8s %6s  %s' "$stage" "$(elapsed "$stage_start")" passed)")
done
current=
