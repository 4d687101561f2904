#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program ended by signals. A closing terminal sends its program two
# hang-ups a moment apart: five runs, each with a change made, get two SIGHUPs
# back to back, and each must save its change, end with status 0 and leave no
# temporary file. Then a run ended by SIGTERM whose "drums.set" is read-only:
# nobody is asked, the change goes to a recovery file in XDG_STATE_HOME, and
# standard error names it.
#
# Usage: signals-while-saving.sh KADENZO_EXECUTABLE SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
source_dir=$2
session_begin signals
require_tools Xvfb xdotool
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
starter="$source_dir/res/drums.set"
export XDG_STATE_HOME="$work/state"
start_xvfb

# Starts the program in a fresh folder $1 holding the starter set and removes
# the first binding; sets $dir.
start_changed() {
  dir="$work/$1"
  mkdir "$dir"
  cp "$starter" "$dir/drums.set"
  launch_program "$dir" "$work/alsoft.conf"
  unbind_first_row "$(wait_window)"
}

for run in 1 2 3 4 5; do
  case_name="two hang-ups, run $run"
  start_changed "hang-ups-$run"
  kill -HUP "$program_pid"
  kill -HUP "$program_pid"
  wait_program_end 0
  cmp -s "$dir/drums.set" <(first_binding_removed "$starter") || fail "$case_name: the change was lost"
  entries=$(find "$dir" -mindepth 1 -printf '%f ')
  [[ "$entries" == "drums.set " ]] || fail "$case_name: the folder holds '$entries'"
done
echo "ok: two hang-ups, five times: every change saved once"

case_name="SIGTERM with a read-only drums.set"
start_changed read-only
chmod 444 "$dir/drums.set"
kill -TERM "$program_pid"
wait_program_end 0
cmp -s "$dir/drums.set" "$starter" || fail "$case_name: the file was written"
mapfile -t kept < <(find "$XDG_STATE_HOME/kadenzo" -name 'drums-*.set')
((${#kept[@]} == 1)) || fail "$case_name: ${#kept[@]} recovery files"
cmp -s "${kept[0]}" <(first_binding_removed "$starter") || fail "$case_name: the change was not kept"
grep -qF "${kept[0]}" "$work/program.log" || fail "$case_name: standard error did not say where"
echo "ok: $case_name: the change kept in ${kept[0]#"$work"/}"
echo "PASS: signals never cost a change"
