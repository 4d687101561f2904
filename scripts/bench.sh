#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Builds the benchmarks in a Release build (build-bench) and prints the figures
# of the road from key to sound: the stroke path through the drum pad window,
# the strike alone, Init of the kit and its memory, the output latency, where a
# strike lands in OpenAL Soft's output, and the real program's start-up time and
# peak memory. Each figure is taken twice, side by side: with the alsoft.conf
# that ships beside the program, and with OpenAL Soft's own defaults (copies of
# the programs in a folder without it).
#
#   scripts/bench.sh      KADENZO_BENCH_ROUNDS (3) runs of stroke_bench per setting,
#                         KADENZO_BENCH_STROKES (20000) strokes a run,
#                         KADENZO_BENCH_STARTS (5) starts of the program per setting
#
# Nothing here is asserted: the figures are printed, and the raw output of each
# run stays in build-bench/bench-*.log. Figures vary with the machine's load.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-bench"
strokes=${KADENZO_BENCH_STROKES:-20000}
rounds=${KADENZO_BENCH_ROUNDS:-3}
starts=${KADENZO_BENCH_STARTS:-5}

"$root/scripts/deps.sh" test

step() { printf '\n==== %s ====\n' "$*" >&2; }

step "Release build in $build"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DKADENZO_BENCH=ON \
  -DKADENZO_TESTS=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target kadenzo stroke_bench >/dev/null

# The helpers the program's own tests use: a work folder, an Xvfb display, the
# program started in a folder of its own under a given ALSOFT_CONF.
# shellcheck source=../tests/support/program-session.sh
source "$root/tests/support/program-session.sh"
session_begin bench
require_tools Xvfb xdotool awk

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
cp "$build/bin/kadenzo" "$build/bin/stroke_bench" "$defaults_dir/"
[[ -f "$shipped_dir/alsoft.conf" ]] || fail "no alsoft.conf beside the built program"

# ---------------------------------------------------------------------------
# Stroke, strike, Init, latency: stroke_bench in each folder.

# Taken in turns, so that a change in the machine's load falls on both; each
# figure is the median of the rounds.
for round in $(seq "$rounds"); do
  for setting in shipped defaults; do
    dir_var="${setting}_dir"
    step "stroke_bench with the $setting settings, round $round of $rounds ($strokes strokes)"
    QT_QPA_PLATFORM=offscreen "${!dir_var}/stroke_bench" --figures "$work/$setting.$round.fig" \
      --strokes "$strokes" --benchmark_min_time=0.2 >"$build/bench-$setting-$round.log" 2>&1 ||
      fail "stroke_bench failed: see $build/bench-$setting-$round.log"
  done
done
for setting in shipped defaults; do
  cat "$work/$setting".*.fig | sort -k1,1 -k2,2g |
    awk '$1 != name {flush(); name = $1; n = 0} {v[++n] = $2}
         function flush() {if (n) print name, v[int((n + 1) / 2)]}
         END {flush()}' >"$work/$setting.fig"
done

# ---------------------------------------------------------------------------
# Start-up: from the start of the real program to its drum pad window mapped on
# an X display, and its peak resident memory once the window shows. The moment
# of mapping is read from outside, in Qt's own log of the X events it receives
# (the XCB_MAP_NOTIFY of the window), stamped to the millisecond.

start_xvfb
printf '[general]\ndrivers = null\n' >"$work/null.conf"
export TZ=UTC QT_LOGGING_RULES="qt.qpa.events=true"
export QT_MESSAGE_PATTERN="%{time yyyy-MM-dd HH:mm:ss.zzz} %{category} %{message}"

