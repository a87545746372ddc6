#!/usr/bin/env bash
# scripts/uci-analysis-test.sh PATH/TO/vimochess-uci: a UCI session that asks what analysis GUIs
# ask, and prints what it found. Exits non-zero when an answer is wrong:
#   go mate N          finds the mate of every position of tests/data/mates.txt, and a mate in two
#                      that the ordinary search finds only deep; with Stockfish installed, each
#                      mate's length and each first move are checked against it
#   go mate 2          on a position without one stops at its other limit
#   MultiPV 3          three distinct lines a depth, best first; MultiPV 1 searches exactly as without
#                      the option
#   searchmoves        the answer is one of the moves listed; an illegal one is refused
#   UCI_ShowWDL        every info line with a score has wdl W D L summing to 1000
set -euo pipefail
engine=${1:?usage: uci-analysis-test.sh PATH/TO/vimochess-uci}
[ -x "$engine" ] || { echo "uci-analysis: no engine at '$engine'" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
middlegame="r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19"
stockfish=$(PATH=$PATH:/usr/games command -v stockfish || true)
if [ -n "$stockfish" ]; then
    coproc SF { exec "$stockfish" 2>&1; }
    trap 'kill "$SF_PID" 2>/dev/null || true' EXIT
fi

failed=0
check() {  # check WHAT CONDITION FIGURES
    local verdict=ok
    if ! eval "$2"; then verdict=FAILED failed=1; fi
    printf '%-58s %-7s %s\n' "$1" "$verdict" "$3"
}
# The engine's whole answer to the lines, which end its input.
session() { printf '%s\n' "$@" | timeout 60 "$engine"; }
# Stockfish's answer to the lines, up to its bestmove, in `answer`.
askStockfish() {
    printf '%s\n' "$@" >&"${SF[1]}"
    answer=""
    while IFS= read -r -t 60 line <&"${SF[0]}"; do
        answer+=$line$'\n'
        [[ $line == bestmove* ]] && return 0
    done
}
lastScore() { grep -o ' score [a-z]* -\?[0-9]*' | tail -1 | cut -c8-; }
bestmove() { sed -n 's/^bestmove \([^ ]*\).*/\1/p'; }

said=$(session "position fen kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1" "go mate 2")
check "go mate 2 finds a1a6, which depth 11 does not" '[ "$(bestmove <<<"$said")" = a1a6 ] && [ "$(lastScore <<<"$said")" = "mate 2" ]' \
    "$(bestmove <<<"$said"), $(lastScore <<<"$said")"

found=0 missed=0 checked=0 wrong=0
while IFS=';' read -r fen length; do
    [[ $fen == \#* || -z $fen ]] && continue
    said=$(session "position fen $fen" "go mate $length")
    move=$(bestmove <<<"$said")
    if [ "$(lastScore <<<"$said")" = "mate $length" ]; then found=$((found + 1)); else missed=$((missed + 1)) && echo "  missed: $fen"; fi
    [ -n "$stockfish" ] || continue
    # The length is the shortest, and the move played starts a mate of it.
    checked=$((checked + 1))
    askStockfish ucinewgame "position fen $fen" "go depth 22"
    theirs=$(lastScore <<<"$answer")
    askStockfish ucinewgame "position fen $fen moves $move" "go mate $length"
    after=$(lastScore <<<"$answer")
    if [ "$theirs" != "mate $length" ] || [ "$after" != "mate -$((length - 1))" ]; then
        wrong=$((wrong + 1)) && echo "  not a mate in $length by Stockfish: $fen $move ($theirs, then $after)"
    fi
done <"$root/tests/data/mates.txt"
check "go mate N on the suite: every mate found" '((missed == 0 && found >= 50))' "$found found, $missed missed"
[ -z "$stockfish" ] || check "the suite's lengths and moves, by Stockfish" '((wrong == 0))' "$checked checked, $wrong wrong"

start=$(date +%s%3N)
said=$(session "position fen $middlegame" "go mate 2 movetime 500")
took=$(($(date +%s%3N) - start))
check "go mate 2 movetime 500 without a mate: the movetime" '((took >= 400 && took <= 900)) && [ -n "$(bestmove <<<"$said")" ]' "$took ms"

said=$(session "setoption name MultiPV value 3" "position fen $middlegame" "go depth 8")
lines=$(grep -c ' multipv [123] ' <<<"$said" || true)
ordered=$(awk '/ multipv / {
        for (i = 1; i <= NF; ++i) { if ($i == "depth") d = $(i + 1); if ($i == "multipv") k = $(i + 1); if ($i == "cp") s = $(i + 1); if ($i == "pv") m = $(i + 1) }
        if (k > 1 && (d != depth || s > last || m in seen)) bad = 1
        if (k == 1) delete seen
        depth = d; last = s; seen[m] = 1
      } END { print bad ? "no" : "yes" }' <<<"$said")
check "MultiPV 3: three distinct lines a depth, best first" '((lines == 3 * 6)) && [ "$ordered" = yes ]' "$lines lines"
one=$(session "setoption name MultiPV value 1" "position fen $middlegame" "go depth 8" | grep -v currmove | tail -2 | sed 's/ nps.* pv / pv /')
none=$(session "position fen $middlegame" "go depth 8" | grep -v currmove | tail -2 | sed 's/ nps.* pv / pv /')
check "MultiPV 1: the search without the option" '[ "$one" = "$none" ]' "$(tail -1 <<<"$one")"

said=$(session "position startpos" "go depth 6 searchmoves a2a3 h2h3 e2e5")
check "searchmoves a2a3 h2h3 e2e5: one of the legal two" \
    '[[ " a2a3 h2h3 " == *" $(bestmove <<<"$said") "* ]] && grep -q "info string searchmoves: illegal move e2e5" <<<"$said"' \
    "$(bestmove <<<"$said")"

said=$(session "setoption name UCI_ShowWDL value true" "position fen $middlegame" "go depth 8" "position fen kbK5/pp6/1P6/8/8/8/8/R7 w - - 0 1" "go depth 4")
sums=$(awk '/ score / { for (i = 1; i <= NF; ++i) if ($i == "wdl") { n++; if ($(i + 1) + $(i + 2) + $(i + 3) != 1000) bad++ } }
            END { print n + 0, bad + 0 }' <<<"$said")
check "UCI_ShowWDL: wdl on every score, summing to 1000" '[ "${sums#* }" = 0 ] && ((${sums% *} >= 8))' "$sums"

exit "$failed"
