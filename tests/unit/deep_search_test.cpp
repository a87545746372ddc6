// The deep search's evaluation term by term, and its time for a move, from the clock or a time per
// move. Its draws, limits and answers are checked through the UCI engine (uci_test.cpp).
#include <set>

#include "engine/deep/evaluation.h"
#include "engine/deep/exchange.h"
#include "engine/deep/history.h"
#include "engine/deep/keys.h"
#include "engine/deep/levels.h"
#include "engine/deep/engine.h"
#include "rules/rule_checker.h"
#include "test_support.h"
#include "uci.h"

using namespace deep;

// Each term where it belongs: the weights a position counts, White's count less Black's, with the
// danger terms apart; and the evaluation is the sum of the weights it counts.
TEST(DeepSearch, EvaluationTerms) {
    const Weights& w = weights;
    struct Case {
        const char* position;
        std::vector<std::pair<const Score*, int>> counted, notCounted;
    };
    const std::vector<Case> cases = {
        {"3k4/8/8/4P3/8/8/8/4K3 w - - 0 1",  // a passed pawn, free, 5 squares from its king, 2 from the other
         {{&w.passed[4], 1}, {&w.passedFree[4], 1}, {&w.passedOwnKing[4], 5}, {&w.passedEnemyKing[4], 2}, {&w.isolated, 1}}, {}},
        {"4k3/8/8/4P3/8/8/8/4K3 w - - 0 1", {{&w.passed[4], 1}}, {{&w.passedFree[4], 1}}},  // the king in its way
        {"4k3/3p4/8/4P3/8/8/8/4K3 w - - 0 1", {}, {{&w.passed[4], 1}}},  // not passed
        {"4k3/8/8/8/8/4P3/4P3/4K3 w - - 0 1", {{&w.doubled, 1}, {&w.isolated, 2}}, {}},
        {"4k3/8/8/8/2PP4/8/8/4K3 w - - 0 1", {{&w.connected[3], 2}}, {{&w.isolated, 1}}},
        {"4k3/8/8/8/8/8/8/2B1KB2 w - - 0 1", {{&w.bishopPair, 1}}, {}},
        {"4k3/8/8/8/8/8/8/2B1KN2 w - - 0 1", {}, {{&w.bishopPair, 1}}},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", {{&w.rookOpenFile, 1}}, {}},
        {"4k3/p7/8/8/8/8/8/R3K3 w - - 0 1", {{&w.rookHalfOpenFile, 1}}, {}},
        {"4k3/8/8/3N4/4P3/8/8/4K3 w - - 0 1", {{&w.outpost[0], 1}}, {}},
        {"4k3/2p5/8/3N4/4P3/8/8/4K3 w - - 0 1", {}, {{&w.outpost[0], 1}}},  // a pawn can still drive it away
        {"4k3/8/2p5/3N4/4P3/8/8/4K3 w - - 0 1", {{&w.threatByPawn, -1}}, {{&w.outpost[0], 1}}},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", {{&w.hanging, 1}}, {}},         // the king takes the pawn
        {"4k3/8/8/8/3n4/4P3/8/4K3 w - - 0 1", {{&w.threatByPawn, 1}, {&w.hanging, 1}}, {}},
        {"r3k3/8/8/8/8/8/8/R3K3 b - - 0 1", {{&w.threatByRook[Rook], 0}, {&w.tempo, -1}}, {}},
    };
    for (const Case& c : cases) {
        const Board b = fen(c.position);
        Trace t;
        evaluateTerms(b, Occupancy(b), t);
        const auto counted = [&](const Score* weight) {
            int n = 0;
            for (const auto& [i, count] : t.linear) n += i == weightIndex(*weight) ? count : 0;
            return n;
        };
        for (const auto& [weight, n] : c.counted) EXPECT_EQ(counted(weight), n) << c.position << " weight " << weightIndex(*weight);
        for (const auto& [weight, n] : c.notCounted) EXPECT_NE(counted(weight), n) << c.position << " weight " << weightIndex(*weight);
    }
    const std::vector<Board> positions = randomPositions(12, 60, 3);
    for (const Board& b : positions) {
        if (positionFault(b) != "") continue;
        Trace t;
        evaluateTerms(b, Occupancy(b), t);
        Evaluation sum;
        for (const auto& [i, count] : t.linear) sum.add((&w.material[0])[i], White, count);
        for (int c = 0; c < 2; ++c)
            for (const auto& [i, count] : t.dangers[c]) sum.danger((&w.material[0])[i], c, count);
        const Placement placement(b);
        ASSERT_EQ(placement.taper(sum.withDangers(), b.sideToMove), evaluate(b, Occupancy(b), placement)) << b.sideToMove;
        // The same position with the colours swapped and the board upside down scores the same.
        Board mirrored;
        for (int s = 0; s < 64; ++s)
            mirrored.squares[s ^ 56] = b.squares[s] == EmptySquare ? EmptySquare : static_cast<PieceCode>(b.squares[s] ^ 1);
        mirrored.sideToMove = opponent(b.sideToMove);
        ASSERT_EQ(evaluate(mirrored, Occupancy(mirrored), Placement(mirrored)), evaluate(b, Occupancy(b), placement));
    }
}

