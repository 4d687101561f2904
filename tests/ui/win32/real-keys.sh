#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Real keys, typed through the X server with xdotool, into the toolkit layer's
# windows under Wine (afx_keys_probe.exe): the drum box and the key box report
# each key-down with the key message's flags word, whose low byte is the key's
# set-1 scan code (A 30, Q 16, space 57), in the us and the fr layouts alike;
# Tab and Esc never reach the box; Alt+Space opens the system menu, whose
# appended About item opens the About box. Screenshots of each window go to
# OUT_DIR. Uses DISPLAY when set (scripts/test.sh gives the Windows tests an
# Xvfb), else an Xvfb of its own.
#   real-keys.sh WINE_RUN PROBE_EXE OUT_DIR
set -euo pipefail
wine_run=$1
probe=$2
out=$3
# shellcheck source=../../support/program-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/program-session.sh"
session_begin afx-keys
use_display
require_tools xdotool import setxkbmap
mkdir -p "$out"
trap 'setxkbmap us 2>/dev/null || true; session_cleanup' EXIT

wine_manages_windows "$wine_run"

probe_log="$work/probe.log"

# What the probe said so far, without the line ends' carriage returns.
said() {
  tr -d '\r' <"$probe_log"
}

# Starts the probe on a template and waits until its box has the focus.
start_probe() {
  : >"$probe_log"
  "$wine_run" "$probe" "$1" >"$probe_log" 2>/dev/null &
  program_pid=$!
  local _
  for _ in $(seq 300); do
    said | grep -q '^ready$' && break
    kill -0 "$program_pid" 2>/dev/null || fail "the probe ended early: $(said)"
    sleep 0.1
  done
  said | grep -q '^ready$' || fail "the probe's window did not get ready"
  # Windows' focus is in the box; the X server's follows a moment later, and
  # a key typed before it would go elsewhere.
  local title window
  case "$1" in
  drumpad) title="Orvan's Drums for Windows" ;;
  *) title="Add Key Definition / Rename Sounds" ;;
  esac
  window=$(xdotool search --onlyvisible --name "^$title\$" | head -n 1)
  [[ -n "$window" ]] || fail "no window \"$title\" shows"
  for _ in $(seq 100); do
    [[ "$(xdotool getwindowfocus 2>/dev/null)" == "$window" ]] && return 0
    sleep 0.05
  done
  fail "the X server's focus did not reach \"$title\""
}

keys() {
  xdotool key --delay 120 "$@"
  sleep 0.5
}

# The flags words of the key-downs reported, on one line.
flags_reported() {
  said | awk '$1 == "keydown" {printf "%s%s", sep, $3; sep = " "} END {print ""}'
}

expect_line() {
  said | grep -qx "$1" || fail "expected \"$1\" from the probe; it said: $(said | tr '\n' '|')"
}

finish_probe() {
  wait_program_end 0
  expect_line "end 2"
}

setxkbmap us

echo "Drum box, us layout: a q space, Tab, the About box from the system menu, Esc"
start_probe drumpad
keys a q space
import -window root "$out/drum-pad.png"
keys Tab
keys alt+space
import -window root "$out/system-menu.png"
# The last item, below Wine's own "About Wine".
keys Up Return
expect_line "syscommand 10"
import -window root "$out/about.png"
keys Escape
expect_line "about 2"
keys Escape
finish_probe
[[ "$(flags_reported)" == "1e 10 39" ]] || fail "drum box flags: $(flags_reported)"

echo "Key box, us layout: a q space, Esc"
start_probe keydef
keys a q space
import -window root "$out/key-definition.png"
keys Escape
finish_probe
[[ "$(flags_reported)" == "1e 10 39" ]] || fail "key box flags: $(flags_reported)"

echo "Key box, fr layout: the keys at the same places (q a space) give the same codes"
setxkbmap fr
start_probe keydef
keys q a space Escape
finish_probe
[[ "$(flags_reported)" == "1e 10 39" ]] || fail "key box flags under fr: $(flags_reported)"

echo "Real keys: ok"
