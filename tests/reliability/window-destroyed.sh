#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program's windows destroyed by another X client (xdotool
# windowclose, which calls XDestroyWindow). The drum pad window destroyed ends
# the program as Esc does, within a second or so, with status 0 and the run's
# change in "drums.set", also while the key definition dialog is open over it.
# The key definition dialog destroyed ends as with "Exit", and the drum pad
# window goes on.
#
# Usage: window-destroyed.sh KADENZO_EXECUTABLE SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
source_dir=$2
session_begin window-destroyed
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
starter="$source_dir/res/drums.set"
keydef_title="Add Key Definition / Rename Sounds"
start_xvfb

# Starts the program in a fresh folder $1 with the starter set and makes a
# change; sets $dir and $window.
start_and_change() {
  dir="$work/$1"
  mkdir "$dir"
  cp "$starter" "$dir/drums.set"
  launch_program "$dir" "$work/alsoft.conf"
  window=$(wait_window)
  unbind_first_row "$window"
}

open_key_definition() {
  xdotool mousemove --window "$window" 60 68 click --repeat 2 --delay 120 1
  keydef=$(wait_window "$keydef_title")
}

# Seconds from now on until the program has ended, printed; fails beyond $1.
seconds_to_end() {
  local limit=$1 started ended
  started=$(date +%s.%N)
  while kill -0 "$program_pid" 2>/dev/null; do
    ended=$(date +%s.%N)
    awk -v a="$started" -v b="$ended" -v l="$(scaled "$limit")" 'BEGIN { exit !(b - a > l) }' &&
      fail "$case_name: the program still runs after ${limit}s"
    sleep 0.05
  done
  ended=$(date +%s.%N)
  awk -v a="$started" -v b="$ended" 'BEGIN { printf "%.2f", b - a }'
}

change_saved() {
  cmp -s "$dir/drums.set" <(first_binding_removed "$starter") ||
    fail "$case_name: drums.set lacks the change"
}

case_name="the drum pad window is destroyed after a change"
start_and_change pad
xdotool windowclose "$window"
took=$(seconds_to_end 5)
wait_program_end 0
change_saved
echo "ok: $case_name (ended after ${took}s)"

case_name="the drum pad window is destroyed under the key definition dialog"
start_and_change pad-under-dialog
open_key_definition
xdotool windowclose "$window"
took=$(seconds_to_end 5)
wait_program_end 0
change_saved
echo "ok: $case_name (ended after ${took}s)"

case_name="the key definition dialog is destroyed"
start_and_change dialog
open_key_definition
xdotool windowclose "$keydef"
for _ in $(seq 50); do
  xdotool search --all --onlyvisible --pid "$program_pid" --name "$keydef_title" >/dev/null ||
    break
  sleep 0.1
done
kill -0 "$program_pid" 2>/dev/null || fail "$case_name: the program ended"
[[ "$(xdotool search --all --onlyvisible --pid "$program_pid" --name "$window_title")" == \
  "$window" ]] || fail "$case_name: the drum pad window is not the one window left"
# The drum pad window takes keys again: Esc ends the program.
xdotool windowfocus --sync "$window"
xdotool key Escape
wait_program_end 0
change_saved
echo "ok: $case_name"

if grep -qiE 'sanitizer|runtime error|segmentation' "$work/program.log"; then
  cat "$work/program.log" >&2
  fail "the program reported a fault"
fi
echo "PASS: a window destroyed from outside ends as with Cancel"