// A move's time by its properties, over clocks, increments, moves to go and overheads: the soft
// limit never above the hard one, the hard one within the clock less the overhead, more time with
// fewer moves to go (without increments), the increment spent as it comes (with no moves to go), and
// a time per move spent whole less the overhead.
TEST(DeepSearch, TimeForAMove) {
    for (int64_t clock : {0, 30, 100, 1000, 10000, 60000, 600000})
        for (int64_t increment : {0, 100, 2000})
            for (int64_t overhead : {0, 50, 500}) {
                TimeBudget before;
                for (int movesToGo : {0, 50, 40, 20, 10, 5, 2, 1}) {
                    Limits l;
                    l.time[Black] = clock, l.increment[Black] = increment, l.movesToGo = movesToGo, l.moveOverhead = overhead;
                    l.time[White] = 600000 - clock, l.increment[White] = 2000 - increment;  // the other side's, unused
                    const TimeBudget b = timeBudget(l, Black);
                    const std::string at = spaced(clock, increment, overhead, movesToGo, b.soft, b.hard);
                    EXPECT_TRUE(b.soft >= 1 && b.soft <= b.hard) << at;
                    EXPECT_TRUE(b.hard <= std::max<int64_t>(1, clock - overhead)) << at;
                    EXPECT_TRUE(clock - overhead < 100 || b.hard < clock - overhead) << at;
                    EXPECT_TRUE(movesToGo == 50 || increment > 0 || b.soft >= before.soft) << at;  // 0: the rest
                    before = b;
                    l.increment[Black] = 0;
                    EXPECT_TRUE(movesToGo > 0 || clock < 20 * increment || clock < 10000 ||
                                b.soft >= timeBudget(l, Black).soft + increment / 2) << at;
                }
            }
    // With one move to go, up to eight tenths of the clock (three tenths otherwise), as docs/uci.md says.
    Limits last;
    last.time[White] = 10000, last.movesToGo = 1, last.moveOverhead = 50;
    EXPECT_EQ(timeBudget(last, White).hard, 7960);
    for (int64_t moveTime : {1, 10, 60, 1000, 30000}) {
        Limits l;
        l.moveTime = moveTime, l.moveOverhead = 50;
        const TimeBudget b = timeBudget(l, White);
        EXPECT_TRUE(b.soft == 0 && b.hard <= moveTime && b.hard >= std::max<int64_t>(1, moveTime - 50) && b.hard >= moveTime * 9 / 10)
            << moveTime;
    }
    // The clock runs from the GUI's go, not from the search's start: time lost before counts.
    Limits late;
    late.time[White] = 10000, late.startedAt = millisecondClock() - 5000;
    EXPECT_TRUE(TimeManager(late, White).outOfTime(false));
}

// A position's key covers each castling right, the side to move and the file of a possible en
// passant capture: all these positions have keys of their own.
TEST(DeepSearch, KeysTellEveryPartOfThePosition) {
    std::vector<std::string> positions;
    for (int rights = 0; rights < 16; ++rights) {
        std::string field;
        for (int r = 0; r < 4; ++r)
            if (rights >> r & 1) field += "KQkq"[r];
        positions.push_back("r3k2r/8/8/8/8/8/8/R3K2R w " + (field.empty() ? "-" : field) + " - 0 1");
    }
    positions.push_back("r3k2r/8/8/8/8/8/8/R3K2R b - - 0 1");
    for (char file = 'a'; file <= 'h'; ++file)
        positions.push_back(std::string(file % 2 ? "4k3/8/8/pPpPpPpP/8/8/8/4K3" : "4k3/8/8/PpPpPpPp/8/8/8/4K3") + " w - " + file + "6 0 1");
    positions.push_back("4k3/8/8/PpPpPpPp/8/8/8/4K3 w - - 0 1");
    std::set<uint64_t> keys;
    for (const std::string& p : positions) keys.insert(positionKey(fen(p)));
    EXPECT_EQ(keys.size(), positions.size());
}

