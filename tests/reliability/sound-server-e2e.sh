#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program under Xvfb, playing through a real sound server of the
# test's own (PulseAudio, or PipeWire with its pulse layer) as a desktop user's
# would, with strokes made by real X key events and told apart in a recording
# of the sink by the strike finder. Scenarios:
#   strokes   keys struck in the drum box are heard on the default sink, each
#             its own bound sound, in order.
#
# Usage: sound-server-e2e.sh KADENZO_EXECUTABLE SOURCE_DIR STRIKE_FINDER KIND SCENARIO
#   KIND is pulse or pipewire. KADENZO_KEEP_WORK=1 keeps the work folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"
source "$here/../support/sound-server.sh"

program=$(realpath "$1")
# $2, the source folder, is not needed here.
strike_finder=$3
kind=$4
scenario=$5
session_begin "sound-$kind-$scenario"

# The program goes first, then the server, then the rest of the session.
cleanup() {
  if [[ -n "$program_pid" ]]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  sound_server_stop
  session_cleanup
}
trap cleanup EXIT

start_xvfb
sound_server_start "$kind" "$work/server"

# X key codes (scan code + 8) and the short sounds bound to them, so that the
# strikes stand apart in a recording.
keys=(24 25 26 27 28 29 30 31)
sounds=(2 21 15 16 17 19 20 23)

write_drum_set() {
  local code i sound
  {
    for i in $(seq 0 27); do printf 'Sound %s\r\n' "$i"; done
    for code in $(seq 1 255); do
      sound=255
      for i in "${!keys[@]}"; do
        ((keys[i] - 8 == code)) && sound=${sounds[i]}
      done
      printf '%s ' "$sound"
    done
  } >"$1"
}

# The program on OpenAL Soft's pulse back end; the shipped alsoft.conf beside
# it is read as well, before this one.
start_program() {
  local window
  mkdir -p "$work/run"
  write_drum_set "$work/run/drums.set"
  printf '[general]\ndrivers = pulse\n' >"$work/pulse.conf"
  launch_program "$work/run" "$work/pulse.conf"
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key Tab # from the key list to the drum box
  sleep 0.3
}

# Strikes the keys of the given indexes, far enough apart to be told apart
# even when a busy machine holds an event back for a while.
strike() {
  local i
  for i in "$@"; do
    xdotool key "${keys[i]}"
    sleep 0.7
  done
}

# The sounds the strike finder hears in a recording, each only when it matches
# clearly; a doubtful one as ?SOUND(SCORE).
heard() {
  "$strike_finder" "$1" |
    awk '{ if ($3 >= 0.9 && $3 - $4 >= 0.05) printf "%s ", $2; else printf "?%s(%s) ", $2, $3 }'
}

# Fails unless the recording holds exactly the sounds of the given key indexes.
expect_heard() {
  local file=$1 what=$2 expected="" i actual
  shift 2
  for i in "$@"; do expected+="${sounds[i]} "; done
  actual=$(heard "$file")
  if [[ "$actual" != "$expected" ]]; then
    "$strike_finder" "$file" >&2
    fail "$what: heard '$actual', expected '$expected'"
  fi
  echo "ok: $what: heard $expected"
}

scenario_strokes() {
  sound_server_record speakers "$work/speakers.wav"
  start_program
  strike 0 1 2 3
  sound_server_end_record "$work/speakers.wav"
  expect_heard "$work/speakers.wav" "strokes on the default sink" 0 1 2 3
}

case "$scenario" in
strokes) scenario_strokes ;;
*) fail "unknown scenario $scenario" ;;
esac

xdotool key Escape
wait_program_end 0
echo "PASS: $scenario on $kind"