# One start of the program in the setting's folder: appends its figures to
# $work/SETTING.starts.
measure_startup() {
  local setting=$1 run=$2 dir_var="${1}_dir" t0 mapped hwm
  program="${!dir_var}/kadenzo"
  mkdir -p "$work/start-$setting-$run"
  : >"$work/program.log"
  t0=$EPOCHREALTIME
  launch_program "$work/start-$setting-$run" "$work/null.conf"
  wait_window >/dev/null
  sleep 1
  hwm=$(awk '/^VmHWM:/ {print $2}' "/proc/$program_pid/status")
  kill -TERM "$program_pid"
  wait_program_end 0
  mapped=$(awk '/XCB_MAP_NOTIFY/ {print $1, $2; exit}' "$work/program.log")
  [[ -n "$mapped" ]] || fail "no XCB_MAP_NOTIFY in Qt's log: $work/program.log"
  mapped=$(date -u -d "$mapped" +%s.%N)
  awk -v a="$t0" -v b="$mapped" -v k="$hwm" \
    'BEGIN {printf "startup_ms %.3f\npeak_rss_mib %.3f\n", (b - a) * 1000, k / 1024}' \
    >>"$work/$setting.starts"
}

step "Start-up of the real program under Xvfb, $starts starts each"
# Taken in turns, so that a change in the machine's load falls on both.
for run in $(seq "$starts"); do
  for setting in shipped defaults; do
    measure_startup "$setting" "$run"
  done
done
for setting in shipped defaults; do
  for figure in startup_ms peak_rss_mib; do
    awk -v f="$figure" '$1 == f {print $2}' "$work/$setting.starts" | sort -g |
      awk -v f="$figure" '{v[NR] = $1} END {print f, v[int((NR + 1) / 2)]}' >>"$work/$setting.fig"
  done
done

# ---------------------------------------------------------------------------
# The table.

cpu=$(lscpu | awk -F: '/^Model name/ {sub(/^[ \t]+/, "", $2); print $2; exit}')
ram=$(awk '/^MemTotal:/ {printf "%.1f GiB", $2 / 1048576}' /proc/meminfo)
openal=$(dpkg-query -W -f='${Version}' libopenal1 2>/dev/null || echo unknown)
qt=$(dpkg-query -W -f='${Version}' libqt6core6 2>/dev/null || echo unknown)
shipped_period=$(awk -F= '/^[[:space:]]*period_size/ {gsub(/ /, "", $2); print $2}' \
  "$shipped_dir/alsoft.conf")
shipped_periods=$(awk -F= '/^[[:space:]]*periods/ {gsub(/ /, "", $2); print $2}' \
  "$shipped_dir/alsoft.conf")

printf '\nKadenzo figures, %s\n' "$(date -u '+%Y-%m-%d %H:%M UTC')"
printf 'Machine: %s cores, %s, %s RAM; load average %s\n' "$(nproc)" "$cpu" "$ram" \
  "$(cut -d' ' -f1-3 /proc/loadavg)"
printf 'OpenAL Soft %s (null back end; wave writer for the output), Qt %s (offscreen for the\n' \
  "$openal" "$qt"
printf 'stroke path, Xvfb for the start-up). Shipped: alsoft.conf period_size=%s periods=%s.\n' \
  "$shipped_period" "$shipped_periods"
printf 'Defaults: no alsoft.conf beside the program. Medians unless marked.\n\n'

