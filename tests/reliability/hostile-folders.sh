#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program in working folders that fight back, run as an unprivileged
# user (the suite runs as root, where permission bits stop nothing): a read-only
# folder, a read-only "drums.set", a folder in its place, one the user may not
# read, dangling links. In each the program starts, shows its window and nothing
# else, ends on SIGTERM without a crash, and loses nothing it could keep.
#
# Usage: hostile-folders.sh KADENZO_EXECUTABLE SOURCE_DIR
# Exits 77 (skipped) when not run as root: there is no one to step down to.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
source "$here/../support/program-session.sh"

built=$1
source_dir=$2
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: needs root, to run the program as nobody"
  exit 77
fi
require_tools setpriv
user=65534 # nobody
runner=(setpriv --reuid="$user" --regid="$user" --clear-groups)

session_begin hostile
chmod 755 "$work"
# The program and everything it reads where nobody may reach them, wherever
# the build lives.
mkdir "$work/bin"
cp "$built" "$work/bin/kadenzo"
[[ -f "$(dirname "$built")/alsoft.conf" ]] && cp "$(dirname "$built")/alsoft.conf" "$work/bin/"
program="$work/bin/kadenzo"
printf '[general]\ndrivers = null\n' >"$work/alsoft.conf"
chmod -R a+rX "$work/bin" "$work/alsoft.conf"
# A sanitizer build reads its leak suppressions as that user too.
if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]+) ]]; then
  cp "${BASH_REMATCH[1]}" "$work/lsan.supp"
  chmod a+r "$work/lsan.supp"
  LSAN_OPTIONS=${LSAN_OPTIONS/${BASH_REMATCH[1]}/$work/lsan.supp}
fi
start_xvfb
# The user's own places, so that Qt finds what it expects.
mkdir -m 700 "$work/runtime" "$work/home"
chown "$user:$user" "$work/runtime" "$work/home"
export XDG_RUNTIME_DIR="$work/runtime" HOME="$work/home"

starter="$source_dir/res/drums.set"                # as the program writes it (CR LF)
tr -d '\r' <"$starter" >"$work/starter-lf.set"     # as an editor might leave it
empty_set() {
  printf '\r\n%.0s' $(seq 28)
  printf '255 %.0s' $(seq 255)
}

# Runs the program as nobody in folder $1 and ends it with SIGTERM once its
# window shows. Its window must be the only one it shows.
run_in() {
  local dir=$1 windows
  launch_program "$dir" "$work/alsoft.conf"
  wait_window >/dev/null
  windows=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '' | wc -l)
  ((windows == 1)) || fail "$case_name: the program shows $windows windows"
  kill -TERM "$program_pid"
  wait_program_end 0
}

same_bytes() {
  cmp -s "$1" "$2" || fail "$case_name: $1 is not what it should be"
}

entries() {
  (cd "$1" && find . -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | tr '\n' ' ')
}

only_entries() {
  local dir=$1 expected=$2 actual
  actual=$(entries "$dir")
  [[ "$actual" == "$expected" ]] || fail "$case_name: $dir holds '$actual', expected '$expected'"
}

# A folder the user owns, and one the user may only read.
user_folder() {
  mkdir -m 755 "$work/$1"
  chown "$user:$user" "$work/$1"
  echo "$work/$1"
}
root_folder() {
  mkdir -m 755 "$work/$1"
  echo "$work/$1"
}
user_file() {
  cp "$2" "$1"
  chown "$user:$user" "$1"
  chmod "$3" "$1"
}

case_name="writable folder (the control: the run does write)"
dir=$(user_folder writable)
user_file "$dir/drums.set" "$work/starter-lf.set" 644
run_in "$dir"
same_bytes "$dir/drums.set" "$starter"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="read-only folder holding the user's file: written in place"
dir=$(root_folder ro-folder)
user_file "$dir/drums.set" "$work/starter-lf.set" 644
run_in "$dir"
same_bytes "$dir/drums.set" "$starter"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="read-only folder without drums.set"
dir=$(root_folder ro-empty)
run_in "$dir"
only_entries "$dir" ""
echo "ok: $case_name"

case_name="read-only drums.set: left as the user made it"
dir=$(user_folder ro-file)
user_file "$dir/drums.set" "$work/starter-lf.set" 444
run_in "$dir"
same_bytes "$dir/drums.set" "$work/starter-lf.set"
[[ $(stat -c %a "$dir/drums.set") == 444 ]] || fail "$case_name: the permission changed"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="a folder named drums.set"
dir=$(user_folder is-folder)
mkdir "$dir/drums.set"
cp "$work/starter-lf.set" "$dir/drums.set/inside"
chown -R "$user:$user" "$dir/drums.set"
run_in "$dir"
[[ -d "$dir/drums.set" ]] || fail "$case_name: the folder is gone"
same_bytes "$dir/drums.set/inside" "$work/starter-lf.set"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="drums.set the user may not read: not written over"
dir=$(user_folder unreadable)
cp "$work/starter-lf.set" "$dir/drums.set"
chmod 600 "$dir/drums.set" # root's
run_in "$dir"
same_bytes "$dir/drums.set" "$work/starter-lf.set"
[[ $(stat -c %u "$dir/drums.set") == 0 ]] || fail "$case_name: the file was replaced"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="dangling link into a missing folder"
dir=$(user_folder dangling)
ln -s gone/drums.set "$dir/drums.set"
run_in "$dir"
[[ -L "$dir/drums.set" && ! -e "$dir/drums.set" ]] || fail "$case_name: the link changed"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="link to a file not made yet: made, and the link kept"
dir=$(user_folder link-new)
mkdir "$dir/store"
chown "$user:$user" "$dir/store"
ln -s store/drums.set "$dir/drums.set"
run_in "$dir"
[[ -L "$dir/drums.set" ]] || fail "$case_name: the link is gone"
empty_set >"$work/empty.set"
same_bytes "$dir/store/drums.set" "$work/empty.set"
only_entries "$dir/store" "drums.set "
echo "ok: $case_name"

if grep -qiE 'sanitizer|runtime error|segmentation' "$work/program.log"; then
  cat "$work/program.log" >&2
  fail "the program reported a fault"
fi
echo "PASS: every hostile folder survived"
