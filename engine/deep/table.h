// The deep search's memory of positions: by key, the score a search found with the bound it is,
// the depth it is good for and the best move found. Mate scores are kept as distances from the
// position, not from the root, so that they hold wherever the position comes up again.
#pragma once

#include <cstdint>

#include "move.h"
#include "score.h"

namespace deep {

enum Bound : uint8_t { NoBound = 0, UpperBound = 1, LowerBound = 2, ExactBound = 3 };

struct Entry {
    uint32_t check = 0;  // the key's high half
    int16_t score = 0;   // a mate counted from this position
    Move move;           // none when no move is known
    int8_t depth = 0;
    uint8_t bound = NoBound;
    uint8_t age = 0;     // the search that wrote it

    // The score for the position ply half-moves below the root: a mate counted from the root.
    int scoreAt(int ply) const {
        return score > mateScore - maxPly ? score - ply : score < maxPly - mateScore ? score + ply : score;
    }
};

struct Table {
    Entry* entries = nullptr;  // a power of two of them, owned
    uint32_t mask = 0;
    uint8_t age = 0;

    // The largest power of two of entries within the size, or the largest half of it that the
    // process can have.
    explicit Table(int megabytes);
    ~Table() { delete[] entries; }
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    const Entry* probe(uint64_t key) const {
        const Entry& e = entries[key & mask];
        return e.bound != NoBound && e.check == static_cast<uint32_t>(key >> 32) ? &e : nullptr;
    }
    // The score of the position ply half-moves below the root. Keeps what it has only for the same
    // position at a greater depth and not an exact score; a store without a move keeps the move known.
    void store(uint64_t key, int depth, int score, int ply, Bound bound, Move move);
    void clear();
    // Entries written by the current search, per thousand, from a sample.
    int permille() const;
};

}  // namespace deep
