#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on Wayland alone (no X display), on a headless Weston:
#   with Qt's Wayland plugin, the window shows, titled as the drum pad window,
#   with the app id of the desktop entry, and the program ends cleanly;
#   without it, one clear line naming the missing package and status 1;
#   keys typed into a Weston nested in Xvfb (its X11 back end takes the keys
#   xdotool sends) reach the drum box by scan code and play their sounds.
#   wayland-session.sh PROGRAM DESKTOP_ENTRY SCREENSHOT_DIR STRIKE_FINDER
set -uo pipefail
program=$(readlink -f "$1") desktop=$2 shots=$3 strike_finder=$4

source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"
for tool in weston weston-screenshooter Xvfb xdotool; do
  command -v "$tool" >/dev/null || { fail "missing $tool (scripts/deps.sh test installs weston)"; finish; }
done

# A sanitizer build reads its settings (leak suppressions) from these; Qt's
# keyboard set-up hands libxkbcommon an unterminated buffer with its length,
# which strict string checks take for an overflow.
sanitizer_env=()
for var in UBSAN_OPTIONS LSAN_OPTIONS; do
  [[ -n "${!var:-}" ]] && sanitizer_env+=("$var=${!var}")
done
# No leak check here: Qt's Wayland plugin loads Mesa's EGL and unloads it
# again, and what that leaves behind has no library name a suppression could
# match. The program's own leaks are looked for by the tests on X11.
[[ -n "${ASAN_OPTIONS:-}" ]] &&
  sanitizer_env+=("ASAN_OPTIONS=$ASAN_OPTIONS:strict_string_checks=0:detect_leaks=0")
work=$(mktemp -d /tmp/kadenzo-wayland-XXXXXX)
weston_pid=
xvfb_pid=
pid=
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
  [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  [[ -n "${KADENZO_KEEP_WORK:-}" ]] || rm -rf "$work"
}
trap cleanup EXIT
mkdir -m 700 "$work/runtime"
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
mkdir "$work/data"

# A compositor of our own: headless, drawing in memory so that a screenshot
# can be taken (--debug lets weston-screenshooter in).
socket=kadenzo-test
XDG_RUNTIME_DIR="$work/runtime" weston --backend=headless-backend.so --use-pixman \
  --width=1024 --height=768 --socket="$socket" --idle-time=0 --debug >"$work/weston.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [[ -S "$work/runtime/$socket" ]] && break
  sleep 0.1
done
[[ -S "$work/runtime/$socket" ]] || { fail "weston did not start: $(tail -n5 "$work/weston.log")"; finish; }

# The program as the menu starts it in a Wayland session: no DISPLAY, no
# QT_QPA_PLATFORM; Qt picks its Wayland plugin. WAYLAND_DEBUG=client logs
# every request the program makes of the compositor.
wayland_env=(env -i "${sanitizer_env[@]}" PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
  WAYLAND_DISPLAY="$socket" ALSOFT_CONF="$work/alsoft.conf")
(cd "$work/data" && exec "${wayland_env[@]}" WAYLAND_DEBUG=client "$program" \
  >"$work/out" 2>"$work/wayland.log") &
pid=$!

# Shown: the toplevel's surface got a buffer and was committed after the
# compositor's first configure was acknowledged. Sets $toplevel.
wait_shown() {
  local log=$1 surface=''
  toplevel=''
  for _ in $(seq 150); do
    surface=$(sed -n 's/.*get_xdg_surface(new id xdg_surface@[0-9]*, \(wl_surface@[0-9]*\)).*/\1/p' "$log" | head -n1)
    toplevel=$(sed -n 's/.*get_toplevel(new id \(xdg_toplevel@[0-9]*\)).*/\1/p' "$log" | head -n1)
    if [[ -n "$surface" ]] && awk -v s="$surface" '
        /ack_configure/ { acked = 1 }
        acked && index($0, "-> " s ".attach(wl_buffer@") { attached = 1 }
        attached && index($0, "-> " s ".commit()") { found = 1 }
        END { exit !found }' "$log"; then
      return 0
    fi
    kill -0 "$pid" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}
log="$work/wayland.log"
shown=''
wait_shown "$log" && shown=1
if [[ -z "$shown" ]]; then
  fail "no window shown on Wayland: $(grep -v '^\[' "$log" | head -n5)"
else
  app_id=$(basename "$desktop" .desktop)
  grep -qF -- "-> $toplevel.set_app_id(\"$app_id\")" "$log" ||
    fail "the window's app id is not $app_id: $(grep -F "$toplevel.set_app_id" "$log")"
  grep -qF -- "-> $toplevel.set_title(\"Orvan's Drums for Windows\")" "$log" ||
    fail "the window's title: $(grep -F "$toplevel.set_title" "$log")"
  mkdir -p "$shots"
  (cd "$shots" && rm -f wayland-screenshot-*.png &&
    XDG_RUNTIME_DIR="$work/runtime" WAYLAND_DISPLAY="$socket" timeout 20 weston-screenshooter) ||
    fail "no screenshot"
  ls "$shots"/wayland-screenshot-*.png >/dev/null 2>&1 || fail "the screenshooter wrote nothing"
