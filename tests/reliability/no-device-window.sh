#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program with no sound device to be had (OpenAL Soft given only a
# driver that does not exist): its window shows after one series of attempts to
# open the device, bound keys struck in the drum box stay silent and crash
# nothing, and "drums.set" is read and written as usual. Prints the time the
# window took to show.
#
# Usage: no-device-window.sh KADENZO_EXECUTABLE SOURCE_DIR
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
source_dir=$2
session_begin no-device
start_xvfb
printf '[general]\ndrivers = kadenzo-no-such-driver\n' >"$work/alsoft.conf"
mkdir "$work/run"
# Line feeds only: the program's rewrite at the end of a run with a change
# brings the CR LF back.
tr -d '\r' <"$source_dir/res/drums.set" >"$work/run/drums.set"

started=$(date +%s.%N)
launch_program "$work/run" "$work/alsoft.conf"
window=$(wait_window)
shown=$(date +%s.%N)
seconds=$(awk -v a="$started" -v b="$shown" 'BEGIN {printf "%.1f", b - a}')
echo "no sound device: the window showed after $seconds s"
# One series is 9 pauses of half a second; a series per voice would be minutes.
awk -v s="$seconds" 'BEGIN {exit !(s >= 4.5)}' || fail "the window showed before the attempts were made"

xdotool windowfocus --sync "$window"
sleep 0.3
xdotool key Tab # from the key list to the drum box
sleep 0.2
# Bound keys of the starter set, single hits and a held key.
xdotool key q w e a s d space
xdotool keydown j
sleep 0.8
xdotool keyup j
sleep 0.2
kill -0 "$program_pid" 2>/dev/null || fail "the program ended while keys were struck"
unbind_first_row "$window" # a change: a run without one writes nothing
kill -TERM "$program_pid"
wait_program_end 0
cmp -s "$work/run/drums.set" <(first_binding_removed "$source_dir/res/drums.set") ||
  fail "drums.set was not written back as read and changed"
echo "PASS: window after ${seconds}s, keys struck silently, drums.set read and written"
