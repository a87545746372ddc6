#!/usr/bin/env bash
# Runs `vimochess-tool bench` on today's two builds side by side and prints a Markdown table of
# the medians, ready for docs/performance.md:
#   native       the native release build (build/bench-compare/native)
#   exe          the engine as it ships: vimochess-tool.exe from the Windows build (build-win/)
#                under Wine
# then times perft of three well-known positions on both builds and on Debian's Stockfish
# (`go perft`), and prints a second table.
#
#   scripts/bench-compare.sh [-r ROUNDS] [-p ROUNDS] [-o DIR]
#
#   -r ROUNDS  bench rounds (default 7); each round runs the two once, starting with a different one
#   -p ROUNDS  perft rounds (default 3; 0: no perft table)
#   -o DIR     where the native build and every run's output go (default build/bench-compare)
#
# Every run must search the same positions: the script stops when a run's moves or node counts
# differ from the first run's, or a perft count from Stockfish's. Installs what it needs
# (scripts/setup.sh --win) first.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"

usage() { sed -n '2,18p' "$0" >&2; exit 2; }
rounds=7 perftRounds=3 out=$root/build/bench-compare
while getopts "r:p:o:" opt; do
  case $opt in
    r) rounds=$OPTARG ;;
    p) perftRounds=$OPTARG ;;
    o) out=$OPTARG ;;
    *) usage ;;
  esac
done
shift $((OPTIND - 1))
[ $# -eq 0 ] || usage
[[ $rounds =~ ^[1-9][0-9]?$ ]] || { echo "bench-compare: bad number of rounds '$rounds' (1 to 99)" >&2; exit 2; }
[[ $perftRounds =~ ^[0-9]$ ]] || { echo "bench-compare: bad number of perft rounds '$perftRounds' (0 to 9)" >&2; exit 2; }

"$root/scripts/setup.sh" --win
mkdir -p "$out"
out=$(cd "$out" && pwd)
jobs=$(nproc 2>/dev/null || echo 2)

echo "bench-compare: building the native tool" >&2
cmake -S "$root" -B "$out/native" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$out/native" -j"$jobs" --target vimochess-tool >/dev/null

echo "bench-compare: building vimochess-tool.exe" >&2
"$root/scripts/build-win.sh" vimochess-tool >/dev/null

win=${VIMOCHESS_WIN_BUILD:-$root/build-win}
exe=$win/vimochess-tool.exe
use_wine "${WINEPREFIX:-$win/wineprefix}"
names=(native exe)
bench() {
  case $1 in
    native) "$out/native/vimochess-tool" bench 1 ;;
    exe) wine "$exe" bench 1 ;;
  esac
}
rm -f "$out"/{native,exe}-*.txt

