#!/usr/bin/env bash
# Installs what is missing (mingw-w64, Wine, ...), builds VimoChess.exe and starts it under
# Wine on the current display. The Wine prefix is build-win/wineprefix unless WINEPREFIX is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}
[ $# -eq 0 ] || { echo "usage: scripts/run.sh (no arguments)" >&2; exit 2; }

"$root/scripts/setup.sh" --win
"$root/scripts/build-win.sh"

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no DISPLAY; start VimoChess from a graphical session" >&2
  exit 1
fi
use_wine "${WINEPREFIX:-$build/wineprefix}"
exec wine "$build/ui/VimoChess.exe"
