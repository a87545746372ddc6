#!/usr/bin/env bash
# Installs what is missing (mingw-w64, Wine, ...), builds VimoChess.exe and starts it under
# Wine on the current display. The Wine prefix is build-win/wineprefix unless WINEPREFIX is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}

"$root/scripts/setup.sh" --win
"$root/scripts/build-win.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no DISPLAY; start VimoChess from a graphical session" >&2
  exit 1
fi
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko: the program needs neither, and their installers would ask.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: preparing the Wine prefix $WINEPREFIX"
  timeout 300 wineboot -i
fi
exec wine "$build/ui/VimoChess.exe"
