#!/usr/bin/env bash
# Fuzzes the FEN reader and the UCI engine's command handling with libFuzzer, under
# AddressSanitizer and UndefinedBehaviorSanitizer: each target first replays its seeds and
# regression cases (tests/fuzz/fen, tests/fuzz/uci), then runs for FUZZ_SECONDS (30) seconds
# and prints how many inputs it ran. Exits non-zero on any finding; the input that found it is
# left in build/fuzz/ (keep it in tests/fuzz/ once mended).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$root/build/fuzz
CXX=clang++-14 cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVIMOCHESS_FUZZ=ON >/dev/null
cmake --build "$build" -j2 --target fen_fuzz uci_fuzz >/dev/null
for name in fen uci; do
  corpus=$build/corpus-$name
  mkdir -p "$corpus"
  (cd "$build" && "tests/fuzz/${name}_fuzz" -max_total_time="${FUZZ_SECONDS:-30}" -max_len=512 -print_final_stats=1 \
     "$corpus" "$root/tests/fuzz/$name" >"$name.log" 2>&1) || { tail -40 "$build/$name.log"; exit 1; }
  echo "fuzz $name: $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$build/$name.log" | grep -o '[0-9]*$') inputs, no finding"
done
