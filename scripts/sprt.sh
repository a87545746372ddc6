#!/usr/bin/env bash
# Tests whether one build of the UCI engine is stronger than another, the way the field does: the
# two play each other from a book of balanced openings, each opening with both colours, several
# games at once, until a sequential probability ratio test decides (or the games run out), and the
# result is printed as a row for docs/strength.md.
#
#   scripts/sprt.sh [-n NODES | -t SECONDS+INC] [-e ELO0,ELO1] [-c GAMES] [-g MAX] BASE NEW [NAME]
#
#   BASE, NEW  git revisions to build (release builds under build/sprt/), or paths to engine binaries
#   NAME       what the row calls the change (default: NEW)
#   -n NODES   positions per move (default 10000): a busy machine cannot disturb the result
#   -t TC      a clock instead, as 10+0.1
#   -e         the Elo bounds (default 0,5: a change that should gain; -5,0 for a simplification)
#   -c GAMES   games at once (default: the processors there are)
#   -g MAX     stop undecided after MAX games (default 20000)
# The openings are build/strength/openings.fen, made by scripts/make-openings.py when missing; the
# games are kept beside the log, in build/sprt/, for vimochess-tune and fit-wdl.py.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/lib.sh"
nodes=10000 tc="" bounds=0,5 concurrency=$(nproc 2>/dev/null || echo 2) games=20000
while getopts "n:t:e:c:g:" opt; do
  case $opt in
    n) nodes=$OPTARG ;; t) tc=$OPTARG nodes="" ;; e) bounds=$OPTARG ;; c) concurrency=$OPTARG ;; g) games=$OPTARG ;;
    *) sed -n '2,17p' "$0" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))
[ $# -ge 2 ] && [ $# -le 3 ] || { sed -n '2,17p' "$0" >&2; exit 2; }
[[ $bounds =~ ^-?[0-9.]+,-?[0-9.]+$ ]] || { echo "sprt: bad bounds '$bounds' (as 0,5)" >&2; exit 2; }
name=${3:-$2}

install_packages cmake g++ make stockfish python3
mkdir -p "$root/build/sprt" "$root/build/strength"
# An engine binary: the path itself, or the release build of a revision.
engine() {
  if [ -x "$1" ]; then echo "$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"; return; fi
  local rev dir
  rev=$(git -C "$root" rev-parse --short "$1") || { echo "sprt: no revision or binary '$1'" >&2; exit 2; }
  dir=$root/build/sprt/$rev
  if [ ! -x "$dir/build/vimochess-uci" ]; then
    rm -rf "$dir" && git -C "$root" worktree add -f --detach "$dir" "$rev" >/dev/null 2>&1
    cmake -S "$dir" -B "$dir/build" -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$dir/build" -j"$concurrency" --target vimochess-uci >/dev/null
  fi
  echo "$dir/build/vimochess-uci"
}
base=$(engine "$1") new=$(engine "$2")
cmake -S "$root" -B "$root/build/sprt/runner" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$root/build/sprt/runner" -j"$concurrency" --target vimochess-match >/dev/null
openings=$root/build/strength/openings.fen
[ -s "$openings" ] || python3 "$root/scripts/make-openings.py" "$openings"

limit=(-nodes "$nodes")
[ -z "$tc" ] || limit=(-tc "$tc")
log=$root/build/sprt/$(date +%Y%m%d-%H%M%S).log
"$root/build/sprt/runner/vimochess-match" -1 "$new" -2 "$base" -openings "$openings" -games "$games" "${limit[@]}" \
  -concurrency "$concurrency" -adjudicate -sprt "${bounds%,*}" "${bounds#*,}" -out "${log%.log}.games" |
  tee "$log" | grep -E '^(SPRT|[0-9]+ games,)' || true
summary=$(grep -E '^  [0-9]+ games' "$log" | tail -1)
verdict=$(sed -n 's/^SPRT .*: //p' "$log")
# | change | limit | games | score | Elo | LLR (bounds) | verdict |
printf '| %s | %s | %s | %s | %s | %s | %s |\n' "$name" "${tc:+$tc s}${nodes:+$nodes nodes}" \
  "$(sed -E 's/^ *([0-9]+) games.*/\1/' <<<"$summary")" "$(sed -E 's/.*\(([0-9.]+ %)\).*/\1/' <<<"$summary")" \
  "$(sed -E 's/.*Elo ([^ ]+ \+- [^ ]+) .*/\1/' <<<"$summary")" \
  "$(sed -E 's/.*LLR ([^ ]+) .*/\1/' <<<"$summary") [${bounds/,/, }]" "$verdict"
