// The deep search's evaluation term by term, and its time for a move, from the clock or a time per
// move. Its draws, limits and answers are checked through the UCI engine (uci_test.cpp).
#include "engine/deep/evaluation.h"
#include "engine/deep/exchange.h"
#include "engine/deep/levels.h"
#include "engine/deep/search.h"
#include "rules/rule_checker.h"
#include "test_support.h"
#include "uci.h"

using namespace deep;

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
        Limits limits;
        limits.moveTime = c.moveTime, limits.time[Black] = c.clock, limits.increment[Black] = c.increment;
        limits.movesToGo = c.movesToGo, limits.moveOverhead = 50;
        const TimeBudget b = timeBudget(limits, Black);
        EXPECT_EQ(spaced(b.soft, b.hard), spaced(c.soft, c.hard)) << c.moveTime << " " << c.clock << " " << c.movesToGo;
        EXPECT_EQ(timeBudget(limits, White).hard, c.moveTime ? (c.moveTime - std::min<int64_t>(50, c.moveTime / 10)) : 0);
    }
}

// The search's signature: a fixed-depth search of well-known positions, its move, score and the
// positions it examined. Its keys are fixed and it runs on one thread, so these never vary; any
// change to the evaluation, the move order, the pruning or the table changes them. When a change
// is meant to, measure it in matches first, then record the new figures here.
TEST(DeepSearch, RecordedSearches) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {startFen, "g1f3 36 17137"}, {kiwipete, "e2a6 -8 199995"}, {endgame, "b4f4 0 12015"},
        {promotions, "c4c5 -416 26070"}, {bugCatcher, "d7c8q 529 14285"},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7 31999 218"},  // mate in one
    };
    for (const auto& [position, expected] : cases) {
        Table table(1);
        const std::atomic<bool> stop{false}, pondering{false};
        Search search(table, stop, pondering);
        search.limits.depth = 7;
        const MoveInfo best = search.run(fen(position));
        EXPECT_EQ(spaced(uciMoveName(best), best.value, search.nodesSearched()), expected) << position;
    }
}

// The table keeps a mate's distance from the position itself, so that it holds wherever the
// position comes up again: stored some plies below one root, read at another ply, it counts from
// there. Other scores stay as they are.
TEST(DeepSearch, TableKeepsMatesFromThePosition) {
    const std::vector<std::tuple<int, int, int, int>> cases = {  // score, its ply; ply read, score read
        {mateScore - 7, 3, 5, mateScore - 9}, {7 - mateScore, 3, 1, 5 - mateScore},   // mate in 4 plies
        {mateScore - 1, 1, 0, mateScore}, {150, 3, 9, 150}, {-2500, 0, 9, -2500},
    };
    Table table(1);
    for (const auto& [score, ply, readAt, read] : cases) {
        table.store(0x1234567812345678ull, 5, score, ply, ExactBound, Move());
        EXPECT_EQ(table.probe(0x1234567812345678ull)->scoreAt(readAt), read) << score;
    }
}

// A node limit is never passed, whatever the limit and the position, and the search still names a
// legal move.
TEST(DeepSearch, NodeLimitsNeverPassed) {
    for (const char* position : {startFen, kiwipete, endgame, promotions})
        for (int64_t limit : {1, 2, 37, 500, 4096, 33333}) {
            Table table(1);
            const std::atomic<bool> stop{false}, pondering{false};
            Search search(table, stop, pondering);
            search.limits.nodes = limit;
            const Board b = fen(position);
            const MoveInfo best = search.run(b);
            EXPECT_TRUE(search.nodesSearched() <= limit && checkMove(b, best, ::table(), true, true) == Legal)
                << position << " " << limit << ": " << search.nodesSearched();
        }
}

// What a capture wins when both sides then take back on its square, each with its least valuable
// piece, while taking pays: for the side that captures, in hundredths of a pawn.
TEST(DeepSearch, ExchangeEvaluation) {
    const std::vector<std::tuple<const char*, const char*, int>> cases = {
        {"4k3/8/8/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 300},            // a free piece
        {"4k3/8/2p5/3p4/8/8/8/3QK3 w - - 0 1", "d1d5", -800},          // a pawn defended by a pawn
        {"4k3/8/4p3/3n4/4P3/8/8/4K3 w - - 0 1", "e4d5", 200},          // a knight for a pawn
        {"3r2k1/8/3r4/8/8/8/3R4/3R2K1 w - - 0 1", "d2d6", 500},        // the rook behind takes back last
        {"3r2k1/8/3r4/8/8/8/3R4/4K3 w - - 0 1", "d2d6", 0},            // rook for rook
        {"3q2k1/8/3r4/8/8/8/3R4/3Q2K1 w - - 0 1", "d2d6", 500},        // the queen is not worth risking
        {"4k3/8/8/3p4/4P3/5P2/8/4K3 b - - 0 1", "d5e4", 0},            // pawn for pawn
        {"4k3/2b5/8/4p3/3P4/8/8/4RK2 w - - 0 1", "d4e5", 100},         // taking back would lose the bishop
        {"r2qk3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8q", 400},           // taking while promoting
        {"r3k3/1P6/8/8/8/8/8/4K3 w - - 0 1", "b7a8n", 500},
        {"4k3/8/8/3Pp3/8/8/8/4K3 w - e6 0 1", "d5e6", 100},            // en passant
        {"4k3/8/8/3q4/4K3/8/8/8 w - - 0 1", "e4d5", 900},              // the king, where nothing takes back
        {"4k3/4r3/8/3q4/4K3/8/8/8 w - - 0 1", "e4d5", 900},
    };
    for (const auto& [position, move, gain] : cases) {
        const Board b = fen(position);
        const MoveInfo m = mv(move);
        EXPECT_EQ(exchangeGain(b, Occupancy(b), m.fromRow * 8 + m.fromCol, m.toRow * 8 + m.toCol), gain) << position;
    }
}

// Each level from the lowest to full strength is at least as strong as the one below it: as many
// positions per move or more, and no larger error.
TEST(DeepSearch, LevelsGetStrongerUpward) {
    for (int elo = minElo + 1; elo <= maxElo; ++elo) {
        const Level below = levelFor(elo - 1), level = levelFor(elo);
        const bool moreNodes = level.nodes == 0 || (below.nodes > 0 && level.nodes >= below.nodes);
        EXPECT_TRUE(moreNodes && level.noise <= below.noise && level.noise >= 0) << elo;
    }
    EXPECT_EQ(spaced(levelFor(minElo).noise > 0, levelFor(maxElo).nodes, levelFor(maxElo).noise), "1 0 0");
}
