# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Windows programs that play sound under Wine run in a prefix of their own,
# whose Wine is ended when the test ends: Wine's services keep the sound
# server they first reached, and a later program in the same prefix would wait
# on a server long gone.
#   wine_sound_prefix WINE_RUN   exports KADENZO_WINEPREFIX, beside the build's own prefix
#   wine_sound_prefix_end        ends that prefix's Wine

wine_sound_prefix() {
  KADENZO_WINEPREFIX="$(cd "$(dirname "$1")" && pwd)/wineprefix-sound"
  export KADENZO_WINEPREFIX
}

wine_sound_prefix_end() {
  if [[ -n "${KADENZO_WINEPREFIX:-}" ]]; then
    WINEPREFIX=$KADENZO_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  fi
}
