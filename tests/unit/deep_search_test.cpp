// The deep search's evaluation term by term, and its time for a move, from the clock or a time per
// move. Its draws, limits and answers are checked through the UCI engine (uci_test.cpp).
#include "engine/deep_evaluation.h"
#include "engine/deep_search.h"
#include "test_support.h"

// Material and placement, then the structure terms, for the side to move; each row beside the one
// it differs from by one term.
TEST(DeepSearch, EvaluationTermByTerm) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {startFen, "0 0"}, {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", "-40 -3"},  // for Black
        {"4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", "125 28"}, {"4k3/3p4/8/4P3/8/8/8/4K3 w - - 0 1", "45 0"},  // passed or not
        {"4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", "180 -26"},                                             // doubled, isolated
        {"4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", "640 36"}, {"4k3/8/8/8/8/8/8/2B1KN2 w - - 0 1", "610 3"},  // the bishop pair
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", "500 26"}, {"4k3/p7/8/8/8/8/8/R3K3 w - - 0 1", "395 26"},    // open, half open
        {"r5k1/5ppp/8/8/8/8/5PPP/R5K1 w - - 0 1", "0 0"}, {"r5k1/5ppp/8/8/8/5PPP/8/R5K1 w - - 0 1", "-35 -3"},  // shelter
        {"4k3/8/8/8/3N4/8/8/4K3 w - - 0 1", "340 16"}, {"4k3/8/8/8/8/8/8/N3K3 w - - 0 1", "270 -8"},  // mobility
        {"8/8/8/3k4/8/8/8/K7 w - - 0 1", "-90 0"},  // the kings in the endgame
    };
    for (const auto& [position, expected] : cases) {
        const Board b = fen(position);
        const Placement placement(b);
        EXPECT_EQ(spaced(placement.score(b.sideToMove), structureTerms(b, Occupancy(b), placement)), expected) << position;
    }
}

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
