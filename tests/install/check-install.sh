#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Checks an installed Kadenzo tree.
#   check-install.sh install CMAKE BUILD_DIR STAGE     fresh install into STAGE
#   check-install.sh tree STAGE SOURCE_DIR             every file in place and valid
#   check-install.sh launcher STAGE SCRATCH            the launcher's first-start rules
#   check-install.sh program STAGE SCRATCH             the real program started by it
set -uo pipefail

app=io.github.kadenzo.Kadenzo
source "$(dirname "${BASH_SOURCE[0]}")/checks.sh"

png_size() { # prints WIDTHxHEIGHT from the PNG header
  local w h
  w=$(od -An -tu1 -j16 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  h=$(od -An -tu1 -j20 -N4 "$1" | awk '{print $1*16777216+$2*65536+$3*256+$4}')
  echo "${w}x${h}"
}

cmd_install() {
  local cmake=$1 build=$2 stage=$3
  rm -rf "$stage"
  "$cmake" --install "$build" --prefix "$stage" || exit 1
}

cmd_tree() {
  local stage=$1 src=$2
  local expected actual
  expected=$(sort <<EOF_LIST
bin/kadenzo
lib/kadenzo/kadenzo
lib/kadenzo/alsoft.conf
share/kadenzo/drums.set
share/applications/$app.desktop
share/metainfo/$app.metainfo.xml
share/icons/hicolor/16x16/apps/$app.png
share/icons/hicolor/32x32/apps/$app.png
share/icons/hicolor/128x128/apps/$app.png
share/doc/kadenzo/copyright
share/man/man1/kadenzo.1.gz
EOF_LIST
)
  actual=$(cd "$stage" && find . \( -type f -o -type l \) | sed 's|^\./||' | sort)
  if [[ "$actual" != "$expected" ]]; then
    fail "installed files differ from the layout (< expected, > installed):"
    diff <(echo "$expected") <(echo "$actual")
  fi

  [[ -x "$stage/bin/kadenzo" ]] || fail "bin/kadenzo is not executable"
  head -c 64 "$stage/bin/kadenzo" | head -n1 | grep -qx '#!/bin/sh' || fail "bin/kadenzo is not a POSIX sh script"
  [[ -x "$stage/lib/kadenzo/kadenzo" ]] || fail "lib/kadenzo/kadenzo is not executable"
  [[ "$(head -c4 "$stage/lib/kadenzo/kadenzo" | od -An -c | tr -d ' ')" == '177ELF' ]] ||
    fail "lib/kadenzo/kadenzo is not the program"
  if ldd "$stage/lib/kadenzo/kadenzo" | grep -q 'not found'; then
    fail "the installed program misses libraries:"
    ldd "$stage/lib/kadenzo/kadenzo" | grep 'not found'
  fi
  cmp -s "$src/sound/alsoft.conf" "$stage/lib/kadenzo/alsoft.conf" ||
    fail "lib/kadenzo/alsoft.conf is not the program's sound tuning file"
  cmp -s "$src/res/drums.set" "$stage/share/kadenzo/drums.set" ||
    fail "share/kadenzo/drums.set is not the starter set"

  local size png
  for size in 16 32 128; do
    png="$stage/share/icons/hicolor/${size}x${size}/apps/$app.png"
    [[ -f "$png" ]] || continue
    [[ "$(png_size "$png")" == "${size}x${size}" ]] ||
      fail "the ${size}x${size} icon measures $(png_size "$png")"
  done

  local desktop="$stage/share/applications/$app.desktop"
  local metainfo="$stage/share/metainfo/$app.metainfo.xml"
  # It exits 0 even on errors it calls "fatal in the future": any finding fails.
  local findings
  findings=$(desktop-file-validate "$desktop" 2>&1)
  [[ $? -eq 0 && -z "$findings" ]] || fail "desktop-file-validate: $findings"
  # --strict fails on every finding above the pedantic hints.
  appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli rejects the metainfo"
  appstream-util validate-relax --nonet "$metainfo" || fail "appstream-util rejects the metainfo"
  grep -q '<project_license>MIT</project_license>' "$metainfo" || fail "the metainfo names no MIT licence"

  # The licence travels with every installation; the manual page reads clean.
  if ! { grep -q '^License: MIT' "$stage/share/doc/kadenzo/copyright" &&
    grep -qF 'Permission is hereby granted' "$stage/share/doc/kadenzo/copyright"; }; then
    fail "share/doc/kadenzo/copyright does not carry the MIT licence"
  fi
  local warnings
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z \
    "$stage/share/man/man1/kadenzo.1.gz" 2>&1 >/dev/null)
  [[ -z "$warnings" ]] || fail "the manual page has faults: $warnings"

  # The validators check each file alone; these names must also meet.
  local exec icon
  exec=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  [[ -x "$stage/bin/$exec" ]] || fail "the desktop entry starts '$exec', which bin/ does not hold"
  [[ -f "$stage/share/icons/hicolor/32x32/apps/$icon.png" ]] ||
    fail "the desktop entry names icon '$icon', which the theme does not hold"
  grep -q "<launchable type=\"desktop-id\">$app.desktop</launchable>" "$metainfo" ||
    fail "the metainfo does not launch $app.desktop"
  grep -q "<id>$app</id>" "$metainfo" || fail "the metainfo id is not $app"
  grep -Eq '^Categories=(.*;)?Audio;' "$desktop" || fail "the desktop entry is not in category Audio"
  finish
}

