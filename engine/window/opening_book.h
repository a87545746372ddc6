// The opening lines the engine knows by heart, and writing them into a transposition table.
#pragma once

#include <cstdint>

#include "../../rules/move_info.h"
#include "transposition_table.h"

struct BookLine {
    int32_t moveCount;
    const MoveInfo* moves;
};

const int bookLineCount = 12;
extern const BookLine OpeningBook[bookLineCount];

// Plays every line from the starting position and writes each position with its book move
// (depth bookDepth) into the table, overwriting what the slot held.
void LoadOpeningBook(TranspositionTable& table);

// A table as a new game of the first run builds it: 2^bits entries keyed with the first values of
// the pseudo-random sequence, started again, then the book. The caller owns it.
TranspositionTable* freshTable(int8_t bits = 18);
