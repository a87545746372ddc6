#!/usr/bin/env bash
# Cross-compiles VimoChess.exe (and the end-to-end test driver) for 32-bit Windows with
# mingw-w64 into build-win/ (or $VIMOCHESS_WIN_BUILD).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${VIMOCHESS_WIN_BUILD:-$root/build-win}

cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-i686.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)"
echo "built $build/ui/VimoChess.exe"
