#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program losing its display: the X server goes away (our own Xvfb,
# killed) or the window is killed from outside (xdotool windowkill, as xkill
# does). Qt's X11 platform then ends the process with status 1 from inside its
# event loop; the run's changes must be in "drums.set" all the same, saved once,
# and a run without changes must leave the file's bytes as they were. A file
# read only in part is kept as "drums.set.bak" before the change replaces it.
#
# Usage: connection-lost.sh KADENZO_EXECUTABLE SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
source_dir=$2
session_begin connection-lost
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
starter="$source_dir/res/drums.set"

# Starts the program in a fresh folder $1 holding drums.set copied from $2, on
# a display of its own; prints nothing, sets $dir and $window.
start_in() {
  dir="$work/$1"
  mkdir "$dir"
  cp "$2" "$dir/drums.set"
  # The number of the display before is no answer from the next.
  rm -f "$work/display"
  start_xvfb
  launch_program "$dir" "$work/alsoft.conf"
  window=$(wait_window "$window_title")
}

only_drum_set() {
  local entries
  entries=$(find "$dir" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | tr '\n' ' ')
  [[ "$entries" == "drums.set " ]] || fail "$case_name: the folder holds '$entries'"
}

case_name="the X server goes after a change"
start_in server-gone "$starter"
unbind_first_row "$window"
kill "$xvfb_pid"
wait_program_end 1
cmp -s "$dir/drums.set" <(first_binding_removed "$starter") || fail "$case_name: the change was lost"
only_drum_set
echo "ok: $case_name"

case_name="the window is killed from outside after a change"
start_in window-killed "$starter"
unbind_first_row "$window"
xdotool windowkill "$window"
wait_program_end 1
cmp -s "$dir/drums.set" <(first_binding_removed "$starter") || fail "$case_name: the change was lost"
only_drum_set
kill "$xvfb_pid"
echo "ok: $case_name"

case_name="the X server goes in a run without changes"
tr -d '\r' <"$starter" >"$work/starter-lf.set"
start_in unchanged "$work/starter-lf.set"
kill "$xvfb_pid"
wait_program_end 1
cmp -s "$dir/drums.set" "$work/starter-lf.set" || fail "$case_name: the file was rewritten"
only_drum_set
echo "ok: $case_name"

case_name="the X server goes after a change to a file read in part"
# A letter O for a zero: reading stops there, and what follows is not understood.
sed '$ s/ 0 / O /' "$starter" >"$work/typo.set"
cmp -s "$work/typo.set" "$starter" && fail "$case_name: the typo was not made"
start_in typo "$work/typo.set"
unbind_first_row "$window"
kill "$xvfb_pid"
wait_program_end 1
cmp -s "$dir/drums.set.bak" "$work/typo.set" || fail "$case_name: no backup of the file as read"
cmp -s "$dir/drums.set" "$work/typo.set" && fail "$case_name: the change was lost"
echo "ok: $case_name"

grep -q "X11 connection broke" "$work/program.log" || fail "the program never lost its display"
if grep -qiE 'sanitizer|runtime error|segmentation' "$work/program.log"; then
  cat "$work/program.log" >&2
  fail "the program reported a fault"
fi
echo "PASS: every change survived the loss of the display"