// What fixed-depth searches of well-known positions find, with the evaluation the engine starts
// with: the move and its score, a mate with its distance. Its keys are fixed and it runs on one
// thread, so these never vary; a change to the evaluation, the move order, the pruning or the table
// may change them. When a change is meant to, measure it in matches first, then record the new
// results here (the bench's node count is the search's signature, in scripts/test.sh).
TEST(DeepSearch, RecordedSearches) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {startFen, "e2e4 19"}, {kiwipete, "e2a6 -27"}, {endgame, "b4f4 42"}, {promotions, "c4c5 -396"}, {bugCatcher, "d7c8q 495"},
        {"r1bqkb1r/pppp1ppp/2n2n2/4p2Q/2B1P3/8/PPPP1PPP/RNB1K1NR w KQkq - 4 4", "h5f7 mate 1"},
    };
    for (const auto& [position, expected] : cases) {
        Table table(1);
        const std::atomic<bool> stop{false}, pondering{false};
        Search search(table, stop, pondering);
        search.limits.depth = 7;
        search.network = startingNetwork();
        const MoveInfo best = search.run(fen(position));
        EXPECT_EQ(spaced(uciMoveName(best), pliesToMate(best.value) < maxPly ? uciDeepScore(best.value) : std::to_string(best.value)), expected)
            << position;
    }
}

// What a search learns of the move order carries to the next search that is handed it, on each
// thread, and only to that one: a search without it, or its first with it, starts cold.
TEST(DeepSearch, OrderMemoryCarriesToTheNextSearch) {
    std::vector<std::unique_ptr<ThreadMemory>> memory;
    const auto nodesOf = [&memory](bool kept, int threads) {
        Table table(1);
        const std::atomic<bool> stop{false}, pondering{false};
        Search search(table, stop, pondering);
        search.limits.depth = 7;
        search.threads = threads;
        if (kept) search.memory = &memory;
        search.run(fen(kiwipete));
        return search.nodesSearched();
    };
    const int64_t cold = nodesOf(false, 1);
    EXPECT_EQ(nodesOf(true, 1), cold);
    EXPECT_NE(nodesOf(true, 1), cold);
    EXPECT_EQ(nodesOf(false, 1), cold);
    nodesOf(true, 3);
    EXPECT_EQ(memory.size(), 3u);
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
        Entry entry;
        EXPECT_TRUE(table.probe(0x1234567812345678ull, entry) && entry.scoreAt(readAt) == read) << score;
    }
}

// A position has two slots: a new one takes the place of an earlier search's entry, or else of the
// shallower of the two, so that a deep entry of the current search survives positions that share
// its slots.
TEST(DeepSearch, TableKeepsTheDeeperAndNewerEntry) {
    Table table(1);
    const uint64_t a = 0x1234567812340000ull, b = a ^ 1, c = a + (table.mask + 1), d = b + 2 * (table.mask + 1);
    auto kept = [&](uint64_t key) {
        Entry e;
        return table.probe(key, e);
    };
    table.store(a, 9, 10, 0, ExactBound, Move());
    table.store(b, 2, 20, 0, ExactBound, Move());
    EXPECT_TRUE(kept(a) && kept(b));
    table.store(c, 3, 30, 0, ExactBound, Move());  // the shallower gives way
    EXPECT_TRUE(kept(a) && !kept(b) && kept(c));
    table.age.fetch_add(1);
    table.store(d, 5, 40, 0, ExactBound, Move());  // both are old: the shallower gives way still
    EXPECT_TRUE(kept(a) && !kept(c) && kept(d));
    table.store(b, 1, 50, 0, ExactBound, Move());  // an old entry counts eight plies less than a new one
    EXPECT_TRUE(!kept(a) && kept(b) && kept(d));
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

// Told to stop before it starts, or out of time at once, the search still answers with a move it
// searched: its first iteration's, here the mate in one, never merely the first move it lists.
TEST(DeepSearch, EvenStoppedAtOnceTheAnswerIsSearched) {
    for (int64_t clock : {-1, 0}) {
        Table table(1);
        const std::atomic<bool> stop{clock < 0}, pondering{false};
        Search search(table, stop, pondering);
        search.limits.time[White] = clock;
        EXPECT_EQ(uciMoveName(search.run(fen("7k/8/6K1/8/8/8/8/5Q2 w - - 0 1"))), "f1f8") << clock;
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
        // The floor known without the attackers, on which the search skips the exchange, is never
        // above it, for any move of the position.
        const Occupancy o(b);
        MoveWalk walk(b, o, true, ~SquareSet());
        for (GeneratedMove g; walk.next(g);)
            EXPECT_LE(exchangeAtLeast(b, g.from, g.to), exchangeGain(b, o, g.from, g.to)) << position << " " << g.from << g.to;
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
    // The levels as docs/uci.md tells them: positions a move and the largest error, in centipawns.
    std::string told;
    for (int elo : {1000, 1400, 1800, 2050}) told += spaced(levelFor(elo).nodes, levelFor(elo).noise, "");
    EXPECT_EQ(told, "850 132 7399 67 90000 16 0 0 ");
}
