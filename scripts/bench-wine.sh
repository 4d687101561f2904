#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The Windows program under Wine, from an X key event to the stroke's first
# sample at a private PulseAudio's sink (Wine's DirectSound plays there through
# its pulse driver), measured by `sink_latency` as scripts/bench-sink.sh does
# for the Linux program. Wine's DirectSound is not Windows': the figure says
# what a Wine user hears, not what Windows would give.
#
# Usage: scripts/bench-wine.sh ARCH KADENZO_EXE [STROKES]
#   ARCH x64 (run with wine64) or x86 (Wine's i386 loader); STROKES 12.
#   sink_latency comes from build/bin (configure with -DKADENZO_BENCH=ON).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
arch=$1
exe=$(realpath "$2")
strokes=${3:-12}
sink_latency="$root/build/bin/sink_latency"
[[ -x "$sink_latency" ]] || {
  echo "bench-wine: build sink_latency first (build/, -DKADENZO_BENCH=ON)" >&2
  exit 1
}
# shellcheck source=../tests/support/program-session.sh
source "$root/tests/support/program-session.sh"
# shellcheck source=../tests/support/sound-server.sh
source "$root/tests/support/sound-server.sh"
session_begin "bench-wine-$arch"
case "$arch" in
x64) wine=/usr/lib/wine/wine64 ;;
x86) wine=/usr/lib/wine/wine ;;
*) fail "unknown arch $arch (x64 or x86)" ;;
esac
# A prefix of the run's own, so that its Wine reaches this run's server.
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winedbg.exe=d"
cleanup() {
  if [[ -n "$program_pid" ]]; then kill -KILL "$program_pid" 2>/dev/null || true; fi
  /usr/lib/wine/wineserver -k 2>/dev/null || true
  sound_server_stop
  session_cleanup
}
trap cleanup EXIT
start_xvfb
sound_server_start pulse "$work/server" 2>>"$work/server-start.log"
wine_manages_windows "$wine" || true

# Q (X key code 24, scan code 16) strikes sound 2, a short one; nothing else is bound.
mkdir -p "$work/run"
keys=(24)
sounds=(2)
write_drum_set "$work/run/drums.set"
(cd "$work/run" && exec "$wine" "$exe") >"$work/program.log" 2>&1 &
program_pid=$!
window=$(wait_titled_window "$window_title" 60)
sleep 1
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key --delay 150 Tab # from the key list to the drum box
sleep 1
echo "load average as the strokes start: $(cut -d' ' -f1 /proc/loadavg)"
{
  parec --raw --latency-msec=5 -d speakers.monitor --format=s16le --rate="$sound_server_rate" \
    --channels=2 2>/dev/null || true
} | "$sink_latency" "$sound_server_rate" 24 "$strokes" "wine_$arch"
xdotool key Escape
