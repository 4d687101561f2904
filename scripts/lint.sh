#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The house habits: every tracked C++ file as .clang-format lays it out, every
# tracked shell script clean under shellcheck. Prints what is wrong and exits
# non-zero; changes nothing.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

status=0

mapfile -t cxx < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${cxx[@]}"; then
  echo "lint: run clang-format -i on the files above" >&2
  status=1
fi

# Shell scripts by name or by their #! line; configure_file templates (.in) are
# not scripts until CMake fills them in.
shell_scripts=()
while IFS= read -r f; do
  case "$f" in
    *.in) continue ;;
    *.sh | .ci/run) shell_scripts+=("$f") ;;
    *) if head -n 1 "$f" | grep -qE '^#!.*\b(ba)?sh\b'; then shell_scripts+=("$f"); fi ;;
  esac
done < <(git ls-files)
if ! shellcheck -x --source-path=SCRIPTDIR "${shell_scripts[@]}"; then
  echo "lint: shellcheck found the problems above" >&2
  status=1
fi

((status == 0)) && echo "lint: ${#cxx[@]} C++ files formatted, ${#shell_scripts[@]} shell scripts clean"
exit "$status"
