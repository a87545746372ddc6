// The shapes of the pieces' moves on an empty board: knight jumps, king steps, the rays of rooks,
// bishops and queens, and pawn steps and captures. This is the one description of them: the move
// table is filled from it, and the rule checker's attack test and the move generator read it.
#pragma once

#include <cstdint>

#include "move_info.h"
#include "square_set.h"

// The eight directions, clockwise from north (towards Black's side). The straight ones are even,
// the diagonal ones odd; North, NorthEast, East and NorthWest lead to higher square indices.
enum Direction { North, NorthEast, East, SouthEast, South, SouthWest, West, NorthWest };

inline bool straight(int direction) { return direction % 2 == 0; }
inline bool towardsHigherSquares(int direction) { return direction <= East || direction == NorthWest; }
// True when a piece of this kind slides along the direction: rooks straight, bishops diagonally,
// queens both ways.
inline bool slides(int kind, int direction) {
    return kind == Queen || (kind == Rook && straight(direction)) || (kind == Bishop && !straight(direction));
}

// Rows on which pawns start, take en passant and promote, by colour.
const int pawnStartRow[2] = {1, 6};
const int enPassantFromRow[2] = {4, 3};
const int promotionRow[2] = {7, 0};

struct Geometry {
    SquareSet knightJumps[64];
    SquareSet kingSteps[64];
    SquareSet rays[64][8];  // the squares from a square outwards to the edge of the board
    // By colour and square: where a pawn there may step, double-step and capture. A white pawn
    // moves from rows 1 to 6, a black one from rows 1 to 7; one on another row has no move.
    SquareSet pawnSteps[2][64], pawnDoubleSteps[2][64], pawnCaptures[2][64];
    // By colour and square: where a pawn of that colour stands when it may capture onto the square.
    SquareSet pawnAttackers[2][64];

    Geometry();

    // The first occupied square along a direction, or -1.
    int firstBlocker(int from, int direction, const SquareSet& occupied) const {
        const SquareSet hit = rays[from][direction] & occupied;
        if (hit.empty()) return -1;
        return towardsHigherSquares(direction) ? hit.lowest() : hit.highest();
    }
    // The squares a slider on `from` reaches along a direction: up to and including the first
    // occupied one.
    SquareSet reach(int from, int direction, const SquareSet& occupied) const {
        const int blocker = firstBlocker(from, direction, occupied);
        return blocker < 0 ? rays[from][direction] : rays[from][direction] & ~rays[blocker][direction];
    }
};
extern const Geometry geometry;

// The squares strictly between two squares on one rank, file or diagonal.
inline SquareSet between(int from, int to) {
    const auto sign = [](int v) { return (v > 0) - (v < 0); };
    SquareSet s;
    const int step = 8 * sign((to >> 3) - (from >> 3)) + sign((to & 7) - (from & 7));
    for (int x = from + step; x != to; x += step) s.add(x);
    return s;
}