fi
if kill -0 "$pid" 2>/dev/null; then
  kill -TERM "$pid"
  wait "$pid"
  rc=$?
  ((rc == 0)) || fail "ended with status $rc on SIGTERM: $(grep -v '^\[' "$log" | head -n5)"
  [[ -f "$work/data/drums.set" ]] || fail "no drums.set written on Wayland"
else
  wait "$pid"
  fail "the program ended by itself with status $?: $(grep -v '^\[' "$log" | head -n5)"
fi
pid=

# Without Qt's Wayland plugin (qt6-wayland not installed): a copy of the
# program whose qt.conf points Qt at a plugin folder holding only X11's.
plugins=$(dirname "$(find /usr/lib -path '*/qt6/plugins/platforms/libqxcb.so' -print -quit)")
mkdir -p "$work/bare/bin" "$work/bare/plugins/platforms"
cp "$program" "$work/bare/bin/kadenzo"
ln -s "$plugins/libqxcb.so" "$work/bare/plugins/platforms/"
printf '[Paths]\nPlugins = %s\n' "$work/bare/plugins" >"$work/bare/bin/qt.conf"
(cd "$work/data" && "${wayland_env[@]}" timeout -s KILL 20 "$work/bare/bin/kadenzo" \
  >"$work/out" 2>"$work/err")
rc=$?
((rc == 1)) || fail "without the Wayland plugin: status $rc (134 is Qt's abort)"
if ! { [[ "$(wc -l <"$work/err")" -eq 1 ]] && grep -q 'qt6-wayland' "$work/err"; }; then
  fail "without the Wayland plugin: not one line naming qt6-wayland: $(cat "$work/err")"
fi

# Keys on Wayland. Weston's X11 back end, nested in an Xvfb, takes the keys
# xdotool types into its window and hands them on as a Wayland keyboard does:
# as kernel key codes, which Qt reports plus 8, as on X11. "A" (kernel code
# 30) and "S" (31) are bound to sounds 5 and 12; Tab puts the focus on the
# drum box; OpenAL Soft's wave writer records what plays.
kill "$weston_pid" 2>/dev/null
wait "$weston_pid" 2>/dev/null
Xvfb -displayfd 3 -screen 0 1100x820x24 -nolisten tcp 3>"$work/display" 2>/dev/null &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
display=":$(cat "$work/display")"
socket=kadenzo-keys
DISPLAY=$display XDG_RUNTIME_DIR="$work/runtime" weston --backend=x11-backend.so --use-pixman \
  --width=1024 --height=768 --socket="$socket" --idle-time=0 >"$work/weston-x11.log" 2>&1 &
weston_pid=$!
for _ in $(seq 100); do
  [[ -S "$work/runtime/$socket" ]] && break
  sleep 0.1
done
[[ -S "$work/runtime/$socket" ]] || { fail "weston on X11 did not start: $(tail -n5 "$work/weston-x11.log")"; finish; }

mkdir "$work/keys"
{
  for _ in $(seq 28); do printf 'sound\r\n'; done
  for code in $(seq 255); do
    case $code in 30) printf '5 ' ;; 31) printf '12 ' ;; *) printf '255 ' ;; esac
  done
  printf '\r\n'
} >"$work/keys/drums.set"
printf '[general]\ndrivers = wave\nfrequency = 44100\n[wave]\nfile = %s\n' "$work/keys.wav" >"$work/wave.conf"
(cd "$work/keys" && exec env -i "${sanitizer_env[@]}" PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime" \
  WAYLAND_DISPLAY="$socket" ALSOFT_CONF="$work/wave.conf" WAYLAND_DEBUG=client "$program" \
  >"$work/out" 2>"$work/keys.log") &
pid=$!
if ! wait_shown "$work/keys.log"; then
  fail "no window shown on the nested Weston: $(grep -v '^\[' "$work/keys.log" | head -n5)"
  finish
fi
# Weston gave the new window its keyboard focus; the X server sends the keys
# to the window under the pointer, Weston's, which fills the screen's middle.
sleep 0.5
for key in Tab a s; do
  DISPLAY=$display xdotool key "$key"
  sleep 0.6
done
kill -TERM "$pid"
wait "$pid"
rc=$?
pid=''
((rc == 0)) || fail "keys: ended with status $rc on SIGTERM"
grep -q 'wl_keyboard@[0-9]*\.key([0-9]*, [0-9]*, 30, 1)' "$work/keys.log" ||
  fail "Weston did not hand the program kernel key code 30"
strikes=$("$strike_finder" "$work/keys.wav" | awk '{ printf "%s ", $2 }')
[[ "$strikes" == "5 12 " ]] || fail "keys A and S on Wayland played sounds '$strikes', expected '5 12 '"
finish
