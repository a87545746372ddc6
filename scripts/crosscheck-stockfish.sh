#!/usr/bin/env bash
# scripts/crosscheck-stockfish.sh [PATH/TO/vimochess-tool]: compares perft with Debian's stockfish
# on positions of a fixed set of pseudo-random games (the same games on every run); skipped when
# stockfish is not installed. CROSSCHECK_PLIES (default 24) moves per game, every CROSSCHECK_EVERY-th
# position (default 3) checked to depth CROSSCHECK_DEPTH (default 3).
set -u
tool=${1:-${VIMOCHESS_TOOL:-build/vimochess-tool}}
plies=${CROSSCHECK_PLIES:-24} every=${CROSSCHECK_EVERY:-3} maxDepth=${CROSSCHECK_DEPTH:-3}
if ! stockfish=$(PATH=$PATH:/usr/games command -v stockfish); then
    echo "crosscheck: skipped (stockfish is not installed)"
    exit 0
fi
[ -x "$tool" ] || { echo "crosscheck: vimochess-tool not found at '$tool'" >&2; exit 2; }

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

. "$(dirname "$0")/lib.sh"
start_stockfish "$stockfish"

passed=0 failed=0
for game in "${games[@]}"; do
    seed=${game#*|} command="position fen ${game%|*}"
    for ((ply = 0; ply <= plies; ++ply)); do
        # The position's FEN, its legal moves and, every few plies, its perft counts against ours.
        read_position "$command"
        for ((depth = 1; ply % every == 0 && depth <= maxDepth; ++depth)); do
            ((depth == 1)) || ask "go perft $depth"
            ours=$(timeout 120 "$tool" perft "$fen" "$depth" 2>&1)
            if [ "$ours" = "$nodes" ]; then passed=$((passed + 1)); else
                failed=$((failed + 1)) && echo "MISMATCH perft $depth of '$fen': vimochess-tool '$ours', stockfish $nodes"; fi
        done
        play_random_move || break
    done
done
echo "crosscheck: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
