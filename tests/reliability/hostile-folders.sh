#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The real program in working folders that fight back, run as an unprivileged
# user (the suite runs as root, where permission bits stop nothing): a read-only
# folder, a read-only "drums.set", a folder in its place, one the user may not
# read, dangling links, a file of two names. In each the program starts, shows
# its window and nothing else, takes a change (a binding removed), ends on
# SIGTERM without a crash, and loses nothing it could keep. Then root saves in
# the user's folder: the file stays the user's, and a link the user planted
# does not lead root to another file.
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

# Runs the program as nobody in folder $1, unbinds the first key of its list
# (if any) and ends it with SIGTERM. Its window must be the only one it shows.
run_in() {
  local dir=$1 window windows
  launch_program "$dir" "$work/alsoft.conf"
  window=$(wait_window "$window_title")
  windows=$(xdotool search --all --onlyvisible --pid "$program_pid" --name '' | wc -l)
  ((windows == 1)) || fail "$case_name: the program shows $windows windows"
  unbind_first_row "$window"
  kill -TERM "$program_pid"
  wait_program_end 0
}

# The same as root, with a runtime folder of root's own.
run_as_root_in() {
  local -a user_runner=("${runner[@]}")
  runner=()
  XDG_RUNTIME_DIR="$work" run_in "$1"
  runner=("${user_runner[@]}")
}

same_bytes() {
  cmp -s "$1" "$2" || fail "$case_name: $1 is not what it should be"
}

entries() {
  find "$1" -mindepth 1 -maxdepth 1 -printf '%f\n' | sort | tr '\n' ' '
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

first_binding_removed "$starter" >"$work/changed.set"
first_binding_removed "$work/changed.set" >"$work/changed-twice.set"

case_name="writable folder (the control: the run does write)"
dir=$(user_folder writable)
user_file "$dir/drums.set" "$work/starter-lf.set" 644
run_in "$dir"
same_bytes "$dir/drums.set" "$work/changed.set"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="read-only folder holding the user's file: written in place"
dir=$(root_folder ro-folder)
user_file "$dir/drums.set" "$work/starter-lf.set" 644
run_in "$dir"
same_bytes "$dir/drums.set" "$work/changed.set"
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

case_name="a file of two names: both see the change"
dir=$(user_folder two-names)
user_file "$dir/drums.set" "$work/starter-lf.set" 644
ln "$dir/drums.set" "$dir/second-name.set"
run_in "$dir"
same_bytes "$dir/drums.set" "$work/changed.set"
same_bytes "$dir/second-name.set" "$work/changed.set"
[[ $(stat -c %h "$dir/drums.set") == 2 ]] || fail "$case_name: the names were parted"
echo "ok: $case_name"

case_name="the user's file saved by root stays the user's, and the user saves again"
dir=$(user_folder saved-by-root)
user_file "$dir/drums.set" "$work/starter-lf.set" 640
run_as_root_in "$dir"
same_bytes "$dir/drums.set" "$work/changed.set"
[[ $(stat -c %u:%g:%a "$dir/drums.set") == "$user:$user:640" ]] ||
  fail "$case_name: root took the file over ($(stat -c %u:%g:%a "$dir/drums.set"))"
run_in "$dir"
same_bytes "$dir/drums.set" "$work/changed-twice.set"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

case_name="a link the user planted: root does not follow it to save"
dir=$(user_folder planted-link)
cp "$starter" "$work/system-file"
ln -s "$work/system-file" "$dir/drums.set"
chown -h "$user:$user" "$dir/drums.set"
run_as_root_in "$dir"
same_bytes "$work/system-file" "$starter"
[[ -L "$dir/drums.set" && $(stat -c %u "$work/system-file") == 0 ]] ||
  fail "$case_name: the link or its target changed"
only_entries "$dir" "drums.set "
echo "ok: $case_name"

if grep -qiE 'sanitizer|runtime error|segmentation' "$work/program.log"; then
  cat "$work/program.log" >&2
  fail "the program reported a fault"
fi
echo "PASS: every hostile folder survived"
