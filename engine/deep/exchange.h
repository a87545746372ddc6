// Static exchange evaluation: what a move wins, in hundredths of a pawn, when both sides then take
// on its square, each with its least valuable piece, as long as taking pays: for a capture what it
// takes less what it loses, for a quiet move what it loses.
#pragma once

#include "../../rules/move_generator.h"
#include "evaluation.h"

namespace deep {

// What a piece counts for in an exchange and in the order of captures: the evaluation's middlegame
// value to the nearest whole pawn, so that a knight and a bishop are worth the same, and the king
// above everything.
inline int exchangeValue(int kind) { return kind == King ? 20000 : (weights.material[kind].mg + 50) / 100 * 100; }

int exchangeGain(const Board& board, const Occupancy& occupied, int from, int to);
// What the move takes, as the exchange counts it (a pawn taken en passant included).
int exchangeTaken(const Board& board, int from, int to);
// What exchangeGain is at least, known without looking at the square's attackers: what the move
// takes less the piece that moves, the most that taking that piece back can cost.
inline int exchangeAtLeast(const Board& board, int from, int to) {
    return exchangeTaken(board, from, to) - exchangeValue(pieceKind(board.squares[from]));
}
// Whether the move's exchange gains less than floor, the square's attackers looked at only when
// the floor known without them does not answer.
inline bool exchangeBelow(const Board& board, const Occupancy& occupied, int from, int to, int floor) {
    return exchangeAtLeast(board, from, to) < floor && exchangeGain(board, occupied, from, to) < floor;
}

}  // namespace deep
