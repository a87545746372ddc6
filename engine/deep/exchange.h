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

}  // namespace deep