# --- the launcher, run against a copy of the tree whose program is a stub ---

cmd_launcher() {
  local stage=$1 scratch=$2
  rm -rf "$scratch"
  mkdir -p "$scratch"
  tree="$scratch/tree"
  cp -a "$stage" "$tree"
  # The stub stands in for the window: it records where and how it was started.
  cat >"$tree/lib/kadenzo/kadenzo" <<'EOF_STUB'
#!/bin/sh
{ echo "cwd=$(pwd)"; echo "args=$*"; echo "pid=$$"; } >"$STUB_LOG"
exit "${STUB_EXIT:-0}"
EOF_STUB
  chmod +x "$tree/lib/kadenzo/kadenzo"
  starter="$tree/share/kadenzo/drums.set"
  log="$scratch/stub.log"
  home="$scratch/home"
  mkdir -p "$home"

  # A clean environment: the user's own XDG_DATA_HOME must never be touched.
  launch() { # launch VAR=VALUE... -- ARGS...
    local vars=()
    while [[ $1 != -- ]]; do vars+=("$1"); shift; done
    shift
    rm -f "$log"
    env -i PATH=/usr/bin:/bin HOME="$home" STUB_LOG="$log" "${vars[@]}" "$tree/bin/kadenzo" "$@" \
      >"$scratch/out" 2>"$scratch/err" &
    launched=$!
    wait "$launched"
  }
  started_in() { [[ -f "$log" ]] && grep -qx "cwd=$1" "$log"; }
  no_leftovers() {
    local left
    left=$(find "$1" -name '.drums.set.*')
    [[ -z "$left" ]] || fail "$2: leaves a partial copy behind: $left"
  }

  # First start: the folder, nested and absent, is made and the set placed.
  local data="$scratch/data/deep" work
  work="$data/kadenzo"
  launch XDG_DATA_HOME="$data" DISPLAY=:7 -- one "two words"
  local rc=$?
  ((rc == 0)) || fail "first start: exit $rc, stderr: $(cat "$scratch/err")"
  started_in "$work" || fail "first start: program not started in $work ($(cat "$log" 2>/dev/null))"
  grep -qx 'args=one two words' "$log" 2>/dev/null || fail "first start: arguments not passed on"
  # The program replaces the launcher, so that the desktop's signals and
  # process tracking reach the program itself.
  grep -qx "pid=$launched" "$log" 2>/dev/null || fail "first start: the launcher did not exec the program"
  cmp -s "$starter" "$work/drums.set" || fail "first start: the starter set was not placed"
  no_leftovers "$work" "first start"

  # Whatever the user has at drums.set survives every later start.
  local kind
  for kind in edited empty symlink dangling-symlink; do
    work="$scratch/$kind/kadenzo"
    mkdir -p "$work"
    case $kind in
      edited) printf 'my own set\r\n' >"$work/drums.set" ;;
      empty) : >"$work/drums.set" ;;
      symlink)
        printf 'kept elsewhere\r\n' >"$scratch/elsewhere.set"
        ln -s "$scratch/elsewhere.set" "$work/drums.set"
        ;;
      dangling-symlink) ln -s "$scratch/not-yet.set" "$work/drums.set" ;;
    esac
    local before
    before=$(stat -c '%F %s %Y' "$work/drums.set"; readlink "$work/drums.set"; cat "$work/drums.set" 2>/dev/null)
    launch XDG_DATA_HOME="$scratch/$kind" DISPLAY=:7 --
    launch XDG_DATA_HOME="$scratch/$kind" DISPLAY=:7 --
    started_in "$work" || fail "$kind: program not started in $work"
    [[ "$(stat -c '%F %s %Y' "$work/drums.set"; readlink "$work/drums.set"; cat "$work/drums.set" 2>/dev/null)" == "$before" ]] ||
      fail "$kind: the user's drums.set was changed"
    no_leftovers "$work" "$kind"
  done
  [[ ! -e "$scratch/not-yet.set" ]] || fail "dangling-symlink: the starter set was written through the link"
  [[ "$(cat "$scratch/elsewhere.set")" == $'kept elsewhere\r' ]] || fail "symlink: the linked file was changed"

  # Where the working folder is when XDG_DATA_HOME gives none, or an invalid
  # (relative) one; and Wayland alone is a display too.
  local env_case expect
  while IFS='|' read -r env_case expect; do
    rm -rf "$home/.local" "$scratch/relative"
    # shellcheck disable=SC2086
    (cd "$scratch" && launch $env_case --)
    if ! started_in "$expect"; then
      fail "[$env_case]: program not started in $expect ($(cat "$log" 2>/dev/null), stderr: $(cat "$scratch/err"))"
    elif ! cmp -s "$starter" "$expect/drums.set"; then
      fail "[$env_case]: the starter set was not placed in $expect"
    fi
  done <<EOF_CASES
