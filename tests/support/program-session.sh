# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Shell helpers for the tests that run the real program: a work folder removed
# at exit, an X display of its own (Xvfb, no window manager), the program started
# in a folder with its own OpenAL Soft configuration, and waits for its window
# and its end. Source it from a script running under `set -euo pipefail`.
#
#   session_begin NAME           work folder $work; everything started is ended at exit
#   start_xvfb                   DISPLAY set to a fresh Xvfb
#   use_display                  the caller's DISPLAY when set, else start_xvfb
#   wine_manages_windows WINE    the Wine of that launcher manages its own windows
#   launch_program DIR CONF      $program started in DIR with ALSOFT_CONF=CONF; $program_pid
#   wait_window [TITLE]          prints the id of the program's visible window of that title
#                                (a regular expression; the drum pad window's by default)
#   wait_titled_window TITLE [SECONDS]
#                                prints the id of any visible window of exactly that title
#   wait_program_end [STATUS]    waits for the end; fails unless it exits with STATUS (0)
#   scaled SECONDS               SECONDS times KADENZO_TIME_SCALE
#   write_drum_set FILE          a drum set naming sound i "Sound i", binding the X key
#                                codes of the array `keys` to the sounds of `sounds`
#   unbind_first_row WINDOW      right-clicks the first row of the drum pad's key list,
#                                unbinding its key: a change for the run to save
#   first_binding_removed FILE   prints the drum set FILE as a run that unbound its first
#                                row saves it: its lowest bound key unbound, CR LF line ends
#
# KADENZO_RUNNER, when set, is a command (with its arguments) the program runs
# under, such as valgrind; the array `runner` set by the caller comes before it
# (setpriv to drop privileges, say). KADENZO_TIME_SCALE (default 1) stretches
# every wait for such slow runs. KADENZO_KEEP_WORK=1 keeps the work folder for a look.

session_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
window_title="Orvan's Drums for Windows"
work=
xvfb_pid=
program_pid=
runner=()

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

scaled() {
  awk -v s="$1" -v k="${KADENZO_TIME_SCALE:-1}" 'BEGIN {print s * k}'
}

session_cleanup() {
  if [[ -n "$program_pid" ]]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  if [[ -n "$xvfb_pid" ]]; then kill "$xvfb_pid" 2>/dev/null || true; fi
  wait 2>/dev/null || true
  if [[ -n "${KADENZO_KEEP_WORK:-}" ]]; then
    echo "work folder kept: $work" >&2
  elif [[ -n "$work" ]]; then
    rm -rf "$work"
  fi
}

session_begin() {
  work=$(mktemp -d "/tmp/kadenzo-$1-XXXXXX")
  trap session_cleanup EXIT
}

require_tools() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || fail "missing $tool (scripts/deps.sh test installs it)"
  done
}

# A display of our own; Xvfb writes its number once it is ready.
start_xvfb() {
  require_tools Xvfb xdotool
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
    3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  local _
  for _ in $(seq 200); do
    [[ -s "$work/display" ]] && break
    sleep 0.1
  done
  local number
  number=$(head -n 1 "$work/display")
  [[ -n "$number" ]] || fail "Xvfb did not start"
  export DISPLAY=":$number"
  unset WAYLAND_DISPLAY
  export QT_QPA_PLATFORM=xcb
  export XDG_RUNTIME_DIR="$work"
  # Under the sanitizer build: the X11 libraries' own reports are not ours. A
  # copy, so that a program run as another user can read it.
  if [[ -n "${ASAN_OPTIONS:-}" ]]; then
    cp "$session_dir/../ui/e2e/asan-x11.supp" "$work/asan-x11.supp"
    chmod a+r "$work/asan-x11.supp"
    export ASAN_OPTIONS="$ASAN_OPTIONS:suppressions=$work/asan-x11.supp"
  fi
}

use_display() {
  [[ -n "${DISPLAY:-}" ]] || start_xvfb
}

# With no window manager, Wine manages its windows itself: it draws their
# captions and gives them the keyboard (a window left to a manager has
# neither), and does not wait for one to withdraw each window that closes.
wine_manages_windows() {
  "$1" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f </dev/null >/dev/null 2>&1
}

launch_program() {
  local dir=$1 conf=$2
  # The program starts in another folder.
  [[ "$program" == /* ]] || program="$PWD/$program"
  [[ "$conf" == /* ]] || conf="$PWD/$conf"
  local -a under=("${runner[@]}")
  if [[ -n "${KADENZO_RUNNER:-}" ]]; then
    local -a extra
    read -r -a extra <<<"$KADENZO_RUNNER"
    under+=("${extra[@]}")
  fi
  # A driver list in the environment would win over the configuration file.
  (cd "$dir" && unset ALSOFT_DRIVERS && ALSOFT_CONF="$conf" exec "${under[@]}" "$program") \
    >>"$work/program.log" 2>&1 &
  program_pid=$!
}

wait_window() {
  local title=${1:-$window_title} limit found started=$SECONDS
  limit=$(scaled 60)
  while :; do
    found=$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$title" \
      2>/dev/null | head -n 1 || true)
    if [[ -n "$found" ]]; then
      echo "$found"
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before its window showed"
    ((SECONDS - started <= ${limit%.*})) || fail "the window \"$title\" did not appear"
    sleep 0.1
  done
}

# Prints the id of the visible window of exactly that title once it shows, by
# title alone: a program under Wine owns its windows from a process other than
# the one started. Waits up to SECONDS (30).
wait_titled_window() {
  local title=$1 tenths found _
  tenths=$(scaled "${2:-30}")
  tenths=$(awk -v s="$tenths" 'BEGIN {print int(s * 10)}')
  for _ in $(seq "$tenths"); do
    found=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | head -n 1) || true
    if [[ -n "$found" ]]; then
      echo "$found"
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || fail "the program ended before \"$title\" showed"
    sleep 0.1
  done
  fail "no window \"$title\""
}

wait_program_end() {
  local expected=${1:-0} status=0 limit
  limit=$(scaled 15)
  local started=$SECONDS
  while kill -0 "$program_pid" 2>/dev/null; do
    sleep 0.1
    ((SECONDS - started <= ${limit%.*})) || fail "the program did not end"
  done
  wait "$program_pid" || status=$?
  program_pid=
  ((status == expected)) || fail "the program ended with status $status"
}

unbind_first_row() {
  xdotool mousemove --window "$1" 60 68 click 3
  sleep "$(scaled 0.3)"
}

first_binding_removed() {
  awk 'BEGIN { ORS = "" }
    { sub(/\r$/, "") }
    NR <= 28 { print $0 "\r\n"; next }
    NR == 29 {
      n = split($0, entries, " ")
      for (i = 1; i <= n; i++) {
        if (!done && entries[i] != 255) { entries[i] = 255; done = 1 }
        print entries[i] " "
      }
    }' "$1"
}

# keys and sounds are the caller's arrays.
# shellcheck disable=SC2154
write_drum_set() {
  local code i sound
  {
    for i in $(seq 0 27); do printf 'Sound %s\r\n' "$i"; done
    for code in $(seq 1 255); do
      sound=255
      for i in "${!keys[@]}"; do
        ((keys[i] - 8 == code)) && sound=${sounds[i]}
      done
      printf '%s ' "$sound"
    done
  } >"$1"
}
