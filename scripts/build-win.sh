#!/usr/bin/env bash
# Cross-compiles the Windows programs for 32-bit Windows with mingw-w64 into build-win/ (or
# $VIMOCHESS_WIN_BUILD): VimoChess.exe, vimochess-uci.exe, vimochess-tool.exe and the end-to-end
# test driver, or only the targets named (scripts/build-win.sh VimoChess vimochess-uci).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
[ $# -eq 0 ] || set -- --target "$@"
cmake --build "$build" -j"$(nproc)" "$@"
echo "built in $build"
