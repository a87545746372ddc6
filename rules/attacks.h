// What the pieces reach and attack, which both the move generator and the rule checker rest on:
// the squares each side occupies, a piece's destinations before king safety, whether a square is
// attacked, castling's conditions, and whether a move leaves the mover's king capturable.
#pragma once

#include "board.h"
#include "square_set.h"

// The squares each side occupies.
struct Occupancy {
    SquareSet bySide[2];

    Occupancy() = default;
    explicit Occupancy(const Board& board);
    SquareSet all() const { return bySide[0] | bySide[1]; }
    void add(PieceCode piece, int square) { bySide[pieceColour(piece)].add(square); }
    void remove(PieceCode piece, int square) { bySide[pieceColour(piece)].remove(square); }
    // The squares after a move, from what describeMove says it does.
    void apply(const MoveEffect& effect) { effect.applyTo(*this); }
};

// The destinations the rule checker accepts for the piece on `from`, a piece of the side to move,
// without the king-safety test: the capture of a king included.
SquareSet pseudoTargets(const Board& board, const Occupancy& occupied, int from);
// Whether the side to move has any move the rule checker accepts without the king-safety test.
bool hasPseudoMove(const Board& board);

// True when a piece of the colour could capture onto the square, whatever stands there: a pawn
// diagonally forward, the other pieces as they move. Only the squares in `occupied` block a ray.
bool attackedBy(const Board& board, const SquareSet& occupied, int square, int colour);
// True when a piece of the side not to move attacks the square.
bool squareAttacked(const Board& board, int row, int col);

// The castling's conditions but king safety: the squares between king and rook empty, the king's
// square and the two it crosses and lands on not attacked, the rook in its corner, the right kept.
bool castlingAllowed(const Board& board, const Castling& castling);

// True when the king of the mover (the side to move on board) could be captured after the move.
bool leavesKingCapturable(const Board& board, MoveInfo move);
