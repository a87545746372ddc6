// Search results and book moves, keyed by the placement of the pieces.
#pragma once

#include <cstdint>

#include "../../rules/board.h"

struct TableEntry {
    MoveInfo move;       // the move to play; its value is the position's score
    int32_t side = 0;    // side to move in the position
    int8_t depth = 0;    // search depth the entry is good for
    uint8_t valid = 0;   // 1 when the entry holds a position
    int32_t key = 0;     // the position's check key
};

// The depth of every book entry: deeper than any search, so a book entry is never replaced.
const int bookDepth = 16;

// What a piece on a square adds to a position's slot index and check key (exclusive or).
struct SquareKeys {
    int32_t index, key;
};

struct TranspositionTable {
    int8_t bits;
    SquareKeys keys[13][64];  // by piece code and square; the empty square's row is all zero
    TableEntry* entries;      // 2^bits entries, owned
    // A byte per entry, kept by every write: 0 when the entry can answer nothing, otherwise made of
    // its side to move and the low bits of its check key. It settles most probes without reading
    // the entry itself from a table too large for the processor's caches.
    uint8_t* marks;

    // 2^bits entries (1 when bits <= 0), all free; the keys are the next draws of nextRandom, two
    // per piece and square (index key, then check key), square by square.
    explicit TranspositionTable(int8_t bits);
    ~TranspositionTable();
    TranspositionTable(const TranspositionTable&) = delete;
    TranspositionTable& operator=(const TranspositionTable&) = delete;

    int32_t size() const { return bits > 0 ? int32_t(1) << bits : 1; }
    int32_t indexOf(const Board& board) const;
    int32_t checkKeyOf(const Board& board) const;

    // False when the entry at index surely cannot answer a position with this check key and side to
    // move: the mark alone says so.
    bool mayAnswer(int32_t index, int32_t key, int32_t side) const {
        return marks[index] == mark(side, key) || (side != White && side != Black);
    }
    // The entry that answers a position with these keys and side to move at this depth, or null.
    const TableEntry* probe(int32_t index, int32_t key, int32_t side, int depth) const {
        if (!mayAnswer(index, key, side)) return nullptr;
        const TableEntry& e = entries[index];
        return e.valid == 1 && e.side == side && e.key == key && e.depth >= depth ? &e : nullptr;
    }
    const TableEntry* lookup(const Board& board, int depth) const {
        return probe(indexOf(board), checkKeyOf(board), board.sideToMove, depth);
    }
    // Writes into a free slot, or over a shallower result for the same position.
    void store(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move);
    // Writes whatever the slot holds: how the opening book goes in.
    void put(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move);
    void clear();

private:
    static uint8_t mark(int32_t side, int32_t key) { return static_cast<uint8_t>(0x80 | side << 6 | (key & 0x3f)); }
};
