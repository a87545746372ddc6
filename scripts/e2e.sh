#!/usr/bin/env bash
# End-to-end tests of VimoChess.exe: builds it with the test driver, then runs the driver in a
# virtual X display (Xvfb, by xvfb-run) under a window manager (openbox), as on a user's desktop,
# with a fresh Wine prefix. The driver starts the program and works it through window messages,
# real mouse input and the keyboard. Screenshots of the main stages go to build-win/e2e-shots/
# as PNG. Exits non-zero when a check fails or anything hangs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}
shots=$build/e2e-shots
export WINEPREFIX=$build/wineprefix-e2e WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ -z "${VIMOCHESS_E2E_DISPLAY:-}" ]; then
  "$root/scripts/build-win.sh"
  for tool in wine wineboot wineserver xvfb-run openbox convert; do
    command -v "$tool" >/dev/null || { echo "e2e: $tool is missing; run scripts/setup.sh --win" >&2; exit 1; }
  done
  VIMOCHESS_E2E_DISPLAY=1 exec xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" bash "$0"
fi

# In the display: the window manager, a fresh Wine prefix, the driver.
trap 'timeout 20 wineserver -k >/dev/null 2>&1 || true; kill $(jobs -p) 2>/dev/null || true' EXIT
ready=$build/e2e-openbox-ready
rm -rf "$ready" "$WINEPREFIX" "$shots" && mkdir -p "$shots"
openbox --sm-disable --startup "touch $ready" >/dev/null 2>&1 &
for _ in $(seq 100); do [ -e "$ready" ] && break; sleep 0.1; done
[ -e "$ready" ] || { echo "e2e: openbox did not start" >&2; exit 1; }
echo "e2e: preparing a Wine prefix"
timeout 300 wineboot -i >/dev/null 2>&1 && timeout 60 wineserver -w
status=0
timeout 900 wine "$build/ui/e2e-driver.exe" --shots "$(winepath -w "$shots")" || status=$?
for bmp in "$shots"/*.bmp; do [ -e "$bmp" ] && convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"; done
echo "e2e: screenshots in $shots"
exit "$status"
