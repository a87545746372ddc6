#include "evaluation.h"

namespace deep {

Placement::Placement(const Board& b) {
    for (int s = 0; s < 64; ++s)
        if (pieceSide(b.squares[s]) < 2) add(b.squares[s], s);
}

void Placement::change(PieceCode p, int s, int by) {
    const int kind = pieceKind(p), colour = pieceColour(p);
    phase += phaseWeight[kind] * by;
    if (kind == King) kingSquare[colour] = static_cast<int8_t>(by > 0 ? s : 64);
    const Score value = weights.material[kind] + weights.squares[kind][seenFrom(colour, s)];
    sum += colour == White ? value * by : value * -by;
}

Score Evaluation::withDangers() const { return total + dangerCost(dangers[White]) - dangerCost(dangers[Black]); }

int32_t evaluate(const Board& board, const Occupancy& occupied, const Placement& placement, PawnCache* cache) {
    Evaluation e;
    evaluateTerms(board, occupied, e, cache);
    return placement.taper(placement.sum + e.withDangers(), board.sideToMove);
}

}  // namespace deep
