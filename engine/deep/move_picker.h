// The order in which a node's moves are searched: each move with its place in the order, the best
// taken first, one at a time.
#pragma once

#include "history.h"

namespace deep {

struct ScoredMove {
    GeneratedMove move;
    int order;
    bool tactical;  // a capture or a promotion
};

// Bands of the move order: the table's move, the captures that do not lose material, the killers
// and the counter move, the quiet moves by history, the captures that lose material, the
// underpromotions.
const int tableMoveFirst = 1 << 30, goodCapture = 1 << 29, killer = 1 << 28;  // quiet moves: 0 up to killer
const int losingCapture = -(1 << 19), underpromotion = -(1 << 20);
const int quietMove = 1 << 20;  // and its history, from -historyLimit to historyLimit, added
inline bool isQuiet(int order) { return order >= 0 && order < killer; }

// What the order of a node's moves draws on besides the position: the table's move, the killers of
// its ply, the thread's history, and the moves of the line before it (by ply; -1 a pass).
struct OrderHints {
    Move tableMove;
    const Move* killers;
    ThreadMemory& memory;
    const int* playedAt;
    int ply;
};

// The moves of the position, each with its place in the order; capturing alone, only the captures
// that do not lose material and the queen promotions. Returns how many.
int listMoves(const Position& p, ScoredMove* list, const OrderHints& hints, bool capturesOnly);

// The best of the moves from i on, swapped to place i.
inline GeneratedMove takeBest(ScoredMove* list, int n, int i) {
    int best = i;
    for (int j = i + 1; j < n; ++j)
        if (list[j].order > list[best].order) best = j;
    std::swap(list[i], list[best]);
    return list[i].move;
}

}  // namespace deep
