# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Counting checks for the install tests: every failed check is reported and
# counted, and finish ends the script with the verdict.
#   fail MESSAGE    reports one failed check
#   finish          exits 1 when any check failed, else 0

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
