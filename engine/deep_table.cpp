#include "deep_table.h"

#include <cstring>
#include <new>

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

DeepTable::DeepTable(int megabytes) {
    const uint64_t bytes = static_cast<uint64_t>(megabytes < 1 ? 1 : megabytes) << 20;
    uint64_t count = 1;
    while (count * 2 * sizeof(DeepEntry) <= bytes) count *= 2;
    // A size the process cannot have (a 32-bit program's address space is soon used up) gives way
    // to the largest half that it can.
    while (!(entries = new (std::nothrow) DeepEntry[count]) && count > 1) count /= 2;
    if (!entries) entries = new DeepEntry[count];
    mask = static_cast<uint32_t>(count - 1);
}

void DeepTable::store(uint64_t key, int depth, int score, Bound bound, uint16_t move) {
    DeepEntry& e = entries[key & mask];
    const uint32_t check = static_cast<uint32_t>(key >> 32);
    if (e.check == check && e.bound != NoBound) {
        if (move == 0) move = e.move;  // keep the best move known for the position
        if (e.age == age && depth < e.depth && bound != ExactBound) return;
    }
    e.check = check;
    e.score = static_cast<int16_t>(score);
    e.move = move;
    e.depth = static_cast<int8_t>(depth);
    e.bound = bound;
    e.age = age;
}

void DeepTable::clear() { std::memset(static_cast<void*>(entries), 0, (static_cast<size_t>(mask) + 1) * sizeof(DeepEntry)); }

int DeepTable::permille() const {
    int used = 0;
    for (uint32_t i = 0; i < 1000 && i <= mask; ++i) used += entries[i].bound != NoBound && entries[i].age == age;
    return mask + 1 < 1000 ? used * 1000 / static_cast<int>(mask + 1) : used;
}
