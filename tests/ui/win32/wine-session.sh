# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# The session of a test that runs the Windows program under Wine: a work folder,
# an X display (the caller's, else an Xvfb of its own), Wine managing its own
# windows, and a private PulseAudio that Wine's DirectSound plays to; all of it
# ended at exit. It brings the session, sound server and Wine sound helpers.
#   wine_session_begin NAME WINE_RUN EXE SHOTS_DIR  (sets wine_run, exe, shots)
#   wine_program_start                            (the program in $work/run)

_wine_session_here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$_wine_session_here/../../support/program-session.sh"
source "$_wine_session_here/../../support/sound-server.sh"
source "$_wine_session_here/../../support/wine-sound.sh"

wine_session_cleanup() {
  if [[ -n "$program_pid" ]]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  wine_sound_prefix_end
  sound_server_stop
  session_cleanup
}

wine_session_begin() {
  local name=$1
  wine_run=$2 exe=$3 shots=$4
  require_tools xdotool import sox
  session_begin "$name"
  trap wine_session_cleanup EXIT
  mkdir -p "$shots"
  wine_sound_prefix "$wine_run"
  use_display
  wine_manages_windows "$wine_run"
  # $work is the folder session_begin made.
  # shellcheck disable=SC2154
  sound_server_start pulse "$work/server"
}

wine_program_start() {
  (cd "$work/run" && exec "$wine_run" "$exe") >"$work/program.log" 2>&1 &
  program_pid=$!
}