DISPLAY=:7|$home/.local/share/kadenzo
DISPLAY=:7 XDG_DATA_HOME=|$home/.local/share/kadenzo
DISPLAY=:7 XDG_DATA_HOME=relative|$home/.local/share/kadenzo
WAYLAND_DISPLAY=wayland-0|$home/.local/share/kadenzo
EOF_CASES
  [[ ! -e "$scratch/relative" ]] || fail "a relative XDG_DATA_HOME was used"

  # Started through a symlink elsewhere on PATH, as /usr/local/bin links do,
  # the launcher still finds its own tree; the program's exit status is its own.
  mkdir -p "$scratch/links"
  ln -sf "$tree/bin/kadenzo" "$scratch/links/kadenzo"
  rm -f "$log"
  env -i PATH="$scratch/links:/usr/bin:/bin" HOME="$home" STUB_LOG="$log" STUB_EXIT=3 \
    XDG_DATA_HOME="$scratch/via-path" DISPLAY=:7 kadenzo >"$scratch/out" 2>"$scratch/err"
  rc=$?
  started_in "$scratch/via-path/kadenzo" || fail "via a PATH symlink: program not started ($(cat "$scratch/err"))"
  ((rc == 3)) || fail "via a PATH symlink: exit $rc, not the program's 3"

  # Without a starter set the program still starts, in an empty folder, and
  # creates its own empty set.
  mv "$starter" "$scratch/starter.away"
  launch XDG_DATA_HOME="$scratch/no-starter" DISPLAY=:7 --
  started_in "$scratch/no-starter/kadenzo" || fail "no starter set: program not started"
  [[ ! -e "$scratch/no-starter/kadenzo/drums.set" ]] || fail "no starter set: something was placed"
  mv "$scratch/starter.away" "$starter"

  # --help and --version go to the program as they are, display or none,
  # with no working folder made and no starter set placed.
  for env_case in "" "DISPLAY=:7"; do
    for option in --help -h --version; do
      # shellcheck disable=SC2086
      launch XDG_DATA_HOME="$scratch/info" $env_case -- "$option"
      rc=$?
      ((rc == 0)) || fail "$option [$env_case]: exit $rc, stderr: $(cat "$scratch/err")"
      grep -qx "args=$option" "$log" 2>/dev/null || fail "$option [$env_case]: not passed to the program"
      [[ ! -e "$scratch/info" ]] || fail "$option [$env_case]: the working folder was made"
    done
  done

  # No display: one line on stderr, a failing exit, nothing made or started.
  for env_case in "" "DISPLAY=" "DISPLAY= WAYLAND_DISPLAY="; do
    # shellcheck disable=SC2086
    launch XDG_DATA_HOME="$scratch/headless" $env_case --
    rc=$?
    ((rc != 0)) || fail "no display [$env_case]: exit 0"
    [[ ! -e "$log" ]] || fail "no display [$env_case]: the program was started"
    [[ ! -e "$scratch/headless" ]] || fail "no display [$env_case]: the working folder was made"
    [[ ! -s "$scratch/out" ]] || fail "no display [$env_case]: wrote to stdout"
    if ! { [[ "$(wc -l <"$scratch/err")" -eq 1 ]] && grep -q 'no graphical display' "$scratch/err"; }; then
      fail "no display [$env_case]: not one clear line: $(cat "$scratch/err")"
    fi
  done
  finish
}

