#!/usr/bin/env bash
# The published perft counts at depths too slow for the unit tests.
set -euo pipefail
tool=${1:?usage: perft-deep.sh PATH-TO-vimochess-tool}
failed=0
while read -r depth expected fen; do
    got=$("$tool" perft "$fen" "$depth")
    [ "$got" = "$expected" ] || { failed=$((failed + 1)); echo "perft $depth of '$fen': got $got, expected $expected"; }
done <<'EOF'
6 119060324 rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1
5 193690690 r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1
7 178633661 8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1
5 15833292 r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1
5 89941194 rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8
EOF
echo "perft: 5 positions, $failed failed"
[ "$failed" -eq 0 ]
