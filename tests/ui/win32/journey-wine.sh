#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The user's journey with the Windows program under Wine, real X events from
# xdotool and sound through a private PulseAudio: from a "drums.set" of empty
# names and no bindings, double-click the key list; click the key box and press
# J; click a sound (it is auditioned); double-click it and, in the sound name
# dialog, first try a blank name (refused with the error line, the dialog
# stays), then type an ASCII name; "Save Drums Set"; "Set Key && Exit"; J in
# the drum box is heard; the About box from the system menu; Esc ends the
# program. "drums.set" must then hold, byte for byte, what the Linux program
# writes for the same session. Screenshots of every window land in SHOTS_DIR.
#
# Without a window manager Wine draws each window's frame itself, so a click at
# a template's point (dialog units) is scaled to the client area: the X window
# less the dialog frame and the caption.
#
# Usage: journey-wine.sh WINE_RUN KADENZO_EXE SHOTS_DIR
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-session.sh"
wine_session_begin wine-journey "$@"

keydef_title="Add Key Definition / Rename Sounds"
name_title="Set New Name For A Sound "
new_name="Big Boom"
# Wine's frame of a dialog: its border and its caption, in pixels.
frame=3
caption=19

shot() {
  sleep 0.4
  import -window root "$shots/$1.png" || true
}

# Whether the window of that title is gone, or goes within a few seconds.
gone() {
  local _
  for _ in $(seq 50); do
    xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 || return 0
    sleep 0.1
  done
  return 1
}

focus() {
  xdotool windowfocus --sync "$1" 2>/dev/null || true
  sleep 0.3
}

# Clicks (or double-clicks with a sixth argument of 2) a window at a point
# given in the dialog units of its template, whose size is W x H; a seventh
# argument names another mouse button (3: the right one).
click_at() {
  local window=$1 x=$2 y=$3 w=$4 h=$5 count=${6:-1} button=${7:-1} WIDTH HEIGHT
  eval "$(xdotool getwindowgeometry --shell "$window" | grep -E '^(WIDTH|HEIGHT)=')"
  local cw=$((WIDTH - 2 * frame)) ch=$((HEIGHT - 2 * frame - caption))
  xdotool mousemove --window "$window" "$((frame + x * cw / w))" \
    "$((frame + caption + y * ch / h))" click --repeat "$count" --delay 120 "$button"
  sleep 0.5
}

# The file the Linux program writes for this session: 28 names on CR LF lines,
# the renamed sound's among empty ones, then an entry for each scan code from
# 1 to 255, each followed by a space: the bound key's sound, 255 elsewhere.
expected_set() {
  local name_of=$1 name=$2 code=$3 sound=$4 i
  for i in $(seq 0 27); do
    if ((i == name_of)); then printf '%s\r\n' "$name"; else printf '\r\n'; fi
  done
  for i in $(seq 1 255); do
    if ((i == code)); then printf '%s ' "$sound"; else printf '255 '; fi
  done
}

mkdir -p "$work/run"
{
  for _ in $(seq 28); do printf '\r\n'; done
  for _ in $(seq 255); do printf '255 '; done
} >"$work/run/drums.set"

sound_server_record speakers "$work/audition.wav"
wine_program_start
pad=$(wait_titled_window "$window_title")
sleep 1
focus "$pad"
shot 1-drum-pad
click_at "$pad" 114 114 323 234 2 # the key list, below its (no) rows

keydef=$(wait_titled_window "$keydef_title")
focus "$keydef"
shot 2-key-definition
click_at "$keydef" 67 42 224 130 # the key box
xdotool key j
sleep 0.3
# The third sound of the list (rows are about 9 units high under Wine), not the
# one chosen at opening (sound 0).
sound_row_y=58
click_at "$keydef" 172 "$sound_row_y" 224 130
sleep 1.5 # the audition ends before anything else sounds
shot 3-key-definition-chosen

click_at "$keydef" 172 "$sound_row_y" 224 130 2 # rename the sound just chosen
naming=$(wait_titled_window "$name_title")
focus "$naming"
click_at "$naming" 92 14 186 58 # the edit box
xdotool key ctrl+a BackSpace Return
sleep 0.5
kill -0 "$program_pid" 2>/dev/null || fail "the program ended at a blank name"
xdotool search --onlyvisible --name "^$name_title\$" >/dev/null ||
  fail "a blank name closed the sound name dialog"
shot 4-sound-name-blank-refused
xdotool type --delay 80 "$new_name"
shot 5-sound-name-typed
xdotool key Return
gone "$name_title" || fail "the sound name dialog stayed open for a good name"

focus "$keydef"
click_at "$keydef" 36 116 224 130 # Save Drums Set
shot 6-key-definition-renamed
click_at "$keydef" 192 116 224 130 # Set Key && Exit
gone "$keydef_title" || fail "Set Key && Exit left the key definition dialog open"

sound_server_end_record "$work/audition.wav"
sound_server_record speakers "$work/stroke.wav"
focus "$pad"
click_at "$pad" 265 101 323 234 # the drum box
xdotool key j
sleep 1.5
shot 7-drum-pad-bound

xdotool key alt+space
sleep 0.5
shot 8-system-menu
# The last item, below Wine's own "About Wine".
xdotool key --delay 150 Up Return
about=$(wait_titled_window "About Kadenzo")
focus "$about"
shot 9-about
xdotool key Escape
gone "About Kadenzo" || fail "Esc left the About box open"
focus "$pad"
# A right-click on the key's row removes its binding; the name stays.
click_at "$pad" 60 42 323 234 1 3
shot 10-drum-pad-unbound
xdotool key Escape
wait_program_end
sound_server_end_record "$work/stroke.wav"

# Sound 2 (the row clicked) keeps its new name; J (scan code 36), bound to it
# and heard, was unbound again by the right-click.
expected_set 2 "$new_name" 36 255 >"$work/expected.set"
cmp "$work/expected.set" "$work/run/drums.set" ||
  fail "drums.set is not what the Linux program writes: $(tr '\r\n' '~|' <"$work/run/drums.set" | cut -c1-400)"
# The sound chosen is auditioned in the key definition dialog, and J struck in
# the drum box is heard.
for part in audition stroke; do
  sound_server_expect_heard "$work/$part.wav" "$part"
done
echo "PASS: J bound to sound 2 named \"$new_name\", heard, unbound under Wine; drums.set as on Linux"
