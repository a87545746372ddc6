// Static exchange evaluation: what a capture wins, in hundredths of a pawn, when both sides then
// take back on its square, each with its least valuable piece, as long as taking pays.
#pragma once

#include "../rules/move_generator.h"

const int exchangeValue[6] = {100, 500, 300, 300, 900, 20000};  // by kind

int exchangeGain(const Board& board, const Occupancy& occupied, int from, int to);
