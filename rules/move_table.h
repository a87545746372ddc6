// Move geometry: for every piece and pair of squares, whether the move is possible on an
// empty board and under which condition.
#pragma once

#include <cstdint>

enum MoveFlag : uint8_t {
    MoveToEmpty = 1,         // a pawn's straight step: only onto an empty square
    MoveToCapture = 2,       // a pawn's diagonal step: only onto an enemy piece, or en passant
    CastleKingSide = 4,      // e1-g1, e8-g8
    CastleQueenSide = 8,     // e1-c1, e8-c8
    EnPassantCandidate = 16  // added to MoveToCapture on pawn captures from the fifth rank
};

struct MoveTable {
    uint8_t flags[12][64][64];  // [piece code][from square][to square]
};

// Fills every entry of the table.
void buildMoveTable(MoveTable& table);
