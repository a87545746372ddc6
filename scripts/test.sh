#!/usr/bin/env bash
# The whole test suite: installs what it needs, builds, and runs every test.
#   1. release build: unit tests, deep perft counts, cross-check against stockfish
#   2. AddressSanitizer + UndefinedBehaviorSanitizer build: unit tests
#   3. ThreadSanitizer build: the threaded game tests
#   4. fuzzing of the text inputs (FEN, UCI) under AddressSanitizer and UndefinedBehaviorSanitizer
#   5. the Windows program under Wine: end-to-end tests
# Exits non-zero on the first failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)

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

step "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
build build/asan Debug "address,undefined"
(cd build/asan && ASAN_OPTIONS=detect_leaks=1 ctest --output-on-failure -j"$jobs")

step "threaded game tests under ThreadSanitizer"
build build/tsan Debug "thread"
(cd build/tsan && ctest --output-on-failure -R 'GameThread')

step "fuzzing the FEN reader and the UCI engine"
bash scripts/fuzz.sh

if [ -f scripts/e2e.sh ]; then
  step "the Windows program under Wine"
  bash scripts/e2e.sh
fi

step "all tests passed"
