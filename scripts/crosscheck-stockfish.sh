#!/usr/bin/env bash
# scripts/crosscheck-stockfish.sh [PATH/TO/vimochess-tool]: compares perft with Debian's stockfish
# on positions of a fixed set of pseudo-random games (the same games on every run); skipped when
# stockfish is not installed. CROSSCHECK_PLIES (default 24) moves per game, every CROSSCHECK_EVERY-th
# position (default 3) checked to depth CROSSCHECK_DEPTH (default 3).
set -u

tool=${1:-${VIMOCHESS_TOOL:-build/vimochess-tool}}
plies=${CROSSCHECK_PLIES:-24}
every=${CROSSCHECK_EVERY:-3}
maxDepth=${CROSSCHECK_DEPTH:-3}

stockfish=$(PATH=$PATH:/usr/games command -v stockfish)
if [ -z "$stockfish" ]; then
    echo "crosscheck: skipped (stockfish is not installed)"
    exit 0
fi
if [ ! -x "$tool" ]; then
    echo "crosscheck: vimochess-tool not found at '$tool'" >&2
    exit 2
fi

# Each game: a start position and a seed for its move choices.
games=(
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|1"
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|77"
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1|4242"
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1|5"
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1|9"
    "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1|13"
    "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8|21"
    "r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1|33"
    "4k3/1P4p1/8/2pP4/5pP1/8/1p4P1/4K3 w - c6 0 1|8"
    "r3k2r/8/8/8/3pP3/8/8/R3K2R b KQkq e3 0 1|3"
)

coproc SF { exec "$stockfish" 2>&1; }
trap 'kill "$SF_PID" 2>/dev/null' EXIT

# Reads stockfish's output up to the line that starts with $1; the lines are left in `reply`.
readUntil() {
    reply=()
    local line
    while IFS= read -r -t 30 line <&"${SF[0]}"; do
        reply+=("$line")
        [[ $line == "$1"* ]] && return 0
    done
    echo "crosscheck: stockfish did not answer (waiting for '$1')" >&2
    exit 2
}

# Sets `fen` to stockfish's position after "$1" (a position command), `moves` to its legal moves
# and `counts[1]` to their number.
position() {
    printf '%s\nd\ngo perft 1\n' "$1" >&"${SF[1]}"
    readUntil "Nodes searched:"
    moves=()
    local line
    for line in "${reply[@]}"; do
        case $line in
            "Fen: "*) fen=${line#Fen: } ;;
            [a-h][1-8][a-h][1-8]*:*) moves+=("${line%%:*}") ;;
        esac
    done
    counts=([1]=${#moves[@]})
}

passed=0
failed=0
compare() {
    local depth
    for ((depth = 2; depth <= maxDepth; ++depth)); do
        printf 'go perft %d\n' "$depth" >&"${SF[1]}"
        readUntil "Nodes searched:"
        counts[depth]=${reply[-1]#Nodes searched: }
    done
    for ((depth = 1; depth <= maxDepth; ++depth)); do
        local ours
        ours=$(timeout 120 "$tool" perft "$fen" "$depth" 2>&1)
        if [ "$ours" = "${counts[depth]}" ]; then
            passed=$((passed + 1))
        else
            failed=$((failed + 1))
            echo "MISMATCH perft $depth of '$fen': vimochess-tool '$ours', stockfish ${counts[depth]}"
        fi
    done
}

printf 'uci\n' >&"${SF[1]}"
readUntil "uciok"
for game in "${games[@]}"; do
    start=${game%|*}
    seed=${game#*|}
    position "position fen $start"
    compare
    for ((ply = 1; ply <= plies && ${#moves[@]} > 0; ++ply)); do
        seed=$(((seed * 1103515245 + 12345) % 2147483648))
        move=${moves[(seed >> 8) % ${#moves[@]}]}
        position "position fen $fen moves $move"
        if ((ply % every == 0)); then compare; fi
    done
done

echo "crosscheck: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
