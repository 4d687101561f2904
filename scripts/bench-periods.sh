# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2154,SC2034
# Part of scripts/bench.sh (KADENZO_BENCH_PARTS=periods, not run by default: it
# keeps both cores busy for a minute or two), sourced after the other parts:
# which mixing periods play without underruns on a loaded machine.
#
# For each period setting, the real program (shipped build, the setting given
# in ALSOFT_CONF, which OpenAL Soft reads after the alsoft.conf beside it) plays
# on a private PulseAudio with its debug log on while a roll of strokes (one
# every 100 ms, round four keys) goes on for KADENZO_BENCH_LOAD_SECONDS (10),
# and the machine is loaded with one busy loop per core (`nproc`, at the same
# priority as the program). Underruns are counted at the server: PulseAudio logs
# "Implicit underrun of" / "underrun on" each time the stream it reads has no
# data when the sink needs it. OpenAL Soft streams silence when nothing sounds,
# so a healthy stream never runs dry. KADENZO_BENCH_PERIODS lists the settings
# as SIZExCOUNT words.
#
# What limits it, from the server's log: OpenAL Soft 1.19's pulse back end asks
# for a target length of period_size x periods and a minimum request of one
# period, in PulseAudio's adjust-latency mode; the server then gives the sink
# half of what is left after two requests, (periods - 2) x period_size / 2:
# 2.67 ms for 256 x 3 at 48000 Hz, none (0.5 ms, the null sink's least) for
# any 2-period setting, which runs dry even on an idle machine.

# shellcheck source=../tests/support/sound-server.sh
source "$root/tests/support/sound-server.sh"
require_tools parec pactl xdotool
trap 'end_load; sound_server_stop; session_cleanup' EXIT

load_seconds=${KADENZO_BENCH_LOAD_SECONDS:-10}
load_pids=()

start_load() {
  local _
  for _ in $(seq "$(nproc)"); do
    bash -c 'while :; do :; done' &
    load_pids+=("$!")
  done
}

end_load() {
  local pid
  for pid in "${load_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  load_pids=()
}

underruns() {
  grep -Eci 'implicit underrun of|underrun on' "$sound_server_dir/server.log" || true
}

periods_measure() {
  local size=$1 count=$2 folder window before after load i=0
  folder="$work/periods-$size-$count"
  mkdir -p "$folder"
  cp "$root/res/drums.set" "$folder/"
  printf '[general]\ndrivers = pulse\nperiod_size = %s\nperiods = %s\n' "$size" "$count" \
    >"$folder/periods.conf"
  program="$shipped_dir/kadenzo"
  launch_program "$folder" "$folder/periods.conf"
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key Tab
  sleep 1
  load=$(cut -d' ' -f1 /proc/loadavg)
  before=$(underruns)
  start_load
  local end=$((SECONDS + load_seconds))
  local -a roll=(a s d f)
  while ((SECONDS < end)); do
    xdotool key --delay 0 "${roll[i++ % 4]}"
    sleep 0.1
  done
  end_load
  after=$(underruns)
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  printf '| %s x %s | %.1f | %s | %s |\n' "$size" "$count" \
    "$(awk -v s="$size" -v c="$count" -v r="$sound_server_rate" 'BEGIN { print s * c * 1000 / r }')" "$((after - before))" "$load"
}

step "Underruns under load: a roll for $load_seconds s per setting, $(nproc) busy loops"
PULSE_LOG=4 sound_server_start pulse "$work/server-periods" 2>>"$build/bench-periods.log"
{
  printf '\n| period_size x periods | periods (ms at %s Hz) | underruns at the sink | load average |\n' "$sound_server_rate"
  printf '|---|---:|---:|---:|\n'
  for setting in ${KADENZO_BENCH_PERIODS:-256x3 256x2 128x3 128x4 64x3 64x6}; do
    periods_measure "${setting%x*}" "${setting#*x}"
  done
} | tee "$build/bench-periods.md"
sound_server_stop
