#!/usr/bin/env bash
# Installs what building and testing VimoChess needs on Debian 12.
#   scripts/setup.sh          native build, unit tests and fuzz targets (clang's libFuzzer)
#   scripts/setup.sh --win    also the mingw-w64 cross compilers (32- and 64-bit), 64-bit Wine,
#                             Xvfb, a window manager and zip; and 32-bit Wine where this host can
#                             run 32-bit programs
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"

packages=(cmake g++ make libgtest-dev stockfish clang-14 libclang-rt-14-dev)
case $#:${1:-} in
  0:) ;;
  1:--win)
    packages+=(g++-mingw-w64-i686 binutils-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64
               wine wine64 xvfb xauth openbox imagemagick zip)
    if host_runs_32bit; then packages+=(wine32:i386); fi ;;
  *) echo "usage: scripts/setup.sh [--win]" >&2; exit 2 ;;
esac
install_packages "${packages[@]}"