# A run's signature: its output without the times. Every run must have the first run's.
signature() { sed -E 's/ +[0-9]+ ms / /; s/ time .*//' "$1"; }
first=
for ((r = 1; r <= rounds; ++r)); do
  for ((i = 0; i < ${#names[@]}; ++i)); do
    k=$(((r + i) % ${#names[@]}))
    run=$out/${names[k]}-$r.txt
    echo "bench-compare: round $r of $rounds: ${names[k]}" >&2
    bench "${names[k]}" | tr -d '\r' >"$run" || { echo "bench-compare: the ${names[k]} bench failed; see $run" >&2; exit 1; }
    first=${first:-$run}
    if ! diff <(signature "$first") <(signature "$run") >"$out/signature.diff"; then
      echo "bench-compare: $run searched other positions than $first; see $out/signature.diff" >&2
      exit 1
    fi
  done
done

# Median seconds of one line kind (middlegames, total or the deep search's) over the rounds of one
# build: each such line ends "nodes N time S nps X".
median() { cat "$out/$1"-*.txt | awk -v what="$2" '$1 == what { print $(NF - 2) }' | sort -n |
           awk '{ t[NR] = $1 } END { print NR % 2 ? t[(NR + 1) / 2] : (t[NR / 2] + t[NR / 2 + 1]) / 2 }'; }
nodes() { awk -v what="$1" '$1 == what { print $(NF - 4) }' "$first" | sed -E ':a; s/([0-9])([0-9]{3})($|,)/\1,\2\3/; ta'; }
declare -A seconds
for n in "${names[@]}"; do
  for what in middlegames total deep; do seconds[$n.$what]=$(median "$n" "$what"); done
done
labels=("today's engine, native release build"
        "today's engine, vimochess-tool.exe (32-bit Windows build) under Wine")
echo
echo "| build | window engine, middlegames: s | positions/s | × native | whole suite: s | positions/s | × native | deep search: s | positions/s | × native |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for ((k = 0; k < ${#names[@]}; ++k)); do
  n=${names[k]}
  printf '| %s' "${labels[k]}"
  for what in middlegames total deep; do
    awk -v s="${seconds[$n.$what]}" -v base="${seconds[native.$what]}" -v nodes="$(nodes "$what" | tr -d ,)" \
      'BEGIN { printf " | %.3f | %.2f M | %.2f", s, (s > 0 ? nodes / s / 1e6 : 0), (s > 0 ? base / s : 0) }'
  done
  echo " |"
done
echo
printf 'Medians of %d rounds; every run searched the same positions: %s nodes in the middlegames, %s in the whole suite, %s in the deep search.\n' \
  "$rounds" "$(nodes middlegames)" "$(nodes total)" "$(nodes deep)"
printf 'Machine: %s, %s processors; %s; %s; %s.\n' "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)" "$jobs" \
  "$(g++ --version | head -1)" "$(i686-w64-mingw32-g++-posix --version | head -1)" "$(wine --version)"

[ "$perftRounds" -gt 0 ] || exit 0
# Perft side by side with Stockfish, which counts the last ply's moves without making them too.
stockfish=$(PATH=$PATH:/usr/games command -v stockfish) || { echo "bench-compare: stockfish is missing" >&2; exit 1; }
perfts=("6|rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|the start position"
        "5|r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1|\"Kiwipete\""
        "7|8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1|the rook endgame")
ms() { local start; start=$(date +%s%N); "$@" >"$out/perft.out"; echo $((($(date +%s%N) - start) / 1000000)); }
echo
echo "| perft | leaves | Stockfish: s | native: s | × Stockfish's time | .exe under Wine: s | × Stockfish's time |"
echo "|---|---:|---:|---:|---:|---:|---:|"
for p in "${perfts[@]}"; do
  IFS='|' read -r depth fen name <<<"$p"
  declare -a tSf=() tNative=() tExe=()
  for ((r = 1; r <= perftRounds; ++r)); do
    echo "bench-compare: perft $depth of $name, round $r of $perftRounds" >&2
    tSf+=("$(ms bash -c "printf 'position fen %s\\ngo perft %s\\nquit\\n' '$fen' $depth | '$stockfish'")")
    leaves=$(sed -n 's/^Nodes searched: //p' "$out/perft.out")
    tNative+=("$(ms "$out/native/vimochess-tool" perft "$fen" "$depth")")
    [ "$(cat "$out/perft.out")" = "$leaves" ] || { echo "bench-compare: perft $depth of $name: $(cat "$out/perft.out"), Stockfish $leaves" >&2; exit 1; }
    tExe+=("$(ms wine "$exe" perft "$fen" "$depth")")
    [ "$(tr -d '\r' <"$out/perft.out")" = "$leaves" ] || { echo "bench-compare: perft $depth of $name under Wine is wrong" >&2; exit 1; }
  done
  middle() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
  awk -v n="$name" -v d="$depth" -v l="$leaves" -v s="$(middle "${tSf[@]}")" -v a="$(middle "${tNative[@]}")" \
      -v e="$(middle "${tExe[@]}")" 'BEGIN { printf "| %s, depth %d | %d | %.2f | %.2f | %.1f | %.2f | %.1f |\n", n, d, l, s / 1000, a / 1000, a / s, e / 1000, e / s }'
done
echo
echo "Medians of $perftRounds rounds; Stockfish $("$stockfish" <<<quit | head -1 | cut -d' ' -f2) single-threaded, its time including its start."
