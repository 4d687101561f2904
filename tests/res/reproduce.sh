#!/bin/sh
# SPDX-License-Identifier: MIT
# Runs a generator into an empty folder and checks that it writes exactly the committed
# files, byte for byte, and nothing else.
#   reproduce.sh GENERATOR OUTDIR COMMITTEDDIR FILE...
set -u
gen=$1 out=$2 ref=$3
shift 3
rm -rf "$out" && mkdir -p "$out" || exit 1
"$gen" "$out" || { echo "$gen failed"; exit 1; }
status=0
for name in "$@"; do
  cmp "$ref/$name" "$out/$name" || status=1
done
written=$(find "$out" -mindepth 1 -maxdepth 1 | wc -l)
if [ "$written" -ne $# ]; then
  echo "$gen wrote $written files, expected $#"
  status=1
fi
exit $status
