// The deep search's memory of positions: by key, the score a search found with the bound it is,
// the depth it is good for and the best move found. Mate scores are kept as distances from the
// position, not from the root, so that they hold wherever the position comes up again. Threads
// share it without locks: a slot keeps its entry in one 64-bit word and the key mixed with that
// word in another, so that an entry torn by two writers fails the key's test and is not read.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>

#include "move.h"
#include "score.h"

namespace deep {

enum Bound : uint8_t { NoBound = 0, UpperBound = 1, LowerBound = 2, ExactBound = 3 };

struct Entry {
    int16_t score = 0;  // a mate counted from this position
    Move move;          // none when no move is known
    int8_t depth = 0;
    uint8_t bound = NoBound;
    uint8_t age = 0;    // the search that wrote it

    // The score for the position ply half-moves below the root: a mate counted from the root.
    int scoreAt(int ply) const {
        return score > mateScore - maxPly ? score - ply : score < maxPly - mateScore ? score + ply : score;
    }
    // Whether the score settles a search of the position within alpha and beta: exact, or a bound
    // on the side of the window it is on.
    bool settles(int score, int alpha, int beta) const {
        return bound == ExactBound || (bound == LowerBound && score >= beta) || (bound == UpperBound && score <= alpha);
    }
    uint64_t packed() const {
        return static_cast<uint16_t>(score) | uint64_t(move.bits) << 16 | uint64_t(static_cast<uint8_t>(depth)) << 32 |
               uint64_t(bound) << 40 | uint64_t(age) << 48;
    }
    static Entry unpacked(uint64_t w) {
        Entry e;
        e.score = static_cast<int16_t>(w & 0xffff), e.move.bits = static_cast<uint16_t>(w >> 16);
        e.depth = static_cast<int8_t>(w >> 32), e.bound = static_cast<uint8_t>(w >> 40), e.age = static_cast<uint8_t>(w >> 48);
        return e;
    }
};

struct Table {
    struct Slot {
        std::atomic<uint64_t> check{0}, data{0};  // the key mixed with the entry, and the entry
    };
    std::unique_ptr<Slot[]> slots;  // a power of two of them
    uint64_t mask = 0;
    std::atomic<uint8_t> age{0};
    bool whole = true;      // as large as asked, not the half that the process could have

    // The largest power of two of slots within the size, or the largest half of it that the
    // process can have.
    explicit Table(int megabytes);

    // The entry of the position with the key, if the table has one. A position has two slots
    // side by side: it is kept in either.
    bool probe(uint64_t key, Entry& entry) const { return find(key, entry) >= 0; }
    // Asks the processor to bring the position's slots near, to be probed soon.
    void prefetch(uint64_t key) const { __builtin_prefetch(&slots[key & mask & ~uint64_t(1)]); }
    // The score of the position ply half-moves below the root. Keeps what it has only for the same
    // position at a greater depth and not an exact score; a store without a move keeps the move known.
    void store(uint64_t key, int depth, int score, int ply, Bound bound, Move move);
    void clear();
    int64_t megabytes() const { return static_cast<int64_t>((mask + 1) * sizeof(Slot)) >> 20; }
    // Entries written by the current search, per thousand, from a sample.
    int permille() const;

private:
    // Where the position's entry is, read into `entry`; -1 when neither of its slots has it.
    int64_t find(uint64_t key, Entry& entry) const;
};

}  // namespace deep
