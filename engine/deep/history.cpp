#include "history.h"

#include <algorithm>
#include <cstdlib>

#include "parameters.h"

namespace deep {

namespace {

// What a move gained when it caused a cut-off, less what it lost when another did, by the square of
// the depth; the more it has, the less a change moves it.
template <typename Cell>
void credit(Cell& history, int bonus) {
    history = static_cast<Cell>(history + bonus - history * std::abs(bonus) / historyLimit);
}

}  // namespace

int continuationOf(const ThreadMemory& memory, const int* playedAt, int ply, int move) {
    int sum = 0;
    for (int back = 1; back <= 2 && back <= ply; ++back)
        if (playedAt[ply - back] >= 0) sum += memory.continuation[playedAt[ply - back]][move];
    return sum;
}

Move* counterSlot(ThreadMemory& memory, const Position& p) {
    const MoveInfo& last = p.board.lastMove;
    if (!last.onBoard()) return nullptr;
    const PieceCode moved = p.board.at(last.toRow, last.toCol);
    return moved == EmptySquare ? nullptr : &memory.counters[moved][last.toRow * 8 + last.toCol];
}

void rewardCutoff(ThreadMemory& memory, Move killers[2], const Position& p, const GeneratedMove& best,
                  const GeneratedMove* quiets, int quietCount, const int* playedAt, int ply, int depth) {
    const Move move(best);
    if (killers[0] != move) killers[1] = killers[0], killers[0] = move;
    if (Move* slot = counterSlot(memory, p)) *slot = move;
    const int bonus = std::min(depth * depth, historyBonusMax);
    for (int j = 0; j < quietCount; ++j) {
        const GeneratedMove& q = quiets[j];
        const int gain = q.from == best.from && q.to == best.to ? bonus : -bonus;
        credit(memory.history[p.board.squares[q.from]][q.to], gain);
        for (int back = 1; back <= 2 && back <= ply; ++back)
            if (playedAt[ply - back] >= 0) credit(memory.continuation[playedAt[ply - back]][pieceTo(p, q)], gain);
    }
}

}  // namespace deep
