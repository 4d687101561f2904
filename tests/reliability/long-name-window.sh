#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program with a sound name of about 10 MB in "drums.set", under Xvfb.
# The controls show only the name's beginning, so the window comes at once and
# answers at once; the figures are printed. Timing here only guards against
# the window being busy for good (the bound is generous: a loaded machine is
# slow); the figures are what to look at. And the name is never cut: a run
# that stores every name through "Save Drums Set" saves it whole, and a run
# without changes leaves the file as it was.
#
# Usage: long-name-window.sh KADENZO_EXECUTABLE SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
source_dir=$2
session_begin long-name-window
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
keydef_title="Add Key Definition / Rename Sounds"
limit=10 # seconds, times KADENZO_TIME_SCALE
start_xvfb

# Sound 0, bound in the starter set, named with 10.8 MB of UTF-8.
long_set="$work/long.set"
{
  awk 'BEGIN { for (i = 0; i < 1200000; i++) printf "Crash é "; printf "\r\n" }'
  tail -n +2 "$source_dir/res/drums.set"
} >"$long_set"

now() { date +%s.%N; }
# Seconds from $1 to $2, printed; fails when more than the limit.
seconds() {
  local took
  took=$(awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }')
  awk -v t="$took" -v l="$(scaled "$limit")" 'BEGIN { exit !(t > l) }' &&
    fail "$3 took ${took}s"
  echo "$took"
}

start_program() {
  dir="$work/$1"
  mkdir "$dir"
  cp "$long_set" "$dir/drums.set"
  started=$(now)
  launch_program "$dir" "$work/alsoft.conf"
  window=$(wait_window)
  shown=$(now)
}

# Waits for the end the key pressed asks for; fails when the window is busy.
wait_end() {
  local _
  for _ in $(seq "$(scaled "$((limit * 10))" | cut -d. -f1)"); do
    kill -0 "$program_pid" 2>/dev/null || return 0
    sleep 0.1
  done
  fail "the window did not take Esc within $(scaled "$limit")s"
}

# Clicks a window at a point in the dialog units of its template (W x H).
click_at() {
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
  xdotool mousemove --window "$1" "$(($2 * WIDTH / $4))" "$(($3 * HEIGHT / $5))" click 1
  sleep 0.3
}

# 1. Start, and Esc at once: the window must take the key.
start_program unchanged
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_end
ended=$(now)
wait_program_end 0
took=$(seconds "$started" "$shown" "start to window")
echo "start to window: ${took}s"
took=$(seconds "$started" "$ended" "start to the end after Esc")
echo "start to the end after Esc: ${took}s"
cmp -s "$dir/drums.set" "$long_set" || fail "a run without changes rewrote the file"

# 2. A change, then every name stored through the key definition dialog.
start_program stored
unbind_first_row "$window"
clicked=$(now)
xdotool mousemove --window "$window" 60 68 click --repeat 2 --delay 120 1
keydef=$(wait_window "$keydef_title")
opened=$(now)
took=$(seconds "$clicked" "$opened" "opening the key definition dialog")
echo "double-click to key definition dialog: ${took}s"
xdotool windowfocus --sync "$keydef"
click_at "$keydef" 36 116 224 130 # Save Drums Set
xdotool key Escape                # Exit
for _ in $(seq 50); do
  xdotool search --all --onlyvisible --pid "$program_pid" --name "$keydef_title" >/dev/null ||
    break
  sleep 0.1
done
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_program_end 0
cmp -s "$dir/drums.set" <(first_binding_removed "$long_set") ||
  fail "the long name was not saved whole"
echo "PASS: a 10 MB name leaves the window quick and is kept whole"
