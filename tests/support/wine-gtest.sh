#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Runs a Windows GoogleTest program in one Wine process and judges it by its own
# words: it passes only when it exits 0 and its summary accounts for every case
# it lists (passed, or skipped with its reason). A program Wine cannot really
# start (a 32-bit one without Wine's 32-bit half) exits 0 and prints nothing:
# that is a failure here, never a pass. Each case costs Wine's start-up once per
# program rather than once per case.
#
# Usage: wine-gtest.sh WINE_RUN PROGRAM.exe
set -euo pipefail
wine_run=$1
program=$2
name=$(basename "$program" .exe)

# A listed case is an indented line; its parameters may follow after a '#'.
listed=$("$wine_run" "$program" --gtest_list_tests </dev/null | tr -d '\r' | grep -c '^  ' || true)
if ((listed == 0)); then
  echo "FAIL: $name listed no cases under $wine_run" >&2
  exit 1
fi

log=$(mktemp)
trap 'rm -f "$log"' EXIT
set +e
"$wine_run" "$program" </dev/null 2>&1 | tr -d '\r' | tee "$log"
status=${PIPESTATUS[0]}
set -e

count() { sed -n "s/^\[  $1 *\] \([0-9]*\) tests\{0,1\}[.,].*/\1/p" "$log" | tail -n 1; }
passed=$(count PASSED)
skipped=$(count SKIPPED)
: "${passed:=0}" "${skipped:=0}"
if ((status != 0)); then
  echo "FAIL: $name exited with $status" >&2
  exit 1
fi
if ((passed + skipped != listed)); then
  echo "FAIL: $name lists $listed cases, but its summary shows $passed passed and $skipped skipped" >&2
  exit 1
fi
echo "$name: $passed of $listed cases passed, $skipped skipped"
