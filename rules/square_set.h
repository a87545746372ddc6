// A set of squares as two 32-bit halves, which 32-bit code handles as cheaply as 64-bit code. The
// halves are named rather than indexed, so that a set can live in registers.
#pragma once

#include <cstdint>

struct SquareSet {
    uint32_t low = 0, high = 0;  // squares 0 to 31, 32 to 63

    static SquareSet of(int s) {
        SquareSet set;
        set.add(s);
        return set;
    }
    void add(int s) {
        const uint32_t bit = 1u << (s & 31);
        low |= s < 32 ? bit : 0;
        high |= s < 32 ? 0 : bit;
    }
    void remove(int s) {
        const uint32_t bit = 1u << (s & 31);
        low &= s < 32 ? ~bit : ~0u;
        high &= s < 32 ? ~0u : ~bit;
    }
    bool has(int s) const { return ((s < 32 ? low : high) >> (s & 31)) & 1; }
    bool empty() const { return (low | high) == 0; }
    int count() const { return bits(low) + bits(high); }
    int lowest() const { return low ? __builtin_ctz(low) : 32 + __builtin_ctz(high); }
    int highest() const { return high ? 63 - __builtin_clz(high) : 31 - __builtin_clz(low); }
    int takeLowest() {
        if (low) {
            const int s = __builtin_ctz(low);
            low &= low - 1;
            return s;
        }
        const int s = __builtin_ctz(high);
        high &= high - 1;
        return 32 + s;
    }
    int takeHighest() {
        if (high) {
            const int s = 31 - __builtin_clz(high);
            high ^= 1u << s;
            return 32 + s;
        }
        const int s = 31 - __builtin_clz(low);
        low ^= 1u << s;
        return s;
    }
    SquareSet operator|(const SquareSet& o) const { return SquareSet{low | o.low, high | o.high}; }
    SquareSet operator&(const SquareSet& o) const { return SquareSet{low & o.low, high & o.high}; }
    SquareSet operator~() const { return SquareSet{~low, ~high}; }
    bool operator==(const SquareSet& o) const { return low == o.low && high == o.high; }

private:
    // The number of bits set, in a few operations: the processors that 32-bit Windows programs
    // may assume have no instruction for it.
    static int bits(uint32_t x) {
        x = x - ((x >> 1) & 0x55555555u);
        x = (x & 0x33333333u) + ((x >> 2) & 0x33333333u);
        return static_cast<int>((((x + (x >> 4)) & 0x0F0F0F0Fu) * 0x01010101u) >> 24);
    }
};
