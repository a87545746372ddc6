// What a thread of the deep search learns of the move order and keeps from one search of a game to
// the next, with the caches of evaluations it has worked out: each quiet move's history (by piece
// and square), the reply that last cut off after each move, continuation history (each quiet move
// after each move one or two plies before it), and how a cut-off teaches them.
#pragma once

#include <cstdint>

#include "evaluation.h"
#include "move.h"
#include "position.h"

namespace deep {

// Whole evaluations already worked out, by the position's key (kept whole, as the table keeps it).
struct EvalCache {
    static const uint32_t mask = (1 << 15) - 1;
    struct Entry {
        uint64_t key;
        int32_t score;
        bool kept;
    } entries[mask + 1] = {};
};

struct ThreadMemory {
    int history[12][64] = {};
    Move counters[12][64] = {};
    int16_t continuation[768][768] = {};
    PawnCache pawns;
    EvalCache evaluations;
};

// A history's bound: the more a move has, the less a change moves it.
const int historyLimit = 16384;

// A move as continuation history counts it: the piece that moves, by 64, and its destination.
inline int pieceTo(const Position& p, const GeneratedMove& m) { return p.board.squares[m.from] * 64 + m.to; }

// A quiet move's history after the moves one and two plies before it (playedAt by ply, -1 for a pass).
int continuationOf(const ThreadMemory& memory, const int* playedAt, int ply, int move);

// The counter move to the position's last move, and where it is kept; none after a pass.
Move* counterSlot(ThreadMemory& memory, const Position& p);

// A cut-off by the quiet move `best` at depth: it becomes the first killer of its ply and the counter
// to the last move, and gains history, as its continuation after the moves before it; the other quiet
// moves searched before it lose as much.
void rewardCutoff(ThreadMemory& memory, Move killers[2], const Position& p, const GeneratedMove& best,
                  const GeneratedMove* quiets, int quietCount, const int* playedAt, int ply, int depth);

}  // namespace deep
