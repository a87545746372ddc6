#include "keys.h"

namespace deep {

namespace {

// SplitMix64: a fixed sequence, unrelated to the window engine's pseudo-random numbers.
uint64_t nextKey(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

}  // namespace

PositionKeys::PositionKeys() {
    uint64_t state = 20261207;
    for (auto& row : pieces)
        for (uint64_t& k : row) k = nextKey(state);
    for (uint64_t& k : pieces[EmptySquare]) k = 0;
    blackToMove = nextKey(state);
    for (uint64_t& k : castling) k = nextKey(state);
    for (uint64_t& k : enPassant) k = nextKey(state);
    enPassant[8] = 0;
}

const PositionKeys positionKeys;

uint64_t positionKey(const Board& b) {
    uint64_t key = b.sideToMove == Black ? positionKeys.blackToMove : 0;
    for (int s = 0; s < 64; ++s)
        if (pieceSide(b.squares[s]) < 2) key ^= positionKeys.pieces[b.squares[s]][s];
    return key ^ positionKeys.castling[castlingIndex(b)] ^ positionKeys.enPassant[enPassantFile(b)];
}

void playGameMove(Board& b, const MoveInfo& move, std::vector<uint64_t>& keys, int& halfMoves) {
    keys.push_back(positionKey(b));
    MoveEffect effect;
    describeMove(b, move.fromRow * 8 + move.fromCol, move.toRow * 8 + move.toCol, move.promotion, effect);
    halfMoves = effect.halfMoveClockAfter(halfMoves);
    makeMove(b, move, effect);
    b.switchSide();
}

}  // namespace deep
