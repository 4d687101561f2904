#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# Sets up, builds and starts Kadenzo in the per-user working folder, where
# "drums.set" lives between runs. It installs the build into a staging folder
# and starts that tree's launcher: the same launcher, working folder and
# first-start rules as an installed Kadenzo.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The launcher says this too; saying it here first spares a build on a machine
# that cannot show the window anyway.
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "kadenzo: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2
  exit 1
fi

"$root/scripts/deps.sh" run
cmake -S "$root" -B "$root/build-app" -G Ninja -DKADENZO_TESTS=OFF >/dev/null
cmake --build "$root/build-app"
cmake --install "$root/build-app" --prefix "$root/build-app/stage" >/dev/null
exec "$root/build-app/stage/bin/kadenzo" "$@"
