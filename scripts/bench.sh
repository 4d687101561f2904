#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks in a Release build (build-bench) and prints the figures
# of the road from key to sound: the stroke path through the drum pad window,
# the strike alone, Init of the kit (cold: the first in a fresh process; warm:
# again in the same process) and its memory, the output latency, where a strike
# lands in OpenAL Soft's output, the real program's start-up time (from
# outside: until the X server maps its window) and peak memory, and, through a
# private PulseAudio and PipeWire (scripts/bench-sink.sh), the delay from an X
# key event to the first sample at the sink and the idle cost. Each figure is
# taken twice, side by side: with the alsoft.conf that ships beside the program,
# and with OpenAL Soft's own defaults (copies of the programs in a folder
# without it). Every figure comes with the machine and the load average its
# runs started under; the end of the output is ready to paste into
# docs/performance.md (its summary and its figures).
#
#   scripts/bench.sh      KADENZO_BENCH_ROUNDS (3) runs of stroke_bench and
#                         wave_probe per setting,
#                         KADENZO_BENCH_STROKES (20000) strokes a run,
#                         KADENZO_BENCH_STARTS (5) starts of the program per setting,
#                         KADENZO_BENCH_SINK_STROKES (20) strokes per setting and
#                         sound server, KADENZO_BENCH_IDLE (10) seconds of idle
#                         time measured after KADENZO_BENCH_QUIET (40) seconds
#                         of silence; KADENZO_BENCH_PARTS (stroke start sink)
#                         the parts to run, "periods" too for underruns under load
#
# Nothing here is asserted: the figures are printed, and the raw output of each
# run stays in build-bench/bench-*.log. Figures vary with the machine's load:
# take them on a quiet machine.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
strokes=${KADENZO_BENCH_STROKES:-20000}
rounds=${KADENZO_BENCH_ROUNDS:-3}
starts=${KADENZO_BENCH_STARTS:-5}
sink_strokes=${KADENZO_BENCH_SINK_STROKES:-20}
idle_seconds=${KADENZO_BENCH_IDLE:-10}
quiet_seconds=${KADENZO_BENCH_QUIET:-40}
parts=" ${KADENZO_BENCH_PARTS:-stroke start sink} "

"$root/scripts/deps.sh" test

step() { printf '\n==== %s ====\n' "$*" >&2; }

step "Release build in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADENZO_BENCH=ON \
  -DKADENZO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target kadenzo stroke_bench wave_probe startup_probe \
  init_timer bench_table sink_latency >/dev/null

# The helpers the program's own tests use: a work folder and an Xvfb display.
# shellcheck source=../tests/support/program-session.sh
source "$root/tests/support/program-session.sh"
session_begin bench
require_tools Xvfb

# OpenAL Soft also reads the system's and the user's alsoft.conf: a period set
# there would blur the comparison.
for conf in /etc/openal/alsoft.conf "${XDG_CONFIG_DIRS:-/etc/xdg}/alsoft.conf" \
  "$HOME/.alsoftrc" "${XDG_CONFIG_HOME:-$HOME/.config}/alsoft.conf"; do
  if [[ -f "$conf" ]] && grep -Eq '^[[:space:]]*(period_size|periods)[[:space:]]*=[[:space:]]*[0-9]' "$conf"; then
    echo "note: $conf sets a mixing period; the defaults column is not OpenAL Soft's own." >&2
  fi
done
unset ALSOFT_CONF ALSOFT_DRIVERS

shipped_dir="$build/bin"
defaults_dir="$work/defaults"
mkdir -p "$defaults_dir"
cp "$build/bin/kadenzo" "$build/bin/stroke_bench" "$build/bin/wave_probe" "$defaults_dir/"
[[ -f "$shipped_dir/alsoft.conf" ]] || fail "no alsoft.conf beside the built program"
figures="$work/figures"
mkdir -p "$figures"

# ---------------------------------------------------------------------------
# Stroke, strike, Init, latency: stroke_bench and wave_probe in each folder,
# taken in turns, so that a change in the machine's load falls on both.

