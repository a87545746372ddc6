#include "table.h"

#include <cstring>
#include <new>

namespace deep {

Table::Table(int megabytes) {
    const uint64_t bytes = static_cast<uint64_t>(megabytes < 1 ? 1 : megabytes) << 20;
    uint64_t count = 1;
    while (count * 2 * sizeof(Entry) <= bytes) count *= 2;
    // A size the process cannot have (a 32-bit program's address space is soon used up) gives way
    // to the largest half that it can.
    while (!(entries = new (std::nothrow) Entry[count]) && count > 1) count /= 2;
    if (!entries) entries = new Entry[count];
    mask = static_cast<uint32_t>(count - 1);
}

void Table::store(uint64_t key, int depth, int score, int ply, Bound bound, Move move) {
    Entry& e = entries[key & mask];
    const uint32_t check = static_cast<uint32_t>(key >> 32);
    if (e.check == check && e.bound != NoBound) {
        if (move.none()) move = e.move;  // keep the best move known for the position
        if (e.age == age && depth < e.depth && bound != ExactBound) return;
    }
    e.check = check;
    e.score = static_cast<int16_t>(score > mateScore - maxPly ? score + ply : score < maxPly - mateScore ? score - ply : score);
    e.move = move;
    e.depth = static_cast<int8_t>(depth);
    e.bound = bound;
    e.age = age;
}

void Table::clear() { std::memset(static_cast<void*>(entries), 0, (static_cast<size_t>(mask) + 1) * sizeof(Entry)); }

int Table::permille() const {
    int used = 0;
    for (uint32_t i = 0; i < 1000 && i <= mask; ++i) used += entries[i].bound != NoBound && entries[i].age == age;
    return mask + 1 < 1000 ? used * 1000 / static_cast<int>(mask + 1) : used;
}

}  // namespace deep
