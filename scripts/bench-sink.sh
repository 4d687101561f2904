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
# Silence: with the window shown and nothing struck for KADENZO_BENCH_QUIET
# seconds (40; the device pauses after 30), the processor time of the
# program's threads (and of the server's processes) over KADENZO_BENCH_IDLE
# seconds more, from the scheduler's accounting (/proc/PID/task/*/schedstat);
# then the first stroke after that silence, the warm strokes, and one stroke
# after 15 s of silence (less than it takes the device to pause).
# A hung server (its processes stopped): the time from the program's start to
# its window with the server hung at start; then, the server killed, started
# again and hung at once, a few strokes (the first reopens the output) and the
# time from Esc to the program's end.

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

# Strikes STROKES times into the recording of the sink, figures named PREFIX_...
sink_strokes_into() {
  local fig=$1 prefix=$2 strokes=$3 status=0
  printf 'load %s\n' "$(cut -d' ' -f1 /proc/loadavg)" >>"$fig"
  # parec ends on a broken pipe once sink_latency has what it needs.
  {
    parec --raw --latency-msec=5 -d speakers.monitor --format=s16le --rate="$sound_server_rate" \
      --channels=2 2>/dev/null || true
  } |
    "$build/bin/sink_latency" "$sound_server_rate" "$sink_key" "$strokes" "$prefix" \
      --figures "$fig" >>"$build/bench-sink.log" 2>&1 || status=$?
  ((status == 0)) || fail "sink_latency failed for $prefix: see $build/bench-sink.log"
}

server_processes() {
  _ss_pids "$sound_server_dir" '^(pulseaudio|pipewire|pipewire-pulse|wireplumber)$'
}

# Stops the server's processes (STOP), as a hung server, or lets them go on (CONT).
server_signal() {
  local pid
  for pid in $(server_processes); do kill "-$1" "$pid"; done
}

milliseconds() { echo $(($(date +%s%N) / 1000000)); }

# Puts the keyboard focus in the drum box of the window given.
focus_drum_box() {
  xdotool windowfocus --sync "$1"
  sleep 0.3
  xdotool key Tab # from the key list to the drum box
}

# A server as Debian ships it in this respect: PulseAudio's default.pa
# suspends a sink that nothing plays to (a corked stream included) after 5 s;
# WirePlumber does the same by itself.
sink_server_start() {
  sound_server_start "$1" "$2" 2>>"$build/bench-sink.log"
  [[ "$1" != pulse ]] || pactl load-module module-suspend-on-idle >/dev/null
}

sink_measure() {
  local kind=$1 setting=$2 dir_var="${2}_dir" folder
  local log="$build/bench-sink.log" fig="$figures/$2.sink.fig"
  local -a server
  folder="$work/sink-$kind-$setting"
  mkdir -p "$folder"
  sink_drum_set "$folder/drums.set"
  program="${!dir_var}/kadenzo"
  launch_program "$folder" "$work/pulse.conf"
  focus_drum_box "$(wait_window)"
  sleep "$quiet_seconds"
  mapfile -t server < <(server_processes)
  idle_cost "$fig" "$kind" "${server[@]}" 2>>"$log"
  sink_strokes_into "$fig" "${kind}_cold" 1
  sink_strokes_into "$fig" "${kind}_sink" "$sink_strokes"
  stream_latency "$fig" "$kind"
  sleep 15
  sink_strokes_into "$fig" "${kind}_rest" 1
  kill "$program_pid" 2>/dev/null || true
  wait "$program_pid" 2>/dev/null || true
  program_pid=

  # Started while the server hangs.
  folder="$work/hang-$kind-$setting"
  mkdir -p "$folder"
  sink_drum_set "$folder/drums.set"
  server_signal STOP
  local started window _
  started=$(milliseconds)
  launch_program "$folder" "$work/pulse.conf"
  window=$(wait_window)
  printf 'load %s\n%s_hung_start_ms %s\n' "$(cut -d' ' -f1 /proc/loadavg)" "$kind" \
    "$(($(milliseconds) - started))" >>"$fig"
  focus_drum_box "$window"
  server_signal CONT
  # Killed, started again and hung at once, under the running program.
  sleep 2
  sound_server_crash
  sink_server_start "$kind" "$sound_server_dir"
  server_signal STOP
  for _ in 1 2 3 4 5; do
    xdotool key "$sink_key"
    sleep 0.3
  done
  started=$(milliseconds)
  xdotool key Escape
  while kill -0 "$program_pid" 2>/dev/null; do sleep 0.01; done
  printf '%s_hang_esc_ms %s\n' "$kind" "$(($(milliseconds) - started))" >>"$fig"
  wait "$program_pid" 2>/dev/null || true
  program_pid=
  server_signal CONT
}

printf '[general]\ndrivers = pulse\n' >"$work/pulse.conf"
: >"$build/bench-sink.log"
for kind in pulse pipewire; do
  step "Key to sink and idle cost on a private $kind, $sink_strokes strokes per setting"
  sink_server_start "$kind" "$work/server-$kind"
  for setting in shipped defaults; do sink_measure "$kind" "$setting"; done
  sound_server_stop
done