for round in $(seq "$rounds"); do
  [[ "$parts" == *" stroke "* ]] || break
  for setting in shipped defaults; do
    dir_var="${setting}_dir"
    log="$build/bench-$setting-$round.log"
    step "stroke_bench and wave_probe with the $setting settings, round $round of $rounds"
    QT_QPA_PLATFORM=offscreen "${!dir_var}/stroke_bench" \
      --figures "$figures/$setting.stroke.$round.fig" --strokes "$strokes" \
      --benchmark_min_time=0.2 >"$log" 2>&1 || fail "stroke_bench failed: see $log"
    "${!dir_var}/wave_probe" --figures "$figures/$setting.wave.$round.fig" >>"$log" 2>&1 ||
      fail "wave_probe failed: see $log"
  done
done

# ---------------------------------------------------------------------------
# Start-up: from the start of the real program to its drum pad window mapped,
# as the X server reports it to a client watching the root window, with Qt's
# logging off; then its peak resident memory once the window shows. The program
# starts in a folder holding the starter set, on the null back end. Separate
# starts time its first Init from inside, through a preloaded library.

start_xvfb
printf '[general]\ndrivers = null\n' >"$work/null.conf"
export ALSOFT_CONF="$work/null.conf"

start() {
  local setting=$1 run=$2 kind=$3 folder dir_var="${1}_dir"
  folder="$work/start-$setting-$kind-$run"
  mkdir -p "$folder"
  cp "$root/res/drums.set" "$folder/"
  if [[ "$kind" == init ]]; then
    KADENZO_INIT_FIGURES="$figures/$setting.program.fig" LD_PRELOAD="$build/bin/libinit_timer.so" \
      "$build/bin/startup_probe" "${!dir_var}/kadenzo" "$folder" >/dev/null
  else
    "$build/bin/startup_probe" "${!dir_var}/kadenzo" "$folder" \
      --figures "$figures/$setting.start.fig"
  fi
}

: >"$build/bench-start.log"
step "Start-up of the real program under Xvfb, $starts starts each"
[[ "$parts" == *" start "* ]] || starts=0
for run in $(seq "$starts"); do
  for setting in shipped defaults; do
    start "$setting" "$run" window >>"$build/bench-start.log" 2>&1 ||
      fail "startup_probe failed: see $build/bench-start.log"
    start "$setting" "$run" init >>"$build/bench-start.log" 2>&1 ||
      fail "startup_probe failed: see $build/bench-start.log"
  done
done

unset ALSOFT_CONF
# shellcheck source=bench-sink.sh
[[ "$parts" != *" sink "* ]] || source "$root/scripts/bench-sink.sh"
# shellcheck source=bench-periods.sh
[[ "$parts" != *" periods "* ]] || source "$root/scripts/bench-periods.sh"

# ---------------------------------------------------------------------------
# The table, and the blocks to paste.

ram=$(awk '/^MemTotal:/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
os=$(sed -n 's/^PRETTY_NAME="\{0,1\}\([^"]*\)"\{0,1\}$/\1/p' /etc/os-release)
openal=$(dpkg-query -W -f='${Version}' libopenal1 2>/dev/null || echo unknown)
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo unknown)
gxx=$(g++ -dumpfullversion 2>/dev/null || echo unknown)
conf_value() { sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*//p" "$shipped_dir/alsoft.conf"; }
about="$ram RAM, $os, OpenAL Soft $openal, Qt $qt, g++ $gxx -O3; shipped alsoft.conf:"
about+=" period_size=$(conf_value period_size) periods=$(conf_value periods)"
"$build/bin/bench_table" "$figures" "$about"
# Kept, so that the table can be printed again: bench_table FOLDER ABOUT.
rm -rf "$build/figures"
cp -R "$figures" "$build/figures"
printf '\nRaw output of each run: %s/bench-*.log; the figures: %s/figures\n' "$build" "$build"
