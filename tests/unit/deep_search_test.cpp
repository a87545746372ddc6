// The deep search's time for a move, from the clock or a time per move. Its draws, limits and
// answers are checked through the UCI engine (uci_test.cpp).
#include "engine/deep_search.h"
#include "test_support.h"

TEST(DeepSearch, TimeForAMove) {
    struct Case {
        int64_t moveTime, clock, increment;
        int movesToGo;
        int64_t soft, hard;
    };
    const std::vector<Case> cases = {
        {1000, -1, 0, 0, 0, 950},       // a time per move, spent whole, less what the GUI loses
        {60, -1, 0, 0, 0, 54},          // of which it keeps a tenth at most
        {0, 10000, 100, 0, 323, 1340},  // the clock: a fortieth and most of the increment
        {0, 100, 0, 0, 1, 5},           // short of time
        {0, 0, 0, 0, 1, 1},             // out of time: answer at once
        {0, 2000, 0, 1, 1560, 1560},    // the last move before the time control
        {0, 2000, 0, 10, 195, 585},
        {300, 10000, 100, 0, 270, 270}, // both: the first limit reached
        {0, -1, 0, 0, 0, 0},            // neither: no time limit
    };
    for (const Case& c : cases) {
        SearchLimits limits;
        limits.moveTime = c.moveTime, limits.time[Black] = c.clock, limits.increment[Black] = c.increment;
        limits.movesToGo = c.movesToGo, limits.moveOverhead = 50;
        const TimeBudget b = timeBudget(limits, Black);
        EXPECT_EQ(spaced(b.soft, b.hard), spaced(c.soft, c.hard)) << c.moveTime << " " << c.clock << " " << c.movesToGo;
        EXPECT_EQ(timeBudget(limits, White).hard, c.moveTime ? (c.moveTime - std::min<int64_t>(50, c.moveTime / 10)) : 0);
    }
}
