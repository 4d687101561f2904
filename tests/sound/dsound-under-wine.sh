#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The voices on the real DirectSound of Windows, as Wine gives it: all 140
# voices made from the executable's resources, and one strike heard at a
# private PulseAudio's null sink, which Wine's sound driver plays to.
#
# Usage: dsound-under-wine.sh WINE_RUN STRIKE_EXE
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"
source "$here/../support/sound-server.sh"
source "$here/../support/wine-sound.sh"

wine_run=$1
strike_exe=$2
require_tools sox
session_begin dsound-wine

cleanup() {
  wine_sound_prefix_end
  sound_server_stop
  session_cleanup
}
trap cleanup EXIT

# The program binds the device to a window of its own, which needs a display.
start_xvfb
wine_sound_prefix "$wine_run"
sound_server_start pulse "$work/server"
sound_server_record speakers "$work/speakers.wav"
# The kick (sound 0): long and loud, unmistakable in the recording.
"$wine_run" "$strike_exe" 0 | tee "$work/strike.log"
sound_server_end_record "$work/speakers.wav"

grep -q '140 of 140 voices' "$work/strike.log" || fail "not every voice was made"
# The strike is heard: the recording's loudest sample stands well above the
# null sink's silence.
sound_server_expect_heard "$work/speakers.wav" strike
echo "PASS: 140 voices on DirectSound under Wine; the strike heard at the sink"
