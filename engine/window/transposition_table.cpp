#include "transposition_table.h"

#include <cstring>

#include "random.h"

TranspositionTable::TranspositionTable(int8_t tableBits) : bits(tableBits), entries(nullptr), marks(nullptr) {
    const int32_t n = size();
    entries = new TableEntry[n];
    marks = new uint8_t[n]();
    for (int32_t i = 0; i < n; ++i) entries[i].move = MoveInfo(0, 0, 0, 0, 0, 0);
    for (int s = 0; s < 64; ++s) {
        for (int p = 0; p < 12; ++p) {
            keys[p][s].index = nextRandom() % n;
            keys[p][s].key = nextRandom() % n;
        }
        keys[EmptySquare][s] = SquareKeys{0, 0};
    }
}

TranspositionTable::~TranspositionTable() {
    delete[] marks;
    delete[] entries;
}

int32_t TranspositionTable::indexOf(const Board& b) const {
    int32_t k = 0;
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) k ^= keys[b.squares[s]][s].index;
    return k;
}

int32_t TranspositionTable::checkKeyOf(const Board& b) const {
    int32_t k = 0;
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) k ^= keys[b.squares[s]][s].key;
    return k;
}

void TranspositionTable::store(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move) {
    const TableEntry& e = entries[index];
    if (e.valid && !(e.depth < depth && e.key == key)) return;
    put(index, key, side, depth, move);
}

void TranspositionTable::put(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move) {
    TableEntry& e = entries[index];
    e.key = key;
    e.side = side;
    e.depth = static_cast<int8_t>(depth);
    e.move = move;
    e.valid = 1;
    marks[index] = side == White || side == Black ? mark(side, key) : 0;
}

void TranspositionTable::clear() {
    const int32_t n = size();
    for (int32_t i = 0; i < n; ++i) entries[i].valid = 0;
    std::memset(marks, 0, n);
}
