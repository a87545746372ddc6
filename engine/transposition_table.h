// Search results and book moves, keyed by the placement of the pieces.
#pragma once

#include <cstdint>

#include "../rules/board.h"

struct TableEntry {
    MoveInfo move;       // the move to play; its value is the position's score
    int32_t side = 0;    // side to move in the position
    int8_t depth = 0;    // search depth the entry is good for
    uint8_t valid = 0;   // 1 when the entry holds a position
    int32_t key = 0;     // the position's check key
};

// The depth of every book entry: deeper than any search, so a book entry is never replaced.
const int bookDepth = 16;

struct TranspositionTable {
    int8_t bits;
    int32_t indexKeys[12][64];
    int32_t checkKeys[12][64];
    TableEntry* entries;  // 2^bits entries, owned

    // 2^bits entries (1 when bits <= 0), all free; the keys are the next draws of nextRandom.
    explicit TranspositionTable(int8_t bits);
    ~TranspositionTable();
    TranspositionTable(const TranspositionTable&) = delete;
    TranspositionTable& operator=(const TranspositionTable&) = delete;

    int32_t size() const { return bits > 0 ? int32_t(1) << bits : 1; }
    int32_t indexOf(const Board& board) const;
    int32_t checkKeyOf(const Board& board) const;
    // The entry that answers the position at this depth, or null.
    const TableEntry* lookup(const Board& board, int depth) const;
    // Writes into a free slot, or over a shallower result for the same position.
    void store(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move);
    void clear();
};
