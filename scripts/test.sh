#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, and runs every test.
#   1. release build: unit tests, deep perft counts, cross-checks against stockfish (standard chess
#      and Chess960), a timed UCI session that checks every search limit, and one that asks what
#      analysis GUIs ask (mate search, MultiPV, searchmoves, win/draw/loss)
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build: unit tests
#   3. ThreadSanitizer build: the threaded tests (game thread, UCI engine)
#   4. fuzzing of the text inputs (FEN, UCI) under AddressSanitizer and UndefinedBehaviorSanitizer
#   5. the Windows program under Wine: end-to-end tests
#   6. the Windows build: optimised, SSE2, no assertions; the bench's two signatures (the window
#      engine's and the deep search's), the same from the native tool and the .exe; a Hash of 1 GB
#   7. the release package: built twice, from two copies of the sources, to the same bytes
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

if [ -f scripts/e2e.sh ]; then
  step "the Windows program under Wine"
  bash scripts/e2e.sh
fi

win=${VIMOCHESS_WIN_BUILD:-$root/build-win}
step "the Windows build: optimised, SSE2, no assertions, its bench as the native one"
bash scripts/build-win.sh vimochess-tool vimochess-uci >/dev/null
use_wine "$win/wineprefix"
macros=$(wine "$win/vimochess-tool.exe" build | tr -d '\r')
for m in __OPTIMIZE__ __SSE2__ NDEBUG; do
  [[ "$macros " == *" $m "* ]] || { echo "vimochess-tool.exe was built without $m: $macros"; exit 1; }
done
untimed() { tr -d '\r' | sed -E 's/ +[0-9]+ ms / /; s/ time .*//'; }
native=$(build/release/vimochess-tool bench | untimed)
for signature in "total nodes 8203504" "deep search depth 7 nodes 328630"; do
  grep -qx "$signature" <<<"$native" || { echo "the bench's signature is not '$signature':"; echo "$native"; exit 1; }
done
diff <(echo "$native") <(wine "$win/vimochess-tool.exe" bench | untimed)
# Large-address-aware: Hash 1024 gets its whole table, which a 2 GB address space could not hold.
hash=$(printf '%s\n' "setoption name Hash value 1024" isready | wine "$win/vimochess-uci.exe" | tr -d '\r')
[ "$hash" = readyok ] || { echo "vimochess-uci.exe could not make the table of Hash 1024: $hash"; exit 1; }

step "the release package, built twice from two copies of the sources: the same bytes"
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
copy=$root/build/package-copy
rm -rf "$copy" && mkdir -p "$copy"
git ls-files -z -co --exclude-standard | tar --null -T - -cf - | tar -xf - -C "$copy"
bash scripts/package.sh
VIMOCHESS_WIN_BUILD=$copy/build-win bash "$copy/scripts/package.sh"
diff -r "$win/dist" "$copy/build-win/dist"

step "all tests passed"