awk -v shipped="$work/shipped.fig" -v defaults="$work/defaults.fig" '
  BEGIN {
    while ((getline line < shipped) > 0) { split(line, f, " "); s[f[1]] = f[2] }
    while ((getline line < defaults) > 0) { split(line, f, " "); d[f[1]] = f[2] }
    # Derived: what a listener waits for on a sound card, on average. A strike is
    # taken by the next mix, half a period away on average, and that mix is heard
    # after the latency the device reports (the periods queued before it and the
    # look-ahead of the output limiter).
    derive(s); derive(d)
  }
  function derive(a) {
    if ("stroke_median_ns" in a && "wave_period_frames" in a && "wave_latency_ms" in a &&
        a["wave_output_hz"] > 0) {
      a["half_period_ms"] = a["wave_period_frames"] / a["wave_output_hz"] * 1000 / 2
      a["key_to_sound_ms"] = a["stroke_median_ns"] / 1e6 + a["half_period_ms"] + a["wave_latency_ms"]
    }
  }
  function row(key, label, fmt,    a, b, ratio) {
    if (!(key in s) || !(key in d)) {
      printf "%-52s %12s %12s\n", label, (key in s) ? sprintf(fmt, s[key]) : "missing",
        (key in d) ? sprintf(fmt, d[key]) : "missing"
      return
    }
    a = s[key]; b = d[key]
    ratio = (a != 0) ? sprintf("%.2f", b / a) : "-"
    printf "%-52s %12s %12s %8s\n", label, sprintf(fmt, a), sprintf(fmt, b), ratio
  }
  function head(text) { printf "\n%s\n", text }
  END {
    printf "%-52s %12s %12s %8s\n", "", "shipped", "defaults", "def/ship"
    head("Key to sound")
    row("stroke_median_ns", "stroke path, key event -> sound started (ns)", "%.0f")
    row("stroke_p99_ns", "  99th percentile (ns)", "%.0f")
    row("stroke_p999_ns", "  99.9th percentile (ns)", "%.0f")
    row("stroke_max_ns", "  slowest stroke of the run (ns)", "%.0f")
    row("label_median_ns", "  of which naming + showing the key (ns)", "%.0f")
    row("label_p99_ns", "    99th percentile (ns)", "%.0f")
    row("label_max_ns", "    slowest (ns)", "%.0f")
    row("strike_ringing_ns", "strike alone, PlayKey, voice ringing (ns)", "%.0f")
    row("strike_silent_ns", "strike alone, PlayKey, voice silent (ns)", "%.0f")
    row("kit_new_per_stroke", "operator new per stroke, kit + voice", "%.2f")
    row("kit_malloc_per_stroke", "heap allocations per stroke, kit + voice + OpenAL", "%.2f")
    row("label_new_per_stroke", "operator new per stroke, Qt showing the key", "%.2f")
    row("label_malloc_per_stroke", "heap allocations per stroke, Qt showing the key", "%.2f")
    row("stroke_checked", "check: a stroke named its key and struck (1 = yes)", "%.0f")
    head("Output")
    row("wave_period_frames", "mixing period (frames at 44100 Hz)", "%.0f")
    row("wave_latency_ms", "device latency reported, ALC_DEVICE_LATENCY_SOFT (ms)", "%.2f")
    row("wave_stream_delay_ms", "wave writer: clock at strike -> sample in output (ms)", "%.2f")
    row("wave_stream_delay_max_ms", "  largest of the strikes (ms)", "%.2f")
    row("wave_strikes_found", "  strikes found in the output (of 40)", "%.0f")
    row("wave_mix_wait_ms", "wave writer: strike -> its mix done, real time (ms)", "%.2f")
    row("wave_mix_wait_max_ms", "  largest of the strikes (ms)", "%.2f")
    row("half_period_ms", "wait for the next mix on a sound card, average (ms)", "%.2f")
    row("key_to_sound_ms", "key to sound on a sound card: stroke + wait + latency", "%.1f")
    head("Start-up and memory")
    row("init_cold_ms", "Init: device + 140 voices, first in process (ms)", "%.2f")
    row("init_warm_ms", "Init again, library loaded (ms)", "%.2f")
    row("init_voices", "  voices created", "%.0f")
    row("init_heap_mib", "  heap taken by Init (MiB)", "%.2f")
    row("init_resident_mib", "  resident memory added by Init (MiB)", "%.2f")
    row("device_heap_mib", "  of which the open device and context (MiB)", "%.2f")
    row("voices_heap_mib", "  of which the 140 voices (MiB)", "%.2f")
    row("sample_data_mib", "  sample data in the voices, 5 x 1088036 B (MiB)", "%.2f")
    row("startup_ms", "program start -> drum pad window shown (ms)", "%.0f")
    row("peak_rss_mib", "program peak resident memory, VmHWM (MiB)", "%.1f")
  }'
printf '\nRaw output of each run: %s/bench-{shipped,defaults}-N.log\n' "$build"
