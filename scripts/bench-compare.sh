#!/usr/bin/env bash
# Runs `vimochess-tool bench` on today's builds side by side and prints a Markdown table of the
# medians, ready for docs/performance.md:
#   native       the native release build (build/bench-compare/native)
#   exe          the engine as it ships: vimochess-tool.exe from the 32-bit Windows build
#                (build-win/) under Wine; left out where this host runs no 32-bit program or
#                VIMOCHESS_WINE64 is set
#   exe64        vimochess-tool.exe from the 64-bit Windows build (build-win64/) under wine64
# then times perft of three well-known positions on these builds and on Debian's Stockfish
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

usage() { sed -n '2,21p' "$0" >&2; exit 2; }
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

choose_wine_build
names=(native exe exe64)
if [ "$wine_bits" = 64 ]; then
  echo "bench-compare: $wine_why: the 32-bit vimochess-tool.exe is left out" >&2
  names=(native exe64)
fi
echo "bench-compare: building vimochess-tool.exe, 32- and 64-bit" >&2
"$root/scripts/build-win.sh" vimochess-tool >/dev/null
"$root/scripts/build-win.sh" --64 vimochess-tool >/dev/null

# Each .exe under its own Wine, in a prefix of its own; prepared here, before anything is timed.
wine_for() { if [ "$1" = exe ]; then use_wine "$(win_build 32)/wineprefix" 32; else use_wine "$(win_build 64)/wineprefix" 64; fi; }
exe_of() { if [ "$1" = exe ]; then echo "$(win_build 32)/vimochess-tool.exe"; else echo "$(win_build 64)/vimochess-tool.exe"; fi; }
for n in "${names[@]:1}"; do wine_for "$n"; done
bench() {
  case $1 in
    native) "$out/native/vimochess-tool" bench 1 ;;
    *) wine_for "$1" && wine_run "$(exe_of "$1")" bench 1 ;;
  esac
}
rm -f "$out"/{native,exe,exe64}-*.txt

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
declare -A labels=([native]="today's engine, native release build"
  [exe]="today's engine, vimochess-tool.exe (32-bit Windows build) under Wine"
  [exe64]="today's engine, vimochess-tool.exe (64-bit Windows build) under wine64")
echo
echo "| build | window engine, middlegames: s | positions/s | × native | whole suite: s | positions/s | × native | deep search: s | positions/s | × native |"
echo "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|"
for ((k = 0; k < ${#names[@]}; ++k)); do
  n=${names[k]}
  printf '| %s' "${labels[$n]}"
  for what in middlegames total deep; do
    awk -v s="${seconds[$n.$what]}" -v base="${seconds[native.$what]}" -v nodes="$(nodes "$what" | tr -d ,)" \
      'BEGIN { printf " | %.3f | %.2f M | %.2f", s, (s > 0 ? nodes / s / 1e6 : 0), (s > 0 ? base / s : 0) }'
  done
  echo " |"
done
echo
printf 'Medians of %d rounds; every run searched the same positions: %s nodes in the middlegames, %s in the whole suite, %s in the deep search.\n' \
  "$rounds" "$(nodes middlegames)" "$(nodes total)" "$(nodes deep)"
printf 'Machine: %s, %s processors; %s; %s; %s; %s.\n' "$(sed -n 's/^model name\s*: //p' /proc/cpuinfo | head -1)" "$jobs" \
  "$(g++ --version | head -1)" "$(i686-w64-mingw32-g++-posix --version | head -1)" \
  "$(x86_64-w64-mingw32-g++-posix --version | head -1)" "$(wine_run --version)"

[ "$perftRounds" -gt 0 ] || exit 0
# Perft side by side with Stockfish, which counts the last ply's moves without making them too.
stockfish=$(PATH=$PATH:/usr/games command -v stockfish) || { echo "bench-compare: stockfish is missing" >&2; exit 1; }
perfts=("6|rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|the start position"
        "5|r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1|\"Kiwipete\""
        "7|8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1|the rook endgame")
ms() { local start; start=$(date +%s%N); "$@" >"$out/perft.out"; echo $((($(date +%s%N) - start) / 1000000)); }
middle() { printf '%s\n' "$@" | sort -n | awk '{ t[NR] = $1 } END { print t[int((NR + 1) / 2)] }'; }
declare -A short=([exe]=".exe under Wine" [exe64]="64-bit .exe under wine64")
echo
printf '| perft | leaves | Stockfish: s | native: s | × Stockfish'"'"'s time |'
for n in "${names[@]:1}"; do printf ' %s: s | × Stockfish'"'"'s time |' "${short[$n]}"; done
printf '\n|---|---:|---:|---:|---:|%s\n' "$(printf -- '---:|---:|%.0s' "${names[@]:1}")"
for p in "${perfts[@]}"; do
  IFS='|' read -r depth fen name <<<"$p"
  declare -A times=()
  for ((r = 1; r <= perftRounds; ++r)); do
    echo "bench-compare: perft $depth of $name, round $r of $perftRounds" >&2
    times[sf]+=" $(ms bash -c "printf 'position fen %s\\ngo perft %s\\nquit\\n' '$fen' $depth | '$stockfish'")"
    leaves=$(sed -n 's/^Nodes searched: //p' "$out/perft.out")
    for n in "${names[@]}"; do
      if [ "$n" = native ]; then
        times[$n]+=" $(ms "$out/native/vimochess-tool" perft "$fen" "$depth")"
      else
        wine_for "$n"
        times[$n]+=" $(ms wine_run "$(exe_of "$n")" perft "$fen" "$depth")"
      fi
      [ "$(tr -d '\r' <"$out/perft.out")" = "$leaves" ] ||
        { echo "bench-compare: perft $depth of $name by $n: $(cat "$out/perft.out"), Stockfish $leaves" >&2; exit 1; }
    done
  done
  sf=$(middle ${times[sf]})
  printf '| %s, depth %d | %d | %.2f' "$name" "$depth" "$leaves" "$(awk -v s="$sf" 'BEGIN { print s / 1000 }')"
  for n in "${names[@]}"; do
    awk -v s="$sf" -v t="$(middle ${times[$n]})" 'BEGIN { printf " | %.2f | %.1f", t / 1000, t / s }'
  done
  echo " |"
done
echo
echo "Medians of $perftRounds rounds; Stockfish $("$stockfish" <<<quit | head -1 | cut -d' ' -f2) single-threaded, its time including its start."
