// The engine's turn: prepare the table, search at depths 3 to 5, show the statistics.
#pragma once

#include <atomic>
#include <cstdint>

#include "../rules/board.h"
#include "../rules/move_table.h"
#include "transposition_table.h"

const int minDepth = 3;
const int maxDepth = 5;

// The clock reading (millisecondClock) taken when the engine started searching.
extern int64_t searchStartClock;

// A move record that two threads share: the move being entered by the mouse, or the engine's
// last move, whose squares the board drawing frames.
struct SharedMove {
    std::atomic<int32_t> fromRow{-1}, fromCol{-1}, toRow{-1}, toCol{-1};
    std::atomic<int32_t> promotion{NoPromotion};
    std::atomic<int32_t> value{0};

    MoveInfo load() const;
    void store(const MoveInfo& move);
    void reset() { store(MoveInfo(-1, -1, -1, -1, NoPromotion, 0)); }
};
extern SharedMove currentMove;

// Told the result of each iteration of think (depths minDepth to maxDepth) as it ends; null (the
// default) tells no one. nodeCount then holds the positions searched so far in this move.
extern void (*iterationDone)(int depth, const MoveInfo& result);

// The engine's move for the side to move when that side is played by the engine; otherwise
// {0, 0, 0, 0, 12, 0}. Resets currentMove in either case.
MoveInfo think(const Board& board, const MoveTable& table, TranspositionTable& tt, bool whiteIsEngine,
               bool blackIsEngine);
