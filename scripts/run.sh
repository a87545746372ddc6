#!/usr/bin/env bash
# Installs what is missing (mingw-w64, Wine, ...), builds VimoChess.exe and starts it under Wine on
# the current display: the 32-bit program, or the 64-bit build of the same program where this host
# runs no 32-bit program (or VIMOCHESS_WINE64 is set). The Wine prefix is wineprefix in the build's
# folder unless WINEPREFIX is set.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
[ $# -eq 0 ] || { echo "usage: scripts/run.sh (no arguments)" >&2; exit 2; }

"$root/scripts/setup.sh" --win
choose_wine_build
build=$(win_build "$wine_bits")
if [ "$wine_bits" = 64 ]; then
  echo "run: starting the 64-bit build of VimoChess: $wine_why" >&2
  "$root/scripts/build-win.sh" --64 VimoChess
else
  "$root/scripts/build-win.sh" VimoChess
fi

if [ -z "${DISPLAY:-}" ]; then
  echo "run: no DISPLAY; start VimoChess from a graphical session" >&2
  exit 1
fi
use_wine "${WINEPREFIX:-$build/wineprefix}" "$wine_bits"
exec "$wine_loader" "$build/ui/VimoChess.exe"
