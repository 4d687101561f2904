#!/usr/bin/env bash
# Sets up, builds and starts Kadenzo in the per-user working folder, where
# "drums.set" lives between runs.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "kadenzo: no graphical display (neither DISPLAY nor WAYLAND_DISPLAY is set); start it from a desktop session." >&2
  exit 1
fi

"$root/scripts/deps.sh" run
cmake -S "$root" -B "$root/build" -G Ninja -DKADENZO_TESTS=OFF >/dev/null
cmake --build "$root/build"

work="${XDG_DATA_HOME:-$HOME/.local/share}/kadenzo"
mkdir -p "$work"
if [[ ! -e "$work/drums.set" && ! -L "$work/drums.set" && -f "$root/res/drums.set" ]]; then
  cp "$root/res/drums.set" "$work/drums.set"
fi
cd "$work"
exec "$root/build/bin/kadenzo" "$@"
