#!/usr/bin/env bash
# Installs what building and testing VimoChess needs on Debian 12.
#   scripts/setup.sh          native build, unit tests and fuzz targets (clang's libFuzzer)
#   scripts/setup.sh --win    also the mingw-w64 cross compiler, Wine, Xvfb, a window manager and zip
set -euo pipefail

want_win=0
[ "${1:-}" = "--win" ] && want_win=1

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
need() { dpkg -s "$1" >/dev/null 2>&1 || missing+=("$1"); }

for p in cmake g++ make libgtest-dev stockfish clang-14 libclang-rt-14-dev; do need "$p"; done
if [ "$want_win" = 1 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    "${sudo_cmd[@]}" dpkg --add-architecture i386
    missing+=(wine32:i386)
  fi
  for p in g++-mingw-w64-i686 binutils-mingw-w64-i686 wine wine32:i386 xvfb xauth openbox imagemagick zip; do need "$p"; done
fi

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
