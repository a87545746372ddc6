// The deep search's memory of positions. Its keys cover the whole position (the pieces, the side
// to move, the castling rights and a possible en passant capture), so that they also serve to
// recognise a repeated position; each stored score says which bound it is.
#pragma once

#include <cstdint>

#include "../rules/board.h"

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
uint64_t positionKey(const Board& board);

enum Bound : uint8_t { NoBound = 0, UpperBound = 1, LowerBound = 2, ExactBound = 3 };

// A move in 16 bits: origin, destination and the promotion piece's kind (0 for none).
inline uint16_t packMove(const MoveInfo& m) {
    const int kind = isPromotionPiece(m.promotion) ? pieceKind(m.promotion) : 0;
    return static_cast<uint16_t>((m.fromRow * 8 + m.fromCol) | (m.toRow * 8 + m.toCol) << 6 | kind << 12);
}

struct DeepEntry {
    uint32_t check = 0;  // the key's high half
    int16_t score = 0;
    uint16_t move = 0;   // packMove, 0 for none
    int8_t depth = 0;
    uint8_t bound = NoBound;
    uint8_t age = 0;     // the search that wrote it
};

struct DeepTable {
    DeepEntry* entries = nullptr;  // a power of two of them, owned
    uint32_t mask = 0;
    uint8_t age = 0;

    explicit DeepTable(int megabytes);
    ~DeepTable() { delete[] entries; }
    DeepTable(const DeepTable&) = delete;
    DeepTable& operator=(const DeepTable&) = delete;

    const DeepEntry* probe(uint64_t key) const {
        const DeepEntry& e = entries[key & mask];
        return e.bound != NoBound && e.check == static_cast<uint32_t>(key >> 32) ? &e : nullptr;
    }
    // Keeps what it has only for the same position at a greater depth and not an exact score.
    void store(uint64_t key, int depth, int score, Bound bound, uint16_t move);
    void clear();
    // Entries written by the current search, per thousand, from a sample.
    int permille() const;
};
