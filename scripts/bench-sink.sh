# SPDX-License-Identifier: MIT
# shellcheck shell=bash disable=SC2154,SC2034
# Part of scripts/bench.sh, sourced by it after the start-up figures (it uses
# its $root, $build, $work, $figures, the setting folders and Xvfb's display):
# the real program on a private PulseAudio and a private PipeWire, each with a
# null sink, shipped settings and OpenAL Soft's defaults in turns.
#
# Latency: `sink_latency` reads a raw recording of the sink's monitor (parec)
# and strikes a short sound with `xdotool key` into the drum box; it prints the
# delay from each key event to the stroke's first sample at the sink, with the
# error of the capture's timestamps (see bench/SinkLatency.cpp).
# Idle cost: with the window shown and nothing struck, the processor time of the
# program's threads (and of the server's processes) over KADENZO_BENCH_IDLE
# seconds, from the scheduler's accounting (/proc/PID/task/*/schedstat).

# shellcheck source=../tests/support/sound-server.sh
source "$root/tests/support/sound-server.sh"
require_tools parec pactl xdotool
trap 'sound_server_stop; session_cleanup' EXIT

# Key code 24 (Q) strikes sound 2, a short one; no other key is bound.
sink_key=24
sink_sound=2

# Nanoseconds on a processor of every thread of the given processes, as
# "name ns" lines; the name is "main" for a process's first thread.
thread_times() {
  local pid task name
  for pid in "$@"; do
    for task in /proc/"$pid"/task/*; do
      name=$(tr ' ' _ <"$task/comm" 2>/dev/null || echo gone)
      [[ "${task##*/}" != "$pid" ]] || name=main
      printf '%s %s\n' "$name" "$(cut -d' ' -f1 "$task/schedstat" 2>/dev/null || echo 0)"
    done
  done
}

# Idle cost: percent of one core over the idle time, for the program as a whole,
# OpenAL Soft's mixer (the one thread besides the first that bears the
# program's name: OpenAL Soft 1.19 does not name it), the PulseAudio client
# library's loop that carries the stream to the server ("threaded-ml"), and the
# sound server's processes.
idle_cost() {
  local file=$1 prefix=$2 before_p before_s after_p after_s
  shift 2
  local -a server=("$@")
  before_p=$(thread_times "$program_pid")
  before_s=$(thread_times "${server[@]}")
  sleep "$idle_seconds"
  after_p=$(thread_times "$program_pid")
  after_s=$(thread_times "${server[@]}")
  {
    printf 'load %s\n' "$(cut -d' ' -f1 /proc/loadavg)"
    # Threads are matched by their order in /proc, which stays while none start or end.
    paste -d' ' <(echo "$before_p") <(echo "$after_p") | awk -v s="$idle_seconds" -v p="$prefix" '
      { d = ($4 - $2) / (s * 1e7); total += d
        if ($1 == "kadenzo") mixer += d
        if ($1 == "threaded-ml") client += d
        printf "%s idle: thread %s %.3f%%\n", p, $1, d > "/dev/stderr" }
      END { printf "%s_idle_cpu_pct %.3f\n%s_idle_mixer_pct %.3f\n%s_idle_client_pct %.3f\n",
              p, total, p, mixer, p, client }'
    paste -d' ' <(echo "$before_s") <(echo "$after_s") | awk -v s="$idle_seconds" -v p="$prefix" '
      { total += ($4 - $2) / (s * 1e7) } END { printf "%s_server_idle_pct %.3f\n", p, total }'
  } >>"$file"
}

# What the server reports of the program's stream: the data queued in it ahead
# of a new sample, and the sink's own buffer after it (a null sink's is what a
# sound card's would be at the same request). PipeWire's pulse layer reports
# neither (0): left out.
stream_latency() {
  local file=$1 prefix=$2
  pactl list sink-inputs | awk -v p="$prefix" '
    /Buffer Latency:/ && $3 > 0 { printf "%s_stream_buffer_ms %.3f\n", p, $3 / 1000 }
    /Sink Latency:/ && $3 > 0 { printf "%s_stream_sink_ms %.3f\n", p, $3 / 1000 }' >>"$file"
}

sink_drum_set() {
  local code
  {
    for i in $(seq 0 27); do printf 'Sound %s\r\n' "$i"; done
    for code in $(seq 1 255); do
      if ((code == sink_key - 8)); then printf '%s ' "$sink_sound"; else printf '255 '; fi
    done
  } >"$1"
}

sink_measure() {
  local kind=$1 setting=$2 dir_var="${2}_dir" folder window status
  local log="$build/bench-sink.log" fig="$figures/$2.sink.fig"
  local -a server
  folder="$work/sink-$kind-$setting"
  mkdir -p "$folder"
  sink_drum_set "$folder/drums.set"
  program="${!dir_var}/kadenzo"
  launch_program "$folder" "$work/pulse.conf"
  window=$(wait_window)
  xdotool windowfocus --sync "$window"
  sleep 0.3
  xdotool key Tab # from the key list to the drum box
  sleep 1
  mapfile -t server < <(_ss_pids "$sound_server_dir" '^(pulseaudio|pipewire|pipewire-pulse|wireplumber)$')
  idle_cost "$fig" "$kind" "${server[@]}" 2>>"$log"
  stream_latency "$fig" "$kind"
  status=0
  # parec ends on a broken pipe once sink_latency has what it needs.
  {
    parec --raw --latency-msec=5 -d speakers.monitor --format=s16le --rate="$sound_server_rate" \
      --channels=2 2>/dev/null || true
  } |
    "$build/bin/sink_latency" "$sound_server_rate" "$sink_key" "$sink_strokes" "${kind}_sink" \
      --figures "$fig" >>"$log" 2>&1 || status=$?
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  ((status == 0)) || fail "sink_latency failed on $kind with the $setting settings: see $log"
}

printf '[general]\ndrivers = pulse\n' >"$work/pulse.conf"
: >"$build/bench-sink.log"
for kind in pulse pipewire; do
  step "Key to sink and idle cost on a private $kind, $sink_strokes strokes per setting"
  sound_server_start "$kind" "$work/server-$kind" 2>>"$build/bench-sink.log"
  for setting in shipped defaults; do sink_measure "$kind" "$setting"; done
  sound_server_stop
done
