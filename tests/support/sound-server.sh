#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# A private sound server for tests: PulseAudio, or PipeWire with its pulse layer
# and WirePlumber on a session bus of its own, started in a folder of its own
# with a null sink, so that what programs play there can be recorded from the
# sink's monitor. Nothing of the user's desktop session is touched, and every
# process is ended by its pid. Any program that speaks PulseAudio's protocol
# (OpenAL Soft's pulse back end, Wine's sound driver) reaches it through the
# variables this exports.
#
# Source it (from a script under `set -euo pipefail`), or call it as a command:
#   sound-server.sh start KIND DIR   start; prints the variables as export lines
#   sound-server.sh stop DIR         end everything started in DIR
# Sourced:
#   sound_server_start KIND DIR      KIND pulse or pipewire; DIR is created, or reused
#                                    by a restart. Exports XDG_RUNTIME_DIR and the
#                                    PULSE_* variables; sink "speakers" is the default.
#   sound_server_env DIR             the variables, as export lines
#   sound_server_add_sink NAME       another null sink; prints its module index
#   sound_server_record SINK FILE    records SINK's monitor into FILE (WAVE, 16-bit
#                                    stereo at $sound_server_rate) until
#                                    sound_server_end_record; returns once it records
#   sound_server_end_record FILE     ends that recording and completes the file
#   sound_server_expect_heard FILE WHAT
#                                    fails unless the recording's loudest sample
#                                    stands well above a null sink's silence
#   sound_server_crash               kills the server's processes at once, as a crash
#                                    would; sound_server_start KIND DIR starts it again
#   sound_server_stop [DIR]          ends every process started in DIR (the current one)
# Processes started are listed in DIR/pids, with their logs in DIR/server.log;
# a server outlives the shell that started it until sound_server_stop, so call
# that from your EXIT trap. DIR itself is left for the caller to remove.
# SOUND_SERVER_WAIT (default 20) is how many seconds a start may take.

# The rate of every sink and recording: a desktop's usual rate, and one that
# neither server converts between sink and recording.
sound_server_rate=48000
sound_server_dir=${sound_server_dir:-}
sound_server_kind=${sound_server_kind:-}

_ss_die() {
  echo "sound-server: $*" >&2
  if [[ -n "$sound_server_dir" && -f "$sound_server_dir/server.log" ]]; then
    tail -n 20 "$sound_server_dir/server.log" >&2
  fi
  exit 1
}

_ss_need() {
  local tool
  for tool in "$@"; do
    command -v "$tool" >/dev/null || _ss_die "missing $tool (scripts/deps.sh test installs it)"
  done
}

# Starts a command in the background, its output in the server log; records its pid.
_ss_spawn() {
  local name=$1
  shift
  "$@" >>"$sound_server_dir/server.log" 2>&1 &
  echo "$name $! ${1##*/}" >>"$sound_server_dir/pids"
  # Out of the job table: a server killed on purpose is not reported.
  disown "$!"
}

# The pids listed in DIR under names matching PATTERN whose processes still run
# the command they were started with: a pid freed and taken by another process
# is left alone.
_ss_pids() {
  local dir=$1 pattern=$2 name pid command
  [[ -f "$dir/pids" ]] || return 0
  while read -r name pid command; do
    [[ "$name" =~ $pattern ]] || continue
    [[ "$(cat "/proc/$pid/comm" 2>/dev/null)" == "${command:0:15}" ]] && echo "$pid"
  done <"$dir/pids"
  return 0
}

