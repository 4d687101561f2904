#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Bindings are by physical key, whatever the keyboard layout: the real program
# under Xvfb with the X layout set to us, fr (AZERTY) and de (QWERTZ) in turn,
# the same physical keys sent as X key codes into the drum box. Under every
# layout each key must show the same name (screenshots of the window compared
# pixel for pixel) and play the same bound sound (the strikes found in OpenAL
# Soft's wave writer output). Among the keys are the dead keys of fr (^, key
# code 34) and de (^, 49; the acute accent, 21), which must strike like any other.
#
# Usage: keyboard-layouts.sh KADENZO_EXECUTABLE SOURCE_DIR STRIKE_FINDER
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

program=$1
# $2, the source folder, is not needed here.
strike_finder=$3
require_tools setxkbmap import compare
session_begin layouts
start_xvfb

# X key code (kernel code + 8) and the sound bound to it: short sounds, so that
# the strikes stand apart. The kernel code is the scan code the file binds.
keys=(24 25 29 38 52 58 47 10 34 49 21 48 20)
sounds=(2 3 4 5 6 7 9 10 11 14 15 16 17)


same_picture() {
  [[ $(compare -metric AE "$1" "$2" null: 2>&1 || true) == 0 ]]
}

play_layout() {
  local layout=$1 window i
  setxkbmap -layout "$layout" || fail "setxkbmap $layout"
  mkdir "$work/$layout"
  write_drum_set "$work/$layout/drums.set"
  printf '[general]\ndrivers = wave\nfrequency = 44100\n[wave]\nfile = %s\n' \
    "$work/$layout.wav" >"$work/$layout.conf"
  launch_program "$work/$layout" "$work/$layout.conf"
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key Tab # from the key list to the drum box
  sleep 0.3
  local previous="$work/$layout-before.png" picture
  import -window "$window" "$previous"
  for i in "${!keys[@]}"; do
    xdotool key "${keys[i]}"
    # The stroke has been handled once the window shows something new.
    picture="$work/$layout-$i.png"
    for _ in $(seq 40); do
      sleep 0.1
      import -window "$window" "$picture"
      same_picture "$picture" "$previous" || break
    done
    sleep 0.1
    import -window "$window" "$picture"
    previous=$picture
    sleep 0.5
  done
  xdotool key Escape
  wait_program_end 0
  "$strike_finder" "$work/$layout.wav" >"$work/$layout.strikes"
}

# The sounds found, in order, each only when it matches clearly.
found_sounds() {
  awk '{ if ($3 >= 0.9 && $3 - $4 >= 0.05) printf "%s ", $2; else printf "?%s(%s) ", $2, $3 }' "$1"
}

expected="${sounds[*]} "
for layout in us fr de; do
  play_layout "$layout"
  actual=$(found_sounds "$work/$layout.strikes")
  [[ "$actual" == "$expected" ]] ||
    fail "$layout: the keys played '$actual', expected '$expected'"
  echo "ok: $layout: every key played its bound sound"
done

for i in "${!keys[@]}"; do
  # Each key shows something of its own, or the comparison proves nothing.
  if ((i > 0)); then
    ! same_picture "$work/us-$i.png" "$work/us-$((i - 1)).png" ||
      fail "key codes ${keys[i - 1]} and ${keys[i]} show the same window"
  fi
  for layout in fr de; do
    same_picture "$work/us-$i.png" "$work/$layout-$i.png" ||
      fail "key code ${keys[i]} shows another name under $layout than under us"
  done
done
echo "PASS: ${#keys[@]} physical keys, dead keys among them, named and played alike under us, fr and de"
