#!/usr/bin/env bash
# The real program under Xvfb, driven by real X key events from xdotool, with
# OpenAL Soft's wave writer as the sound device:
#   1. with a "drums.set" binding scan code 30 (the A key) to a sample, pressing
#      A in the drum box puts that sample into the output file; Esc ends the
#      program and "drums.set" is written;
#   2. an unbound key plays nothing, and SIGTERM ends the program the same way.
# There is no window manager: the window is focused with windowfocus and the
# drum box reached with Tab. A screenshot of the window is left in the build
# folder (drum-pad-e2e.png) for a person to look at.
#
# Usage: drum-pad-e2e.sh KADENZO_EXECUTABLE SOURCE_DIR [SCREENSHOT_PATH]
# KEEP_E2E=1 keeps the working folder (logs, output WAVE files) for a look.
set -euo pipefail

program=$(realpath "$1")
source_dir=$2
screenshot=${3:-}

for tool in Xvfb xdotool sox soxi; do
  if ! command -v "$tool" >/dev/null; then
    echo "missing $tool (scripts/deps.sh test installs it)" >&2
    exit 1
  fi
done

work=$(mktemp -d /tmp/kadenzo-e2e-XXXXXX)
xvfb_pid=
program_pid=
cleanup() {
  [[ -n "$program_pid" ]] && kill -KILL "$program_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  if [[ -n "${KEEP_E2E:-}" ]]; then echo "kept $work" >&2; else rm -rf "$work"; fi
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# A display of our own; Xvfb writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset \
  3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 200); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
display_number=$(head -n 1 "$work/display")
[[ -n "$display_number" ]] || fail "Xvfb did not start"
export DISPLAY=":$display_number"
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work"
# Under the sanitizer build: the X11 libraries' own reports are not ours.
if [[ -n "${ASAN_OPTIONS:-}" ]]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:suppressions=$source_dir/tests/ui/e2e/asan-x11.supp"
fi

sample="$source_dir/res/waves/wave300.wav" # sound 0
sample_seconds=$(soxi -D "$sample")

# 28 names, then the sounds of scan codes 1 to 255: code 30 plays sound 0.
write_drum_set() {
  local file=$1 code
  {
    printf 'Kick\r\n'
    for _ in $(seq 2 28); do printf '\r\n'; done
    for code in $(seq 1 255); do
      if ((code == 30)); then printf '0 '; else printf '255 '; fi
    done
  } >"$file"
  # An old date, so that a rewrite shows.
  touch -d '2001-01-01 00:00:00' "$file"
}

# Starts the program in the working folder with the wave writer at $1.
start_program() {
  local wave=$1
  printf '[general]\ndrivers=wave\n[wave]\nfile=%s\n' "$wave" >"$work/alsoft.conf"
  (cd "$work" && ALSOFT_CONF="$work/alsoft.conf" exec "$program") >"$work/program.log" 2>&1 &
  program_pid=$!
  window=$(timeout 60 xdotool search --sync --name "Orvan's Drums for Windows" | head -n 1) ||
    fail "the drum pad window did not appear"
  xdotool windowfocus --sync "$window"
  sleep 0.3
  # The key list has the focus at start; Tab moves it to the drum box.
  xdotool key Tab
  sleep 0.3
}

wait_program_end() {
  local waited=0
  while kill -0 "$program_pid" 2>/dev/null; do
    sleep 0.1
    waited=$((waited + 1))
    ((waited < 150)) || fail "the program did not end"
  done
  wait "$program_pid" || fail "the program ended with status $?"
  program_pid=
}

rewritten() {
  [[ $(stat -c %Y "$work/drums.set") -gt $(date -d '2002-01-01' +%s) ]]
}

# Peak amplitude of a WAVE file, 0 to 1.
peak() {
  sox -V1 "$1" -n stat 2>&1 | awk '/Maximum amplitude/ {print $3}'
}

# Length in seconds of a WAVE file once the silence around the sound is cut.
sounding_seconds() {
  sox -V1 "$1" "$work/trimmed.wav" silence 1 0.005 0.5% reverse silence 1 0.005 0.5% reverse
  soxi -V1 -D "$work/trimmed.wav"
}

# 1. The A key strikes sound 0; Esc ends the program and the file is written.
write_drum_set "$work/drums.set"
start_program "$work/strike.wav"
xdotool key a
if [[ -n "$screenshot" ]] && command -v import >/dev/null; then
  sleep 0.2
  import -window root "$screenshot" || true
fi
sleep $(awk -v s="$sample_seconds" 'BEGIN {print s + 0.7}')
xdotool key Escape
wait_program_end
rewritten || fail "Esc did not write drums.set"
head -c 6 "$work/drums.set" | grep -q '^Kick' || fail "drums.set lost its names"

peak_strike=$(peak "$work/strike.wav")
awk -v p="$peak_strike" 'BEGIN {exit !(p > 0.05)}' || fail "no sound in the output (peak $peak_strike)"
seconds=$(sounding_seconds "$work/strike.wav")
awk -v t="$seconds" -v s="$sample_seconds" 'BEGIN {exit !(t > s * 0.6 && t < s + 0.3)}' ||
  fail "the output sounds $seconds s, the sample lasts $sample_seconds s"

# 2. An unbound key stays silent; SIGTERM ends the program like Esc.
write_drum_set "$work/drums.set"
start_program "$work/silent.wav"
xdotool key s
sleep 0.7
kill -TERM "$program_pid"
wait_program_end
rewritten || fail "SIGTERM did not write drums.set"
peak_silent=$(peak "$work/silent.wav")
awk -v p="$peak_silent" 'BEGIN {exit !(p < 0.001)}' || fail "an unbound key sounded (peak $peak_silent)"

echo "PASS: strike peak $peak_strike over ${seconds}s; unbound key silent; Esc and SIGTERM wrote drums.set"