# Ends the processes listed in DIR whose names match PATTERN: SIGTERM, then
# SIGKILL for any still running after five seconds. Unlists them.
_ss_end() {
  local dir=$1 pattern=$2 signal=${3:-TERM} pid _
  local -a pids
  mapfile -t pids < <(_ss_pids "$dir" "$pattern")
  ((${#pids[@]} > 0)) || return 0
  for pid in "${pids[@]}"; do kill "-$signal" "$pid" 2>/dev/null || true; done
  for _ in $(seq 50); do
    local alive=0
    for pid in "${pids[@]}"; do kill -0 "$pid" 2>/dev/null && alive=1; done
    ((alive)) || break
    sleep 0.1
  done
  for pid in "${pids[@]}"; do kill -KILL "$pid" 2>/dev/null || true; done
  P=$pattern awk '$1 !~ ENVIRON["P"]' "$dir/pids" >"$dir/pids.new"
  mv "$dir/pids.new" "$dir/pids"
}

sound_server_env() {
  local dir=$1
  printf 'export XDG_RUNTIME_DIR=%q\n' "$dir/runtime"
  printf 'export PULSE_RUNTIME_PATH=%q\n' "$dir/runtime/pulse"
  printf 'export PULSE_STATE_PATH=%q\n' "$dir/state/pulse"
  printf 'export PULSE_SERVER=%q\n' "unix:$dir/runtime/pulse/native"
  printf 'export PULSE_CLIENTCONFIG=%q\n' "$dir/client.conf"
  printf 'export XDG_STATE_HOME=%q\n' "$dir/state"
  printf 'export XDG_CONFIG_HOME=%q\n' "$dir/config"
  if [[ $(cat "$dir/kind" 2>/dev/null) == pipewire ]]; then
    printf 'export DBUS_SESSION_BUS_ADDRESS=%q\n' "unix:path=$dir/runtime/bus"
  fi
}

# Waits until the server answers on its socket.
_ss_wait_ready() {
  local limit=$((${SOUND_SERVER_WAIT:-20} * 10)) _
  for _ in $(seq "$limit"); do
    if pactl info >/dev/null 2>&1; then return 0; fi
    sleep 0.1
  done
  _ss_die "$sound_server_kind did not answer in ${SOUND_SERVER_WAIT:-20} s"
}

_ss_wait_sink() {
  local sink=$1 limit=$((${SOUND_SERVER_WAIT:-20} * 10)) _
  for _ in $(seq "$limit"); do
    if pactl list short sinks 2>/dev/null | awk '{print $2}' | grep -qx "$sink"; then return 0; fi
    sleep 0.1
  done
  _ss_die "sink $sink did not appear"
}

sound_server_start() {
  local kind=$1 dir=$2 _
  _ss_need pactl parec
  sound_server_kind=$kind
  mkdir -p "$dir/runtime" "$dir/state" "$dir/config"
  dir=$(cd "$dir" && pwd)
  sound_server_dir=$dir
  chmod 700 "$dir/runtime"
  touch "$dir/pids"
  echo "$kind" >"$dir/kind"
  # A client never starts a server of its own behind the test's back.
  printf 'autospawn = no\n' >"$dir/client.conf"
  eval "$(sound_server_env "$dir")"
  case "$kind" in
  pulse)
    _ss_need pulseaudio
    # No default script (-n): only the modules named here, nothing from the machine.
    _ss_spawn pulseaudio pulseaudio --daemonize=no --exit-idle-time=-1 -n --disallow-exit \
      --log-target=stderr --use-pid-file=no \
      --load="module-native-protocol-unix auth-anonymous=1" \
      --load="module-null-sink sink_name=speakers rate=$sound_server_rate"
    ;;
  pipewire)
    _ss_need pipewire pipewire-pulse wireplumber dbus-daemon
    # WirePlumber ends at once without a session bus; the bus outlives a restart.
    if [[ -z "$(_ss_pids "$dir" '^dbus$')" ]]; then
      _ss_spawn dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
      for _ in $(seq 100); do
        [[ -S "$dir/runtime/bus" ]] && break
        sleep 0.1
      done
    fi
    # Null sinks only: the machine's sound cards, cameras and Bluetooth devices
    # are left to the user's own session.
    mkdir -p "$dir/config/wireplumber/main.lua.d" "$dir/config/wireplumber/bluetooth.lua.d"
    printf '%s\n' 'alsa_monitor.enabled = false' 'v4l2_monitor.enabled = false' \
      'libcamera_monitor.enabled = false' >"$dir/config/wireplumber/main.lua.d/60-no-devices.lua"
    echo 'bluez_monitor.enabled = false' \
      >"$dir/config/wireplumber/bluetooth.lua.d/60-no-devices.lua"
    # A crashed server leaves its socket behind, which would pass for the new
    # one's: its clients would start before it listens, and fail.
    rm -f "$dir/runtime/pipewire-0"
    _ss_spawn pipewire pipewire
    for _ in $(seq 100); do
      [[ -S "$dir/runtime/pipewire-0" ]] && break
      sleep 0.1
    done
    _ss_spawn wireplumber wireplumber
    _ss_spawn pipewire-pulse pipewire-pulse
    ;;
  *) _ss_die "unknown kind $kind (pulse or pipewire)" ;;
  esac
  _ss_wait_ready
  if [[ "$kind" == pipewire ]]; then
    pactl load-module module-null-sink sink_name=speakers "rate=$sound_server_rate" >/dev/null ||
      _ss_die "no null sink"
  fi
  _ss_wait_sink speakers
  pactl set-default-sink speakers
}

