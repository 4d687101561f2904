#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The end-to-end test of the drum pad with the real program under valgrind's
# memcheck: the test must pass as it does without valgrind, and memcheck must
# find no memory error and no definite leak (what system libraries do on their
# own is listed in valgrind.supp).
#
# Usage: valgrind-e2e.sh KADENZO_EXECUTABLE SOURCE_DIR E2E_SCRIPT
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
program=$(realpath "$1")
source_dir=$2
e2e=$3
command -v valgrind >/dev/null || { echo "missing valgrind (scripts/deps.sh test installs it)"; exit 1; }

work=$(mktemp -d /tmp/kadenzo-valgrind-XXXXXX)
trap 'rm -rf "$work"' EXIT
# The end-to-end test starts whatever it is given as the program: this in its place.
cat >"$work/kadenzo" <<WRAPPER
#!/bin/sh
exec valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite \\
  --errors-for-leak-kinds=definite --error-exitcode=99 --child-silent-after-fork=yes \\
  --num-callers=40 --suppressions="$here/valgrind.supp" \\
  --log-file="$work/memcheck.%p.log" "$program" "\$@"
WRAPPER
chmod +x "$work/kadenzo"

# Every wait of the test is stretched for the slower program.
export KADENZO_TIME_SCALE=${KADENZO_TIME_SCALE:-4}
status=0
bash "$e2e" "$work/kadenzo" "$source_dir" || status=$?
runs=0
for log in "$work"/memcheck.*.log; do
  [[ -e "$log" ]] || continue
  runs=$((runs + 1))
  summary=$(grep -E 'ERROR SUMMARY' "$log" | tail -n 1)
  echo "memcheck run $runs: ${summary#==*== }"
  if ! grep -qE 'ERROR SUMMARY: 0 errors' "$log"; then
    cat "$log"
    status=1
  fi
done
((runs > 0)) || { echo "FAIL: the program never ran under valgrind"; exit 1; }
((status == 0)) || { echo "FAIL: see above"; exit 1; }
echo "PASS: the end-to-end test under memcheck, $runs runs of the program, no error, no definite leak"
