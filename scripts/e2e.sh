#!/usr/bin/env bash
# End-to-end tests of VimoChess.exe: builds it with the test driver, starts a virtual X
# display (Xvfb) and a fresh Wine prefix, and runs the driver, which starts the program and
# works it through window messages. Screenshots of the main stages go to build-win/e2e-shots/
# as PNG. Exits non-zero when a check fails or anything hangs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}
shots=$build/e2e-shots

"$root/scripts/build-win.sh"

for tool in wine wineboot wineserver Xvfb; do
  command -v "$tool" >/dev/null || { echo "e2e: $tool is missing; run scripts/setup.sh --win" >&2; exit 1; }
done

# A display number nobody uses.
display=
for n in $(seq 90 250); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=$n; break; fi
done
[ -n "$display" ] || { echo "e2e: no free X display" >&2; exit 1; }

export WINEPREFIX=$build/wineprefix-e2e
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=:$display

xvfb_pid=
cleanup() {
  timeout 20 wineserver -k >/dev/null 2>&1 || true
  if [ -n "$xvfb_pid" ]; then kill "$xvfb_pid" 2>/dev/null || true; wait "$xvfb_pid" 2>/dev/null || true; fi
}
trap cleanup EXIT

Xvfb "$DISPLAY" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$display" ] || { echo "e2e: Xvfb did not start" >&2; exit 1; }

rm -rf "$WINEPREFIX" "$shots"
mkdir -p "$shots"
echo "e2e: preparing a Wine prefix"
timeout 300 wineboot -i >/dev/null 2>&1
# Wine draws the title bars itself: Xvfb has no window manager to do it.
timeout 60 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /t REG_SZ /d N /f >/dev/null 2>&1
timeout 60 wineserver -w

status=0
timeout 600 wine "$build/ui/e2e-driver.exe" --shots "$(winepath -w "$shots")" || status=$?

if command -v convert >/dev/null; then
  for bmp in "$shots"/*.bmp; do
    [ -e "$bmp" ] || continue
    convert "$bmp" "${bmp%.bmp}.png" && rm -f "$bmp"
  done
fi
echo "e2e: screenshots in $shots"
exit "$status"
