// The deep search's evaluation, its own and not the window engine's: material and the squares the
// pieces stand on, weighed between the middlegame and the endgame by the pieces left, then pawn
// structure (doubled, isolated and passed pawns), the mobility of the pieces, the bishop pair,
// rooks on open files and the king's pawn shelter. Scores in hundredths of a pawn.
#pragma once

#include "../../rules/move_generator.h"

namespace deep {

// What a piece of each kind is worth: pawn, rook, knight, bishop, queen, king.
const int pieceValue[6] = {100, 500, 320, 330, 900, 0};

// Material and placement as running sums, from White's point of view, kept up to date move by
// move, with the game's phase: 24 with all the pieces on the board, 0 with kings and pawns only.
struct Placement {
    int32_t middlegame = 0, endgame = 0;
    int32_t phase = 0;
    int8_t kingSquare[2] = {64, 64};  // 64: none

    Placement() = default;
    explicit Placement(const Board& board);
    void add(PieceCode piece, int square) { change(piece, square, 1); }
    void remove(PieceCode piece, int square) { change(piece, square, -1); }
    void apply(const MoveEffect& effect) { effect.applyTo(*this); }
    bool operator==(const Placement& o) const {
        return middlegame == o.middlegame && endgame == o.endgame && phase == o.phase &&
               kingSquare[0] == o.kingSquare[0] && kingSquare[1] == o.kingSquare[1];
    }
    // The two sums weighed by the phase, for the side to move.
    int32_t score(int sideToMove) const {
        const int32_t weight = phase > 24 ? 24 : phase;
        const int32_t sum = (middlegame * weight + endgame * (24 - weight)) / 24;
        return sideToMove == White ? sum : -sum;
    }

private:
    void change(PieceCode piece, int square, int by);
};

// The rest of the evaluation, for the side to move: pawn structure, mobility, bishops, rooks and
// the king's shelter.
int32_t structureTerms(const Board& board, const Occupancy& occupied, const Placement& placement);

}  // namespace deep
