#!/usr/bin/env bash
# scripts/crosscheck-960.sh [PATH/TO/vimochess-uci]: compares the UCI engine's Chess960 perft
# (UCI_Chess960, go perft) with Debian's stockfish: all 960 starting positions to depth
# CROSSCHECK_960_DEPTH (default 3), well-known Chess960 perft positions to depth 4, and every third
# position of a fixed set of pseudo-random Chess960 games to depth 3. Skipped when stockfish is not
# installed.
set -u
engine=${1:-build/vimochess-uci}
startDepth=${CROSSCHECK_960_DEPTH:-3}
if ! stockfish=$(PATH=$PATH:/usr/games command -v stockfish); then
    echo "crosscheck-960: skipped (stockfish is not installed)"
    exit 0
fi
[ -x "$engine" ] || { echo "crosscheck-960: vimochess-uci not found at '$engine'" >&2; exit 2; }

. "$(dirname "$0")/lib.sh"
start_stockfish "$stockfish"
ask "setoption name UCI_Chess960 value true" "position startpos" "go perft 1"

passed=0 failed=0
compare() {  # compare FEN DEPTH
    ask "position fen $1" "go perft $2"
    local ours
    ours=$(printf '%s\n' "setoption name UCI_Chess960 value true" "position fen $1" "go perft $2" |
           timeout 120 "$engine" | sed -n 's/^Nodes searched: //p')
    if [ "$ours" = "$nodes" ]; then passed=$((passed + 1)); else
        failed=$((failed + 1)) && echo "MISMATCH perft $2 of '$1': vimochess-uci '$ours', stockfish $nodes"; fi
}

# Starting position number n (0 to 959) in the usual numbering: the light-squared bishop, the
# dark-squared one, the queen, the knights, then rook, king, rook on the files left.
startPosition() {
    local n=$1 files=(. . . . . . . .) i k free
    files[$((2 * (n % 4) + 1))]=b; n=$((n / 4))
    files[$((2 * (n % 4)))]=b; n=$((n / 4))
    place() {  # place PIECE K: the piece on the K-th empty file
        local c=0
        for ((i = 0; i < 8; ++i)); do
            [ "${files[i]}" = . ] || continue
            if ((c == $2)); then files[i]=$1; return; fi
            c=$((c + 1))
        done
    }
    place q $((n % 6)); n=$((n / 6))
    local knights=("0 0" "0 1" "0 2" "0 3" "1 1" "1 2" "1 3" "2 2" "2 3" "3 3")
    read -r k free <<<"${knights[n]}"
    place n "$k"; place n "$free"
    place r 0; place k 0; place r 0
    local rank="" rooks=""
    for ((i = 0; i < 8; ++i)); do
        rank+=${files[i]}
        [ "${files[i]}" = r ] && rooks=$(printf "\\x$(printf %x $((65 + i)))")$rooks
    done
    echo "$rank/pppppppp/8/8/8/8/PPPPPPPP/${rank^^} w $rooks${rooks,,} - 0 1"
}
for ((n = 0; n < 960; ++n)); do compare "$(startPosition "$n")" "$startDepth"; done

for fen in \
    "bqnb1rkr/pp3ppp/3ppn2/2p5/5P2/P2P4/NPP1P1PP/BQ1BNRKR w HFhf - 2 9" \
    "2nnrbkr/p1qppppp/8/1ppb4/6PP/3PP3/PPP2P2/BQNNRBKR w HEhe - 1 9" \
    "b1q1rrkb/pppppppp/3nn3/8/P7/1PPP4/4PPPP/BQNNRKRB w GE - 1 9" \
    "qbbnnrkr/2pp2pp/p7/1p2pp2/8/P3PP2/1PPP1KPP/QBBNNR1R w hf - 0 9" \
    "1nbbnrkr/p1p1ppp1/3p4/1p3P1p/3Pq2P/8/PPP1P1P1/QNBBNRKR w HFhf - 0 9" \
    "rk2r3/8/8/8/8/8/8/RK2R3 w EAea - 0 1" "1r3kr1/8/8/8/8/8/8/1R3KR1 b GBgb - 0 1" \
    "r5kr/8/8/8/8/8/8/R5KR w HAha - 0 1" "1kr5/8/8/8/8/8/8/1KR5 w Cc - 0 1" \
    "4k3/8/8/8/8/8/8/rR3K2 w B - 0 1" "5k2/8/8/8/8/8/8/6KR w H - 0 1" "2k5/8/8/8/8/8/8/RK6 w A - 0 1" \
    "2r1k3/8/8/8/8/8/8/R3K2R w HA - 0 1"; do
    compare "$fen" 4
done

# Pseudo-random games from a few starting positions, as crosscheck-stockfish.sh plays them.
for game in "518|1" "0|7" "959|11" "123|5" "777|42"; do
    seed=${game#*|} command="position fen $(startPosition "${game%|*}")"
    for ((ply = 0; ply <= 30; ++ply)); do
        read_position "$command"
        ((ply % 3 == 0)) && compare "$fen" 3
        play_random_move || break
    done
done
echo "crosscheck-960: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
