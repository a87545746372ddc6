#!/usr/bin/env bash
# End-to-end tests of VimoChess.exe: builds it with the test driver, then runs the driver in a
# virtual X display (Xvfb, by xvfb-run) under a window manager (openbox), as on a user's desktop,
# with a fresh Wine prefix. The driver starts the program and works it through window messages,
# real mouse input and the keyboard. Screenshots of the main stages go to e2e-shots/ in the build's
# folder as PNG. Exits non-zero when a check fails or anything hangs.
#
#   scripts/e2e.sh [32|64]
#
# 32 tests the 32-bit build (build-win/), 64 the 64-bit one (build-win64/); without an argument,
# the one this host runs (the 32-bit build unless the host runs no 32-bit program or
# VIMOCHESS_WINE64 is set).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
case $#:${1:-} in
  0:) choose_wine_build; bits=$wine_bits ;;
  1:32 | 1:64) bits=$1 ;;
  *) echo "usage: scripts/e2e.sh [32|64]" >&2; exit 2 ;;
esac
build=$(win_build "$bits")
shots=$build/e2e-shots

if [ -z "${VIMOCHESS_IN_XVFB:-}" ]; then
  if [ "$bits" = 64 ]; then "$root/scripts/build-win.sh" --64; else "$root/scripts/build-win.sh"; fi
  require_commands convert  # the rest is checked by the helpers that use it
fi
in_virtual_display "$0" "$bits"

# In the display: the window manager, a fresh Wine prefix, the driver.
trap 'timeout 20 wineserver -k >/dev/null 2>&1 || true; kill $(jobs -p) 2>/dev/null || true' EXIT
rm -rf "$build/wineprefix-e2e" "$shots" && mkdir -p "$shots"
start_window_manager
use_wine "$build/wineprefix-e2e" "$bits"
echo "e2e: the $bits-bit build, under $wine_loader"
status=0
timeout 900 "$wine_loader" "$build/ui/e2e-driver.exe" --shots "$(wine_run winepath -w "$shots")" || status=$?
for bmp in "$shots"/*.bmp; do [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
echo "e2e: screenshots in $shots"
exit "$status"
