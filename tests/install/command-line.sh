#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program's command line: --help, -h and --version answered without a
# display, Qt's own options passed to Qt, anything else refused, and a start
# without a usable display ended with one clear line instead of an abort.
#   command-line.sh PROGRAM VERSION
set -uo pipefail
program=$(readlink -f "$1") version=$2

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
# A sanitizer build reads its settings (leak suppressions) from these; Qt's
# keyboard set-up hands libxkbcommon an unterminated buffer with its length,
# which strict string checks take for an overflow.
sanitizer_env=()
for var in UBSAN_OPTIONS LSAN_OPTIONS; do
  [[ -n "${!var:-}" ]] && sanitizer_env+=("$var=${!var}")
done
[[ -n "${ASAN_OPTIONS:-}" ]] && sanitizer_env+=("ASAN_OPTIONS=$ASAN_OPTIONS:strict_string_checks=0")
work=$(mktemp -d /tmp/kadenzo-cli-XXXXXX)
xvfb=
pid=
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
  [[ -n "$xvfb" ]] && kill "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
mkdir -m 700 "$work/runtime"

# Runs the program in a bare environment (plus VAR=VALUE words before --) with
# a time limit; leaves the status in $rc and the output in $work/out, $work/err.
run() {
  local vars=()
  while [[ $1 != -- ]]; do vars+=("$1"); shift; done
  shift
  (cd "$work" && env -i "${sanitizer_env[@]}" PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" \
    ALSOFT_CONF="$work/alsoft.conf" "${vars[@]}" timeout -s KILL 20 "$program" "$@" \
    >"$work/out" 2>"$work/err")
  rc=$?
}
one_line_saying() { # one_line_saying WHAT PATTERN
  if ! { [[ "$(wc -l <"$work/err")" -eq 1 ]] && grep -q -- "$2" "$work/err"; }; then
    fail "$1: not one line saying '$2' on stderr: $(cat "$work/err")"
  fi
}

# --help and --version: no display at all, status 0, only stdout.
for option in --help -h; do
  run -- "$option"
  ((rc == 0)) || fail "$option: status $rc"
  head -n1 "$work/out" | grep -q '^Usage: kadenzo' || fail "$option: no usage: $(head -n3 "$work/out")"
  grep -q -- '--version' "$work/out" || fail "$option: does not name --version"
  [[ ! -s "$work/err" ]] || fail "$option: wrote to stderr: $(cat "$work/err")"
done
run -- --version
((rc == 0)) || fail "--version: status $rc"
[[ "$(head -n1 "$work/out")" == "kadenzo $version" ]] || fail "--version: says '$(head -n1 "$work/out")'"
grep -q 'MIT' "$work/out" || fail "--version: names no licence"
[[ ! -s "$work/err" ]] || fail "--version: wrote to stderr: $(cat "$work/err")"
# Answered wherever it stands, and before any other argument is judged.
run -- stray --version
if ! { ((rc == 0)) && grep -q "^kadenzo $version" "$work/out"; }; then
  fail "stray --version: status $rc"
fi
[[ ! -e "$work/drums.set" ]] || fail "an answer to --help or --version touched drums.set"

# No display: one line and status 1, never Qt's abort.
run --
((rc == 1)) || fail "no display: status $rc (134 is Qt's abort)"
one_line_saying "no display" 'neither DISPLAY nor WAYLAND_DISPLAY'
run DISPLAY=:4093 --
((rc == 1)) || fail "an X display that is not there: status $rc"
one_line_saying "an X display that is not there" "X display ':4093'"
run -- -platform nonesuch
((rc == 1)) || fail "-platform nonesuch: status $rc"
one_line_saying "-platform nonesuch" 'nonesuch'

# Anything Qt leaves is refused with status 2 before a window opens.
run QT_QPA_PLATFORM=offscreen -- --bogus
((rc == 2)) || fail "--bogus: status $rc"
if ! { grep -q -- "'--bogus'" "$work/err" && grep -q -- '--help' "$work/err" &&
  grep -q -- '--version' "$work/err"; }; then
  fail "--bogus: the message does not name the argument, --help and --version: $(cat "$work/err")"
fi
run QT_QPA_PLATFORM=offscreen -- -style fusion extra
if ! { ((rc == 2)) && grep -q "'extra'" "$work/err"; }; then
  fail "-style fusion extra: status $rc, $(cat "$work/err")"
fi

# Qt's own options go to Qt: the window opens and the program runs on.
starts_with() { # starts_with VAR=VALUE... -- ARGS...: runs on for two seconds, ends on SIGTERM
  local vars=()
  while [[ $1 != -- ]]; do vars+=("$1"); shift; done
  shift
  (cd "$work" && exec env -i "${sanitizer_env[@]}" PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" \
    ALSOFT_CONF="$work/alsoft.conf" "${vars[@]}" "$program" "$@" >"$work/out" 2>"$work/err") &
  pid=$!
  sleep 2
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid"
    fail "[$*]: ended at once with status $?: $(cat "$work/err")"
  else
    kill -TERM "$pid"
    wait "$pid"
    rc=$?
    ((rc == 0)) || fail "[$*]: status $rc after SIGTERM: $(cat "$work/err")"
  fi
  pid=
}
starts_with -- -platform offscreen -style fusion -session kadenzo-test -reverse
starts_with -- --platform offscreen
if command -v Xvfb >/dev/null; then
  Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
  xvfb=$!
  for _ in $(seq 100); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  starts_with -- -display ":$(cat "$work/display")"
fi

if ((failures > 0)); then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
