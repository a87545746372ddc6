// A move in 16 bits, as the deep search keeps and compares moves: origin, destination and the
// kind of piece a pawn becomes (0 for none). The empty move (0) is no move.
#pragma once

#include <cstdint>

#include "../../rules/move_generator.h"

namespace deep {

struct Move {
    uint16_t bits = 0;

    Move() = default;
    Move(int from, int to, int promotionKind) : bits(static_cast<uint16_t>(from | to << 6 | promotionKind << 12)) {}
    Move(const GeneratedMove& m) : Move(m.from, m.to, m.promotion == NoPromotion ? 0 : pieceKind(m.promotion)) {}

    int from() const { return bits & 63; }
    int to() const { return bits >> 6 & 63; }
    int promotionKind() const { return bits >> 12; }
    bool none() const { return bits == 0; }
    bool operator==(Move other) const { return bits == other.bits; }
    bool operator!=(Move other) const { return bits != other.bits; }
    // The move record, the piece a pawn becomes in the colour of `side`, the side that moves.
    MoveInfo info(int side) const {
        const int kind = promotionKind();
        return MoveInfo(from() >> 3, from() & 7, to() >> 3, to() & 7, kind ? pieceCode(kind, side) : NoPromotion);
    }
};

}  // namespace deep
