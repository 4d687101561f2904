#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# The key list's column widths at 144 dpi: the layer's column test, run in a
# Wine prefix of its own whose LogPixels is 144 (the build's own prefix stays
# at 96), must find them at 90 and 255 pixels. Uses DISPLAY when set, else an
# Xvfb of its own.
#   dpi-wine.sh WINE_RUN AFX_TESTS_EXE
set -euo pipefail
wine_run=$1
exe=$2
# shellcheck source=../../support/program-session.sh
source "$(dirname "${BASH_SOURCE[0]}")/../../support/program-session.sh"
session_begin afx-dpi
use_display
KADENZO_WINEPREFIX="$(cd "$(dirname "$wine_run")" && pwd)/wineprefix-144dpi"
export KADENZO_WINEPREFIX
mkdir -p "$KADENZO_WINEPREFIX"
end_wine() { WINEPREFIX=$KADENZO_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true; }
trap 'end_wine; session_cleanup' EXIT

"$wine_run" wineboot --init >/dev/null 2>&1
# Where Wine reads the system's DPI, by version.
for key in 'HKCU\Control Panel\Desktop' \
  'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  "$wine_run" reg add "$key" /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1
done
wine_manages_windows "$wine_run"
# Wine's own processes, started at 96 dpi, end before the test starts.
WINEPREFIX=$KADENZO_WINEPREFIX /usr/lib/wine/wineserver -w
KADENZO_TEST_DPI=144 "$wine_run" "$exe" --gtest_filter='KeyList.ColumnWidths*'