sound_server_add_sink() {
  local name=$1 index
  index=$(pactl load-module module-null-sink "sink_name=$name" "rate=$sound_server_rate") ||
    _ss_die "no null sink $name"
  _ss_wait_sink "$name"
  echo "$index"
}

# The recording ends only on sound_server_end_record, which lets parec finish
# the file's header. --latency-msec: pipewire-pulse hands record streams a
# 2-second fragment otherwise, and a short recording would come out empty.
sound_server_record() {
  local sink=$1 file=$2 pid _
  parec --latency-msec=20 -d "$sink.monitor" --file-format=wav --format=s16le --rate="$sound_server_rate" \
    --channels=2 "$file" >>"$sound_server_dir/server.log" 2>&1 &
  pid=$!
  disown "$pid"
  echo "parec:$file $pid parec" >>"$sound_server_dir/pids"
  # Returns once samples reach the file: a null sink that had nobody to play
  # to works in long blocks, and takes a second or two to come down to ours.
  for _ in $(seq $((${SOUND_SERVER_WAIT:-20} * 10))); do
    if (($(stat -c %s "$file" 2>/dev/null || echo 0) > 8192)); then return 0; fi
    kill -0 "$pid" 2>/dev/null || _ss_die "parec on $sink ended at once"
    sleep 0.1
  done
  _ss_die "parec on $sink did not start recording"
}

sound_server_end_record() {
  local file=$1 pattern
  pattern=$(printf '%s' "$file" | sed 's/[][\.*^$+?(){}|/]/\\&/g')
  _ss_end "$sound_server_dir" "^parec:$pattern\$" INT
}

sound_server_crash() {
  _ss_end "$sound_server_dir" '^(pulseaudio|pipewire|pipewire-pulse|wireplumber)$' KILL
  # A crash leaves the sockets behind, and so does this.
}

sound_server_stop() {
  local dir=${1:-$sound_server_dir}
  [[ -n "$dir" && -f "$dir/pids" ]] || return 0
  _ss_end "$dir" '^parec:' INT
  _ss_end "$dir" '^(wireplumber|pipewire-pulse)$'
  _ss_end "$dir" '^(pulseaudio|pipewire)$'
  _ss_end "$dir" '^dbus$'
}

# Called as a command rather than sourced.
if [[ "${BASH_SOURCE[0]}" == "$0" ]]; then
  set -euo pipefail
  case "${1:-}" in
  start)
    sound_server_start "$2" "$3" >&2
    sound_server_env "$sound_server_dir"
    ;;
  stop) sound_server_stop "$2" ;;
  *)
    echo "usage: sound-server.sh start pulse|pipewire DIR | stop DIR" >&2
    exit 2
    ;;
  esac
fi

sound_server_expect_heard() {
  local file=$1 what=$2 peak
  _ss_need sox
  peak=$(sox "$file" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}')
  echo "peak of the $what: $peak"
  awk -v p="$peak" 'BEGIN {exit !(p > 0.1)}' || _ss_die "the $what was not heard (peak $peak)"
}
