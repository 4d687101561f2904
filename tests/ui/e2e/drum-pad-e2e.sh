#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program under Xvfb, driven by real X key events from xdotool, with
# OpenAL Soft's wave writer as the sound device:
#   1. with a "drums.set" binding scan code 30 (the A key) to a sample, pressing
#      A in the drum box puts that sample into the output file; after a change
#      (a right-click unbinds A) Esc ends the program and "drums.set" is written;
#   2. an unbound key plays nothing, and SIGTERM ends the program the same way.
# There is no window manager: the window is focused with windowfocus and the
# drum box reached with Tab. A screenshot of the window is left in the build
# folder (drum-pad-e2e.png) for a person to look at.
#
# Usage: drum-pad-e2e.sh KADENZO_EXECUTABLE SOURCE_DIR [SCREENSHOT_PATH]
# KEEP_E2E=1 keeps the working folder (logs, output WAVE files) for a look.
set -euo pipefail

program=$(realpath "$1")
source_dir=$2
screenshot=${3:-}

# Xvfb, the program's start and end: shared with the other runs of the real program.
source "$(dirname "${BASH_SOURCE[0]}")/../../support/program-session.sh"
[[ -n "${KEEP_E2E:-}" ]] && export KADENZO_KEEP_WORK=1
require_tools Xvfb xdotool sox soxi
session_begin e2e
start_xvfb

sample="$source_dir/res/waves/wave300.wav" # sound 0
sample_seconds=$(soxi -D "$sample")

# 28 names, then the sounds of scan codes 1 to 255: code 30 plays sound 0.
write_drum_set() {
  local file=$1 code
  {
    printf 'Kick\r\n'
    for _ in $(seq 2 28); do printf '\r\n'; done
    for code in $(seq 1 255); do
      if ((code == 30)); then printf '0 '; else printf '255 '; fi
    done
  } >"$file"
  # An old date, so that a rewrite shows.
  touch -d '2001-01-01 00:00:00' "$file"
}

# Starts the program in the working folder with the wave writer at $1.
start_program() {
  local wave=$1
  printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$wave" >"$work/alsoft.conf"
  launch_program "$work" "$work/alsoft.conf"
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  # The key list has the focus at start; Tab moves it to the drum box.
  xdotool key Tab
  sleep 0.3
}

rewritten() {
  [[ $(stat -c %Y "$work/drums.set") -gt $(date -d '2002-01-01' +%s) ]]
}

# Peak amplitude of a WAVE file, 0 to 1.
peak() {
  sox -V1 "$1" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'
}

# Length in seconds of a WAVE file once the silence around the sound is cut.
sounding_seconds() {
  sox -V1 "$1" "$work/trimmed.wav" silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
  soxi -V1 -D "$work/trimmed.wav"
}

# 1. The A key strikes sound 0; Esc ends the program and the file is written.
write_drum_set "$work/drums.set"
start_program "$work/strike.wav"
xdotool key a
if [[ -n "$screenshot" ]] && command -v import >/dev/null; then
  sleep 0.2
  import -window root "$screenshot" || true
fi
sleep "$(awk -v s="$sample_seconds" 'BEGIN {print s + 0.7}')"
unbind_first_row "$window" # a change: a run without one writes nothing
xdotool key Escape
wait_program_end
rewritten || fail "Esc did not write drums.set"
head -c 6 "$work/drums.set" | grep -q '^Kick' || fail "drums.set lost its names"

peak_strike=$(peak "$work/strike.wav")
awk -v p="$peak_strike" 'BEGIN {exit !(p > 0.05)}' || fail "no sound in the output (peak $peak_strike)"
seconds=$(sounding_seconds "$work/strike.wav")
awk -v t="$seconds" -v s="$sample_seconds" 'BEGIN {exit !(t > s * 0.6 && t < s + 0.3)}' ||
  fail "the output sounds $seconds s, the sample lasts $sample_seconds s"

# 2. An unbound key stays silent; SIGTERM ends the program like Esc.
write_drum_set "$work/drums.set"
start_program "$work/silent.wav"
xdotool key s
sleep 0.7
unbind_first_row "$window"
kill -TERM "$program_pid"
wait_program_end
rewritten || fail "SIGTERM did not write drums.set"
peak_silent=$(peak "$work/silent.wav")
awk -v p="$peak_silent" 'BEGIN {exit !(p < 0.001)}' || fail "an unbound key sounded (peak $peak_silent)"

echo "PASS: strike peak $peak_strike over ${seconds}s; unbound key silent; Esc and SIGTERM wrote drums.set"
