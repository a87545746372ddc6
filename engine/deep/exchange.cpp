#include "exchange.h"

#include <algorithm>

namespace deep {

namespace {

// The square of the least valuable piece of the colour that could capture onto `to` through the
// occupied squares, or -1. Pieces taken out of `occupied` no longer block or capture.
int cheapestAttacker(const Board& b, const SquareSet& occupied, int to, int colour) {
    const Geometry& g = geometry;
    for (SquareSet s = g.pawnAttackers[colour][to] & occupied; !s.empty();) {
        const int from = s.takeLowest();
        if (b.squares[from] == pieceCode(Pawn, colour)) return from;
    }
    for (SquareSet s = g.knightJumps[to] & occupied; !s.empty();) {
        const int from = s.takeLowest();
        if (b.squares[from] == pieceCode(Knight, colour)) return from;
    }
    int best = -1, bestValue = 1 << 30;
    for (int d = 0; d < 8; ++d) {
        const int from = g.firstBlocker(to, d, occupied);
        if (from < 0) continue;
        const PieceCode p = b.squares[from];
        if (pieceColour(p) == colour && slides(pieceKind(p), d) && exchangeValue(pieceKind(p)) < bestValue)
            best = from, bestValue = exchangeValue(pieceKind(p));
    }
    if (best >= 0) return best;
    for (SquareSet s = g.kingSteps[to] & occupied; !s.empty();) {
        const int from = s.takeLowest();
        if (b.squares[from] == pieceCode(King, colour)) return from;
    }
    return -1;
}

}  // namespace

int exchangeTaken(const Board& b, int from, int to) {
    const PieceCode victim = b.squares[to];
    const bool enPassant = victim == EmptySquare && pieceKind(b.squares[from]) == Pawn && (from & 7) != (to & 7);
    return victim != EmptySquare ? exchangeValue(pieceKind(victim)) : enPassant ? exchangeValue(Pawn) : 0;
}

int exchangeGain(const Board& b, const Occupancy& o, int from, int to) {
    int gain[40];
    SquareSet occupied = o.all();
    gain[0] = exchangeTaken(b, from, to);
    int onSquare = exchangeValue(pieceKind(b.squares[from]));
    int colour = opponent(pieceColour(b.squares[from]));
    occupied.remove(from);
    int depth = 0;
    while (depth < 38) {
        const int attacker = cheapestAttacker(b, occupied, to, colour);
        if (attacker < 0) break;
        ++depth;
        gain[depth] = onSquare - gain[depth - 1];
        if (std::max(-gain[depth - 1], gain[depth]) < 0) break;  // neither side gains by going on
        onSquare = exchangeValue(pieceKind(b.squares[attacker]));
        occupied.remove(attacker);
        colour = opponent(colour);
    }
    while (depth > 0) {
        gain[depth - 1] = -std::max(-gain[depth - 1], gain[depth]);
        --depth;
    }
    return gain[0];
}

}  // namespace deep
