#!/usr/bin/env bash
# End-to-end tests of VimoChess.exe: builds it with the test driver, then runs the driver in a
# virtual X display (Xvfb, by xvfb-run) under a window manager (openbox), as on a user's desktop,
# with a fresh Wine prefix. The driver starts the program and works it through window messages,
# real mouse input and the keyboard. Screenshots of the main stages go to build-win/e2e-shots/
# as PNG. Exits non-zero when a check fails or anything hangs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}
shots=$build/e2e-shots
export WINEPREFIX=$build/wineprefix-e2e
[ $# -eq 0 ] || { echo "usage: scripts/e2e.sh (no arguments)" >&2; exit 2; }

if [ -z "${VIMOCHESS_IN_XVFB:-}" ]; then
  "$root/scripts/build-win.sh"
  require_commands convert  # the rest is checked by the helpers that use it
fi
in_virtual_display "$0"

# In the display: the window manager, a fresh Wine prefix, the driver.
trap 'timeout 20 wineserver -k >/dev/null 2>&1 || true; kill $(jobs -p) 2>/dev/null || true' EXIT
rm -rf "$WINEPREFIX" "$shots" && mkdir -p "$shots"
start_window_manager
use_wine "$WINEPREFIX"
status=0
timeout 900 wine "$build/ui/e2e-driver.exe" --shots "$(winepath -w "$shots")" || status=$?
for bmp in "$shots"/*.bmp; do [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
echo "e2e: screenshots in $shots"
exit "$status"
