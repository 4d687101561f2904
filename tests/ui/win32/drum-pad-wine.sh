#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program itself under Wine: its window "Orvan's Drums for Windows"
# opens, a "drums.set" binding scan code 30 plays its sample when the key at
# the A position is pressed in the drum box (heard at a private PulseAudio's
# sink, which Wine's DirectSound plays to), and Esc ends it, leaving the file
# of a session without changes as it was.
#
# Usage: drum-pad-wine.sh WINE_RUN KADENZO_EXE SHOTS_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"
wine_session_begin wine-drum-pad "$@"

# The key at the A position (X key code 38, scan code 30) plays the kick.
keys=(38)
sounds=(0)
mkdir -p "$work/run"
write_drum_set "$work/run/drums.set"
cp "$work/run/drums.set" "$work/before.set"

sound_server_record speakers "$work/speakers.wav"
wine_program_start
window=$(wait_titled_window "$window_title")
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
# From the key list, the first control, to the drum box.
xdotool key --delay 150 Tab
sleep 0.5
xdotool key a
sleep 1.5
import -window root "$shots/drum-pad.png" || true
xdotool key Escape
wait_program_end
sound_server_end_record "$work/speakers.wav"

cmp -s "$work/before.set" "$work/run/drums.set" || fail "a session without changes rewrote drums.set"
sound_server_expect_heard "$work/speakers.wav" stroke
echo "PASS: the window opened under Wine, the A key played its sound, Esc ended the program"
