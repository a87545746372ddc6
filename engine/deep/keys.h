// The deep search's keys of positions: 64 bits that cover the whole position (the pieces, the side
// to move, the castling rights and a possible en passant capture), so that they serve both the
// table and the recognition of a repeated position.
#pragma once

#include <cstdint>
#include <vector>

#include "../../rules/board.h"

namespace deep {

// Fixed pseudo-random 64-bit numbers for the parts of a position.
struct PositionKeys {
    uint64_t pieces[13][64];  // by piece code and square; the empty square's row is zero
    uint64_t blackToMove;
    uint64_t castling[16];    // by the four rights as bits
    uint64_t enPassant[9];    // by the file of a possible en passant capture; 8 for none (zero)
    PositionKeys();
};
extern const PositionKeys positionKeys;

inline int castlingIndex(const Board& b) {
    return b.castlingRights[0] | b.castlingRights[1] << 1 | b.castlingRights[2] << 2 | b.castlingRights[3] << 3;
}
// The key worked out from the whole board.
uint64_t positionKey(const Board& board);

// Plays a move of a game: the key of the position it leaves joins `keys` (the game's positions,
// oldest first, for repetitions), and `halfMoves`, the standard half-move clock, counts it.
void playGameMove(Board& board, const MoveInfo& move, std::vector<uint64_t>& keys, int& halfMoves);

}  // namespace deep
