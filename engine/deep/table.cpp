#include "table.h"

#include <new>

namespace deep {

Table::Table(int megabytes) {
    const uint64_t bytes = static_cast<uint64_t>(megabytes < 1 ? 1 : megabytes) << 20;
    uint64_t count = 1;
    while (count * 2 * sizeof(Slot) <= bytes) count *= 2;
    // A size the process cannot have (a 32-bit program's address space is soon used up) gives way
    // to the largest half that it can.
    while (!(slots = std::unique_ptr<Slot[]>(new (std::nothrow) Slot[count])) && count > 1) count /= 2, whole = false;
    if (!slots) slots = std::make_unique<Slot[]>(count);
    mask = count - 1;
}

int64_t Table::find(uint64_t key, Entry& entry) const {
    const uint64_t first = key & mask & ~uint64_t(1);
    for (uint64_t i = first; i <= first + 1 && i <= mask; ++i) {
        const uint64_t data = slots[i].data.load(std::memory_order_relaxed);
        if ((slots[i].check.load(std::memory_order_relaxed) ^ data) != key || data == 0) continue;
        entry = Entry::unpacked(data);
        if (entry.bound != NoBound) return static_cast<int64_t>(i);
    }
    return -1;
}

void Table::store(uint64_t key, int depth, int score, int ply, Bound bound, Move move) {
    Entry old;
    const uint8_t now = age.load(std::memory_order_relaxed);
    const int64_t at = find(key, old);
    Slot* s = at >= 0 ? &slots[at] : nullptr;
    if (s) {
        if (move.none()) move = old.move;  // keep the best move known for the position
        if (old.age == now && depth < old.depth && bound != ExactBound) return;
    } else {
        // A new position takes the place of an entry of an earlier search, or else of the
        // shallower of the two.
        Slot* pair = &slots[key & mask & ~uint64_t(1)];
        s = pair;
        auto worth = [now](const Slot& slot) {  // an entry of an earlier search counts eight plies less
            const Entry e = Entry::unpacked(slot.data.load(std::memory_order_relaxed));
            return e.bound == NoBound ? -1000 : e.depth - 8 * (e.age != now);
        };
        if (mask > 0 && worth(pair[1]) < worth(pair[0])) s = pair + 1;
    }
    Entry e;
    e.score = static_cast<int16_t>(score > mateScore - maxPly ? score + ply : score < maxPly - mateScore ? score - ply : score);
    e.move = move, e.depth = static_cast<int8_t>(depth), e.bound = bound, e.age = now;
    const uint64_t data = e.packed();
    s->data.store(data, std::memory_order_relaxed);
    s->check.store(key ^ data, std::memory_order_relaxed);
}

void Table::clear() {
    for (uint64_t i = 0; i <= mask; ++i) slots[i].check.store(0, std::memory_order_relaxed), slots[i].data.store(0, std::memory_order_relaxed);
}

int Table::permille() const {
    int used = 0;
    const uint8_t now = age.load(std::memory_order_relaxed);
    for (uint64_t i = 0; i < 1000 && i <= mask; ++i) {
        const Entry e = Entry::unpacked(slots[i].data.load(std::memory_order_relaxed));
        used += e.bound != NoBound && e.age == now;
    }
    return mask + 1 < 1000 ? used * 1000 / static_cast<int>(mask + 1) : used;
}

}  // namespace deep
