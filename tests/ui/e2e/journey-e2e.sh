#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The user's whole journey with the real program under Xvfb, real X events from
# xdotool and OpenAL Soft's wave writer as the sound device:
#   1. start in a folder with no "drums.set"; double-click the key list; click
#      the key box and press J; click a sound (it plays); double-click it and,
#      in the sound name dialog, first try a blank name (refused with the error
#      line), then type a new one with a letter beyond ASCII; "Save Drums Set";
#      "Set Key && Exit"; click the drum box and press J: the chosen sound is in
#      the output, and after Esc "drums.set" holds the binding and the new name,
#      in UTF-8;
#   2. start again in the same folder: J plays the same sound, and "drums.set"
#      comes out as it went in.
# The strikes in each output are told apart by the strike finder. Screenshots of
# every window on the way are left in SCREENSHOT_DIR for a person to look at.
# There is no window manager: each window is focused with windowfocus, and
# clicks land at the template's positions scaled to the window's size.
#
# Usage: journey-e2e.sh KADENZO_EXECUTABLE SOURCE_DIR STRIKE_FINDER [SCREENSHOT_DIR]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../../support/program-session.sh"

program=$(realpath "$1")
# $2, the source folder, is not needed here.
strike_finder=$3
shots=${4:-}
require_tools sox
session_begin journey
start_xvfb
[[ -n "$shots" ]] && mkdir -p "$shots"

keydef_title="Add Key Definition / Rename Sounds"
name_title="Set New Name For A Sound "
new_name="Big Boom é" # typed as UTF-8 (this file's encoding)
# Stored as the Windows program stores it, in Windows-1252.
stored_name=$'Big Boom \xe9'

shot() {
  [[ -n "$shots" ]] && command -v import >/dev/null || return 0
  sleep 0.3
  import -window root "$shots/$1.png" || true
}

# Clicks (or double-clicks with a third argument of 2) a window at a point
# given in the dialog units of its template, whose size is W x H.
click_at() {
  local window=$1 x=$2 y=$3 w=$4 h=$5 count=${6:-1} width height
  local WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
  width=$WIDTH
  height=$HEIGHT
  xdotool mousemove --window "$window" "$((x * width / w))" "$((y * height / h))" \
    click --repeat "$count" --delay 120 1
  sleep 0.4
}

focus() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
}

# Whether the window of that title is gone, or goes within a few seconds.
gone() {
  local _
  for _ in $(seq 30); do
    xdotool search --all --onlyvisible --pid "$program_pid" --name "$1" >/dev/null || return 0
    sleep 0.1
  done
  shot "still-open"
  return 1
}

# The sounds struck in a recording, in order.
strikes() {
  "$strike_finder" "$1" | awk '{ if ($3 >= 0.9) printf "%s ", $2; else printf "?%s ", $2 }'
}

# The sound bound to scan code $2 in the drum set file $1 (entries follow the
# 28 name lines, for codes 1 to 255).
bound_sound() {
  tail -n +29 "$1" | tr -s ' \r\n' '\n' | sed -n "${2}p"
}

start() {
  printf '[general]\ndrivers = wave\nfrequency = 44100\n[wave]\nfile = %s\n' "$work/$1.wav" \
    >"$work/$1.conf"
  launch_program "$work/run" "$work/$1.conf"
  pad=$(wait_window)
  focus "$pad"
}

# 1. The journey, from a folder with no drum set file.
mkdir "$work/run"
start first
shot 1-drum-pad-empty
click_at "$pad" 114 114 323 234 2 # the key list, below its (no) rows

keydef=$(wait_window "$keydef_title")
focus "$keydef"
shot 2-key-definition-open
click_at "$keydef" 67 42 224 130 # the key box
xdotool key j
sleep 0.3
# A sound a little down the list, not the one chosen at opening (sound 0).
click_at "$keydef" 172 58 224 130
sleep 1.5 # the audition ends before anything else sounds

click_at "$keydef" 172 58 224 130 2 # rename the sound just chosen
naming=$(wait_window "$name_title")
focus "$naming"
click_at "$naming" 92 14 186 58 # the edit box
xdotool key ctrl+a BackSpace Return
sleep 0.3
kill -0 "$program_pid" 2>/dev/null || fail "the program ended at a blank name"
xdotool search --all --onlyvisible --pid "$program_pid" --name "$name_title" >/dev/null ||
  fail "a blank name closed the sound name dialog"
shot 3-sound-name-blank-refused
xdotool type --delay 60 "$new_name"
shot 4-sound-name-typed
xdotool key Return
gone "$name_title" || fail "the sound name dialog stayed open for a good name"

focus "$keydef"
click_at "$keydef" 36 116 224 130 # Save Drums Set
shot 5-key-definition-renamed-and-saved
click_at "$keydef" 192 116 224 130 # Set Key && Exit
gone "$keydef_title" || fail "Set Key && Exit left the key definition dialog open"

focus "$pad"
click_at "$pad" 265 101 323 234 # the drum box
xdotool key j
shot 6-drum-pad-bound
sleep 1.5
xdotool key Escape
wait_program_end

set_file="$work/run/drums.set"
[[ -f "$set_file" ]] || fail "no drums.set after Esc"
sound=$(LC_ALL=C grep -n -x -F "$stored_name"$'\r' "$set_file" | cut -d: -f1 || true)
[[ -n "$sound" ]] || fail "drums.set lacks the name \"$new_name\": $(head -n 28 "$set_file" | tr -d '\r' | tr '\n' '|')"
sound=$((sound - 1))
((sound > 0 && sound < 28)) || fail "the sound chosen is $sound, not one picked from the list"
[[ $(bound_sound "$set_file" 36) == "$sound" ]] ||
  fail "J (scan code 36) is bound to $(bound_sound "$set_file" 36), not to sound $sound"
others=$(tail -n +29 "$set_file" | tr -s ' \r\n' '\n' | grep -c -v -x 255 || true)
((others == 1)) || fail "$others keys are bound, only J should be"

# The audition of the sound clicked, then the drum box's stroke.
played=$(strikes "$work/first.wav")
[[ "$played" == "$sound $sound " ]] ||
  fail "the first run played '$played', expected the audition and the stroke of sound $sound"
echo "ok: J bound to sound $sound, named \"$new_name\"; audition and stroke in the output"

# 2. Again in the same folder: the binding and the name are back.
cp "$set_file" "$work/first.set"
start second
xdotool key Tab # from the key list to the drum box
sleep 0.3
xdotool key j
shot 7-drum-pad-restarted
sleep 1.5
xdotool key Escape
wait_program_end
played=$(strikes "$work/second.wav")
[[ "$played" == "$sound " ]] || fail "after the restart J played '$played', expected sound $sound"
cmp -s "$set_file" "$work/first.set" || fail "drums.set changed over a run that changed nothing"

echo "PASS: the journey bound J to sound $sound named \"$new_name\", kept over a restart"
