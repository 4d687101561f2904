#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The program on Wayland alone (no X display), on a headless Weston:
#   with Qt's Wayland plugin, the window shows, titled as the drum pad window,
#   with the app id of the desktop entry, and the program ends cleanly;
#   without it, one clear line naming the missing package and status 1.
#   wayland-session.sh PROGRAM DESKTOP_ENTRY SCREENSHOT_DIR
set -uo pipefail
program=$(readlink -f "$1") desktop=$2 shots=$3

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}
finish() {
  if ((failures > 0)); then
    echo "$failures check(s) failed"
    exit 1
  fi
  echo "all checks passed"
  exit 0
}
for tool in weston weston-screenshooter; do
  command -v "$tool" >/dev/null || { fail "missing $tool (scripts/deps.sh test installs weston)"; finish; }
done

work=$(mktemp -d /tmp/kadenzo-wayland-XXXXXX)
weston_pid=
pid=
# shellcheck disable=SC2317  # run by the trap
cleanup() {
  [[ -n "$pid" ]] && kill -KILL "$pid" 2>/dev/null
  [[ -n "$weston_pid" ]] && kill "$weston_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
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
wayland_env=(env -i PATH=/usr/bin:/bin HOME="$work" XDG_RUNTIME_DIR="$work/runtime"
  WAYLAND_DISPLAY="$socket" ALSOFT_CONF="$work/alsoft.conf")
(cd "$work/data" && exec "${wayland_env[@]}" WAYLAND_DEBUG=client "$program" \
  >"$work/out" 2>"$work/wayland.log") &
pid=$!

# Shown: the toplevel's surface got a buffer and was committed after the
# compositor's first configure was acknowledged.
log="$work/wayland.log"
surface='' toplevel='' shown=''
for _ in $(seq 150); do
  surface=$(sed -n 's/.*get_xdg_surface(new id xdg_surface@[0-9]*, \(wl_surface@[0-9]*\)).*/\1/p' "$log" | head -n1)
  toplevel=$(sed -n 's/.*get_toplevel(new id \(xdg_toplevel@[0-9]*\)).*/\1/p' "$log" | head -n1)
  if [[ -n "$surface" ]] && awk -v s="$surface" '
      /ack_configure/ { acked = 1 }
      acked && index($0, "-> " s ".attach(wl_buffer@") { attached = 1 }
      attached && index($0, "-> " s ".commit()") { found = 1 }
      END { exit !found }' "$log"; then
    shown=1
    break
  fi
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
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
finish
