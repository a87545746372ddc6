#!/usr/bin/env bash
# Cross-compiles the Windows programs with mingw-w64: VimoChess.exe, vimochess-uci.exe,
# vimochess-tool.exe and the end-to-end test driver, or only the targets named.
#
#   scripts/build-win.sh [--64] [TARGET...]
#
# For 32-bit Windows (i686) into build-win/ (or $VIMOCHESS_WIN_BUILD); with --64 for 64-bit
# Windows (x86_64) into build-win64/ (or $VIMOCHESS_WIN_BUILD followed by 64).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"

bits=32 arch=i686
if [ "${1:-}" = --64 ]; then bits=64 arch=x86_64; shift; fi
build=$(win_build $bits)
require_commands "$arch-w64-mingw32-g++-posix"

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$arch.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
[ $# -eq 0 ] || set -- --target "$@"
cmake --build "$build" -j"$(nproc)" "$@"
echo "built in $build"
