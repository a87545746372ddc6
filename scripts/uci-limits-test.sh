#!/usr/bin/env bash
# scripts/uci-limits-test.sh PATH/TO/vimochess-uci: a UCI session that times how the engine keeps
# each search limit, as a chess GUI would see it, and prints the figures. Exits non-zero when a
# limit is not kept:
#   go depth 8          ends with "info depth 8", and bestmove is that line's first move
#   go movetime 1000    answers after 0.9 to 1.1 s, deeper than depth 5
#   go nodes 200000     searches no more nodes than that
#   go infinite         answers stop within 50 ms, and isready meanwhile within 50 ms
#   go ponder + clock   answers only after ponderhit, then within its time
#   go wtime/btime      answers within the time it may spend, well before its hard limit; more
#                       with movestogo 1; less by the Move Overhead; at once with one legal move or a
#                       mate found
set -euo pipefail
engine=${1:?usage: uci-limits-test.sh PATH/TO/vimochess-uci}
[ -x "$engine" ] || { echo "uci-limits: no engine at '$engine'" >&2; exit 2; }
middlegame="r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19"

coproc ENGINE { exec "$engine"; }
pid=$ENGINE_PID
trap 'kill "$pid" 2>/dev/null || true' EXIT
failed=0
now() { date +%s%3N; }
send() { printf '%s\n' "$@" >&"${ENGINE[1]}"; }
# Reads lines until one matches the pattern: the lines in `said`, the time it came in `at`.
expect() {
    said=()
    while IFS= read -r -t 30 line <&"${ENGINE[0]}"; do
        said+=("$line")
        if [[ $line =~ $1 ]]; then at=$(now); return 0; fi
    done
    echo "uci-limits: no line matching '$1' came" >&2
    exit 1
}
# Reads what has come so far, into `said`.
drain() {
    said=()
    while IFS= read -r -t 0.05 line <&"${ENGINE[0]}"; do said+=("$line"); done
}
check() {  # check WHAT CONDITION FIGURES
    local verdict=ok
    if ! eval "$2"; then verdict=FAILED failed=1; fi
    printf '%-44s %-7s %s\n' "$1" "$verdict" "$3"
}
deepest() { printf '%s\n' "${said[@]}" | sed -n 's/^info depth \([0-9]*\) seldepth.*/\1/p' | tail -1; }
lastPv() { printf '%s\n' "${said[@]}" | grep ' pv ' | tail -1 | sed 's/.* pv \([^ ]*\).*/\1/'; }
bestmove() { printf '%s\n' "${said[@]}" | sed -n 's/^bestmove \([^ ]*\).*/\1/p'; }

send uci && expect '^uciok$'
send "position fen $middlegame" isready && expect '^readyok$'

start=$(now) && send "go depth 8" && expect '^bestmove '
check "go depth 8: the last iteration" '[ "$(deepest)" = 8 ] && [ "$(lastPv)" = "$(bestmove)" ]' \
    "depth $(deepest), bestmove $(bestmove), pv $(lastPv), $((at - start)) ms"

send ucinewgame "position fen $middlegame"
start=$(now) && send "go movetime 1000" && expect '^bestmove '
took=$((at - start))
check "go movetime 1000: answered after 0.9 to 1.1 s" '((took >= 900 && took <= 1100 && $(deepest) > 5))' \
    "$took ms, depth $(deepest)"

send ucinewgame "position fen $middlegame" && send "go nodes 200000" && expect '^bestmove '
nodes=$(printf '%s\n' "${said[@]}" | sed -n 's/.* nodes \([0-9]*\) .*/\1/p' | tail -1)
check "go nodes 200000: no more nodes" '((nodes <= 200000)) && [ "$(lastPv)" = "$(bestmove)" ]' "$nodes nodes"

send "go infinite" && sleep 0.3
start=$(now) && send isready && expect '^readyok$'
check "isready during go infinite: answered at once" '((at - start <= 50))' "$((at - start)) ms"
sleep 0.2
start=$(now) && send stop && expect '^bestmove '
check "stop 0.5 s into go infinite: answered at once" '((at - start <= 50))' "$((at - start)) ms"

send "position fen $middlegame" "go ponder wtime 3000 btime 3000" && sleep 1 && drain
early=$(printf '%s\n' "${said[@]}" | grep -c '^bestmove' || true)
start=$(now) && send ponderhit && expect '^bestmove '
check "go ponder: bestmove only after ponderhit" '((early == 0 && at - start <= 1000))' "$((at - start)) ms after ponderhit"

send "position fen $middlegame"
start=$(now) && send "go wtime 10000 btime 10000 winc 100 binc 100" && expect '^bestmove '
took=$((at - start))
check "go wtime 10000 winc 100: never past its hard limit" '((took > 0 && took <= 1710))' "$took ms of at most 1610, depth $(deepest)"

send ucinewgame "position fen $middlegame"
start=$(now) && send "go wtime 60000 btime 60000" && expect '^bestmove '
took=$((at - start))
check "go wtime 60000: well before its hard limit" '((took <= 2500))' "$took ms of at most 7490"

start=$(now) && send "go wtime 2000 btime 2000 movestogo 1" && expect '^bestmove '
last=$((at - start))
start=$(now) && send "go wtime 2000 btime 2000" && expect '^bestmove '
check "go movestogo 1: more than with the game to go" '((last >= 500 && at - start <= 400))' \
    "$last ms, without movestogo $((at - start)) ms"

send "setoption name Move Overhead value 1500"
start=$(now) && send "go wtime 2000 btime 2000 movestogo 1" && expect '^bestmove '
check "Move Overhead 1500 of 2 s: kept in hand" '((at - start <= 500))' "$((at - start)) ms"
send "setoption name Move Overhead value 50"

send "position fen rnb1kbnr/pppp1ppp/8/4p3/5P1q/8/PPPPP1PP/RNBQKBNR w KQkq - 1 3"
start=$(now) && send "go wtime 60000 btime 60000" && expect '^bestmove '
check "a single legal move: answered at once" '[ "$(bestmove)" = g2g3 ] && ((at - start <= 50))' "$((at - start)) ms"

send "position fen 6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1"
start=$(now) && send "go wtime 60000 btime 60000" && expect '^bestmove '
check "a mate found under the clock: answered at once" '[ "$(bestmove)" = d1d8 ] && ((at - start <= 100))' "$((at - start)) ms"

send quit
wait "$pid" 2>/dev/null || true
exit "$failed"
