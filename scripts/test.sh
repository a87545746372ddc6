#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, and runs every test.
#   1. release build: unit tests, deep perft counts, cross-checks against stockfish (standard chess
#      and Chess960), a timed UCI session that checks every search limit, and one that asks what
#      analysis GUIs ask (mate search, MultiPV, searchmoves, win/draw/loss)
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build: unit tests
#   3. ThreadSanitizer build: the threaded tests (game thread, UCI engine)
#   4. fuzzing of the text inputs (FEN, UCI) under AddressSanitizer and UndefinedBehaviorSanitizer
#   5. the Windows program under Wine: end-to-end tests of the 64-bit build, and of the 32-bit one
#      where this host runs 32-bit programs (and VIMOCHESS_WINE64 is not set)
#   6. the Windows builds, 32- and 64-bit: checked by their headers (format, large-address-aware,
#      DLLs, no assertions, SSE2); optimised, SSE2, no assertions; the bench's two signatures (the
#      window engine's and the deep search's), the same from the native tool and each .exe the host
#      runs; the whole table of a Hash of 1 GB (32-bit) and 4 GB (64-bit)
#   7. the release package: built twice, from two copies of the sources, to the same bytes
# Where this host runs no 32-bit program, it says so, and the 32-bit programs are built, packaged
# and checked by their headers but not run.
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
. scripts/lib.sh
jobs=$(nproc 2>/dev/null || echo 2)
[ $# -eq 0 ] || { echo "usage: scripts/test.sh (no arguments)" >&2; exit 2; }

step() { printf '\n=== %s\n' "$*"; }

step "installing what the tests need"
bash scripts/setup.sh --win

build() {  # build DIR TYPE SANITIZERS
  cmake -S . -B "$1" -DCMAKE_BUILD_TYPE="$2" -DVIMOCHESS_SANITIZE="$3" >/dev/null
  cmake --build "$1" -j"$jobs"
}

step "release build and unit tests"
build build/release Release ""
(cd build/release && ctest --output-on-failure -j"$jobs")

step "deep perft counts"
bash scripts/perft-deep.sh build/release/vimochess-tool

step "cross-check against stockfish"
bash scripts/crosscheck-stockfish.sh build/release/vimochess-tool
bash scripts/crosscheck-960.sh build/release/vimochess-uci

step "the UCI engine's search limits, timed"
bash scripts/uci-limits-test.sh build/release/vimochess-uci

step "the UCI engine in analysis: mate search, MultiPV, searchmoves, win/draw/loss"
bash scripts/uci-analysis-test.sh build/release/vimochess-uci

step "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
build build/asan Debug "address,undefined"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

step "threaded tests under ThreadSanitizer: the game thread, the UCI engine's search thread"
build build/tsan Debug "thread"
(cd build/tsan && ctest --output-on-failure -j"$jobs" -R 'GameThread|Uci')

step "fuzzing the FEN reader and the UCI engine"
bash scripts/fuzz.sh

step "the Windows programs: which of them this host runs"
choose_wine_build
if [ "$wine_bits" = 64 ]; then
  run_bits=(64)
  echo "test: $wine_why: the 32-bit Windows programs are built and checked but not run;" \
    "every Wine step runs the 64-bit build under wine64"
else
  run_bits=(32 64)
  echo "test: this host runs 32-bit programs: every Wine step runs the 32-bit build, and the 64-bit build too"
fi

step "the Windows program under Wine: end-to-end tests"
for bits in "${run_bits[@]}"; do bash scripts/e2e.sh "$bits"; done

step "the Windows builds: optimised, SSE2, no assertions, their bench as the native one"
bash scripts/build-win.sh vimochess-tool vimochess-uci >/dev/null
bash scripts/build-win.sh --64 vimochess-tool vimochess-uci >/dev/null
for bits in 32 64; do
  for exe in vimochess-tool.exe vimochess-uci.exe; do check_windows_exe "$(win_build $bits)/$exe" $bits; done
done
untimed() { tr -d '\r' | sed -E 's/ +[0-9]+ ms / /; s/ time .*//'; }
native=$(build/release/vimochess-tool bench | untimed)
for signature in "total nodes 8203504" "deep search depth 7 nodes 444600"; do
  grep -qx "$signature" <<<"$native" || { echo "the bench's signature is not '$signature':"; echo "$native"; exit 1; }
done
for bits in "${run_bits[@]}"; do
  win=$(win_build "$bits")
  use_wine "$win/wineprefix" "$bits"
  macros=$(wine_run "$win/vimochess-tool.exe" build | tr -d '\r')
  for m in __OPTIMIZE__ __SSE2__ NDEBUG; do
    [[ "$macros " == *" $m "* ]] || { echo "the $bits-bit vimochess-tool.exe was built without $m: $macros"; exit 1; }
  done
  diff <(echo "$native") <(wine_run "$win/vimochess-tool.exe" bench | untimed)
  # The whole table that Hash asks for: 1 GB in the 32-bit engine, which is large-address-aware (a
  # 2 GB address space could not hold it); 4 GB, which no 32-bit process could hold, in the 64-bit one.
  megabytes=$((bits == 32 ? 1024 : 4096))
  hash=$(printf '%s\n' "setoption name Hash value $megabytes" isready | wine_run "$win/vimochess-uci.exe" | tr -d '\r')
  [ "$hash" = readyok ] || { echo "the $bits-bit vimochess-uci.exe could not make the table of Hash $megabytes: $hash"; exit 1; }
done

step "the release package, built twice from two copies of the sources: the same bytes"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
copy=$root/build/package-copy
rm -rf "$copy" && mkdir -p "$copy"
git ls-files -z -co --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$copy"
bash scripts/package.sh
VIMOCHESS_WIN_BUILD=$copy/build-win bash "$copy/scripts/package.sh"
diff -r "$(win_build 32)/dist" "$copy/build-win/dist"

step "all tests passed"
