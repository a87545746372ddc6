#include "move_table.h"

#include <cstring>
#include <initializer_list>

#include "board.h"

namespace {

void mark(uint8_t (&row)[64], SquareSet targets, uint8_t flag) {
    while (!targets.empty()) row[targets.takeLowest()] |= flag;
}

}  // namespace

void buildMoveTable(MoveTable& t) {
    std::memset(t.flags, 0, sizeof t.flags);
    const Geometry& g = geometry;
    const uint8_t any = MoveToEmpty | MoveToCapture;
    for (int from = 0; from < 64; ++from)
        for (int colour = White; colour <= Black; ++colour) {
            uint8_t(&pawn)[64] = t.flags[pieceCode(Pawn, colour)][from];
            mark(pawn, g.pawnSteps[colour][from] | g.pawnDoubleSteps[colour][from], MoveToEmpty);
            mark(pawn, g.pawnCaptures[colour][from], MoveToCapture);
            if (from >> 3 == enPassantFromRow[colour]) mark(pawn, g.pawnCaptures[colour][from], EnPassantCandidate);
            mark(t.flags[pieceCode(Knight, colour)][from], g.knightJumps[from], any);
            mark(t.flags[pieceCode(King, colour)][from], g.kingSteps[from], any);
            for (int d = 0; d < 8; ++d)
                for (int kind : {Rook, Bishop, Queen})
                    if (slides(kind, d)) mark(t.flags[pieceCode(kind, colour)][from], g.rays[from][d], any);
        }
    for (int right = 0; right < 4; ++right) {
        const Castling c = castlingOf(Board(), right);
        t.flags[c.king][c.kingFrom][c.kingTo] = right % 2 == 0 ? CastleKingSide : CastleQueenSide;
    }
}
