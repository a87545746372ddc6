#include "transposition_table.h"

#include "random.h"

TranspositionTable::TranspositionTable(int8_t tableBits) : bits(tableBits), entries(nullptr) {
    const int32_t n = size();
    entries = new TableEntry[n];
    for (int32_t i = 0; i < n; ++i) entries[i].move = MoveInfo(0, 0, 0, 0, 0, 0);
    for (int s = 0; s < 64; ++s)
        for (int p = 0; p < 12; ++p) {
            indexKeys[p][s] = nextRandom() % n;
            checkKeys[p][s] = nextRandom() % n;
        }
}

TranspositionTable::~TranspositionTable() { delete[] entries; }

int32_t TranspositionTable::indexOf(const Board& b) const {
    int32_t k = 0;
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) k ^= indexKeys[b.squares[s]][s];
    return k;
}

int32_t TranspositionTable::checkKeyOf(const Board& b) const {
    int32_t k = 0;
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) k ^= checkKeys[b.squares[s]][s];
    return k;
}

const TableEntry* TranspositionTable::lookup(const Board& b, int depth) const {
    const TableEntry& e = entries[indexOf(b)];
    if (e.valid == 1 && e.side == b.sideToMove && e.key == checkKeyOf(b) && e.depth >= depth) return &e;
    return nullptr;
}

void TranspositionTable::store(int32_t index, int32_t key, int32_t side, int32_t depth, MoveInfo move) {
    TableEntry& e = entries[index];
    if (e.valid && !(e.depth < depth && e.key == key)) return;
    e.key = key;
    e.side = side;
    e.depth = static_cast<int8_t>(depth);
    e.move = move;
    e.valid = 1;
}

void TranspositionTable::clear() {
    const int32_t n = size();
    for (int32_t i = 0; i < n; ++i) entries[i].valid = 0;
}