# --- the real installed program, started as the menu starts it ---

cmd_program() {
  local stage=$1 scratch=$2
  rm -rf "$scratch"
  mkdir -p "$scratch"
  local xvfb display pid="" rc
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$scratch/display" 2>"$scratch/xvfb.log" &
  xvfb=$!
  # shellcheck disable=SC2317  # run by the trap
  cleanup() {
    [[ -n "$pid" ]] && kill "$pid" 2>/dev/null
    kill "$xvfb" 2>/dev/null
  }
  trap cleanup EXIT
  for _ in $(seq 100); do
    [[ -s "$scratch/display" ]] && break
    sleep 0.1
  done
  display=":$(cat "$scratch/display")"
  [[ "$display" != ":" ]] || { fail "Xvfb did not start: $(cat "$scratch/xvfb.log")"; finish; }

  # No sound device: OpenAL Soft's null back end, through our own ALSOFT_CONF.
  printf '[general]\ndrivers = null\n' >"$scratch/alsoft.conf"
  mkdir -m 700 "$scratch/runtime"
  local work="$scratch/data/kadenzo" keep=() var
  # A sanitizer build reads its settings (leak suppressions) from these. Qt's
  # X11 keyboard set-up hands libxkbcommon's strndup an unterminated buffer
  # with its length, which strict string checks take for an overflow.
  for var in UBSAN_OPTIONS LSAN_OPTIONS; do
    [[ -n "${!var:-}" ]] && keep+=("$var=${!var}")
  done
  [[ -n "${ASAN_OPTIONS:-}" ]] && keep+=("ASAN_OPTIONS=$ASAN_OPTIONS:strict_string_checks=0")
  env -i PATH=/usr/bin:/bin HOME="$scratch" XDG_DATA_HOME="$scratch/data" DISPLAY="$display" \
    ALSOFT_CONF="$scratch/alsoft.conf" XDG_RUNTIME_DIR="$scratch/runtime" "${keep[@]}" \
    "$stage/bin/kadenzo" >"$scratch/out" 2>"$scratch/err" &
  pid=$!

  local win
  win=$(DISPLAY=$display timeout 30 xdotool search --sync --onlyvisible --pid "$pid" 2>/dev/null | head -n1)
  if [[ -z "$win" ]]; then
    fail "no window appeared: $(cat "$scratch/err")"
    finish
  fi
  [[ "$(readlink "/proc/$pid/exe")" == "$(readlink -f "$stage/lib/kadenzo/kadenzo")" ]] ||
    fail "the running process is $(readlink "/proc/$pid/exe"), not the installed program"
  [[ "$(readlink "/proc/$pid/cwd")" == "$work" ]] ||
    fail "the program runs in $(readlink "/proc/$pid/cwd"), not $work"

  # Docks and task bars match a window to its menu entry by the window's class.
  local class wmclass
  class=$(sed -n 's/^StartupWMClass=//p' "$stage/share/applications/io.github.kadenzo.Kadenzo.desktop")
  wmclass=$(DISPLAY=$display xprop -id "$win" WM_CLASS | sed -n 's/.*", "\(.*\)"$/\1/p')
  [[ "$wmclass" == "$class" ]] ||
    fail "the window's class is '$wmclass', the desktop entry expects '$class'"

  # Esc closes the drum pad; the program ends on its own and keeps its set.
  DISPLAY=$display xdotool windowfocus --sync "$win" key Escape 2>/dev/null
  for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$pid" 2>/dev/null; then
    fail "the program did not end on Esc"
  else
    wait "$pid"
    rc=$?
    pid=""
    ((rc == 0)) || fail "the program ended with status $rc: $(cat "$scratch/err")"
  fi
  [[ -s "$work/drums.set" ]] || fail "no drums.set in $work after the run"
  finish
}

case "${1:-}" in
  install) shift; cmd_install "$@" ;;
  tree) shift; cmd_tree "$@" ;;
  launcher) shift; cmd_launcher "$@" ;;
  program) shift; cmd_program "$@" ;;
  *) echo "usage: $0 install|tree|launcher|program ..." >&2; exit 2 ;;
esac
