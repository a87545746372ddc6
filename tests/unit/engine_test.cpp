// Evaluation, opening book, transposition table, search and move choice.
#include <gtest/gtest.h>

#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/move_choice.h"
#include "engine/opening_book.h"
#include "engine/random.h"
#include "engine/search_display.h"
#include "test_support.h"

namespace {

struct EngineTest : ::testing::Test {
    MoveTable* table = new MoveTable;
    TranspositionTable* tt = nullptr;
    void SetUp() override {
        buildMoveTable(*table);
        restartRandom();
        tt = new TranspositionTable(18);
        LoadOpeningBook(*tt);
        showPanelText = nullptr;
    }
    void TearDown() override {
        delete tt;
        delete table;
        showPanelText = nullptr;
    }
    MoveInfo searchRoot(Board& b, int depth, const MoveInfo& first = MoveInfo(0, 0, 0, 0), int beta = scoreLimit,
                        PositionNode* root = nullptr) {
        PositionNode local;
        if (!root) root = &local;
        root->board = &b;
        rootDepth = depth;
        nodeCount = 0;
        return Engine().search(root, *table, *tt, depth, -scoreLimit, beta, &first);
    }
};

// The position reached by playing square-name moves from the start.
Board afterMoves(const std::vector<std::string>& moves) {
    Board b;
    b.setStartPosition();
    for (const std::string& m : moves) {
        makeMove(b, MoveInfo(m.substr(0, 2).c_str(), m.substr(3, 2).c_str()));
        b.switchSide();
    }
    return b;
}

TEST(Evaluation, TermsOnSmallPositions) {
    struct Case {
        const char* fen;
        int value;
    } cases[] = {
        {startFen, 0},
        {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR b KQkq - 0 1", 0},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", -4},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 551},    // 512 - 11 + 50 for the open file
        {"4k3/8/8/8/8/8/8/R3K3 b - - 0 1", -551},
        {"r3k3/8/8/8/8/8/8/4K3 w - - 0 1", -531},   // -512 + 11 - 30: Black's open file weighs less
        {"4k3/8/8/4P3/4P3/4P3/8/4K3 w - - 0 1", 298},  // 104 + 106 + 108, doubled once
        {"4k3/8/8/8/8/2N5/8/4K3 w - - 0 1", 303},   // c3 is central
        {"4k3/8/8/8/8/1N6/8/4K3 w - - 0 1", 287},   // b3 is not
        {"4k3/8/8/3p4/3P4/8/8/4K3 w - - 0 1", 0},   // facing pawns: no single-pawn term
        {"4k3/8/8/8/8/8/P7/4K3 w - - 0 1", 132},    // a lone pawn on its file
        {"8/8/8/8/8/8/8/R7 w - - 0 1", 561},        // a missing king reads as row 0, column -1
        {"R3k3/8/8/8/8/8/8/R3K3 w - - 0 1", 1109},  // 508 + 501, two rooks alone on a file: 50 each
        {"r3k3/8/8/8/8/8/8/R3K3 w - - 0 1", 0},     // rooks of both colours share the file
    };
    for (const Case& c : cases) EXPECT_EQ(Engine().evaluate(fen(c.fen)), c.value) << c.fen;
}

TEST(MoveInfoNames, SquareNamesAndBadLengths) {
    const MoveInfo m("E2", "E4");
    EXPECT_EQ(m.fromRow, 1);
    EXPECT_EQ(m.fromCol, 4);
    EXPECT_EQ(m.toRow, 3);
    EXPECT_EQ(m.toCol, 4);
    EXPECT_EQ(m.promotion, NoPromotion);
    EXPECT_EQ(m.value, 0);
    for (auto names : {std::pair<const char*, const char*>{"E", "E4"}, {"E2", "E45"}, {"E22", "E4"}, {"", "E4"}})
        EXPECT_THROW(MoveInfo(names.first, names.second), EMoveInfo_BADINITIALIZATION);
}

TEST_F(EngineTest, BookAnswersItsPositions) {
    struct Case {
        std::vector<std::string> played;
        const char* answer;
    } cases[] = {
        {{}, "E2-E4"},
        {{"D2-D4"}, "G8-F6"},
        {{"D2-D4", "D7-D5", "C2-C4", "C7-C6"}, "G1-F3"},
        {{"D2-D4", "G8-F6", "C2-C4"}, "E7-E6"},
        {{"D2-D4", "G8-F6", "C2-C4", "G7-G6", "B1-C3", "F8-G7"}, "G2-G3"},
        {{"D2-D4", "G8-F6", "C2-C4", "E7-E6", "B1-C3", "F8-B4"}, "E2-E3"},
        {{"E2-E4"}, "E7-E5"},
        {{"E2-E4", "E7-E5"}, "G1-F3"},
        {{"E2-E4", "E7-E5", "G1-F3", "B8-C6"}, "F1-B5"},
        {{"E2-E4", "E7-E5", "F2-F4"}, "F8-C5"},
    };
    for (const Case& c : cases) {
        const Board b = afterMoves(c.played);
        const TableEntry* e = tt->lookup(b, bookDepth);
        ASSERT_NE(e, nullptr) << c.answer;
        const std::string a = c.answer;
        EXPECT_TRUE(e->move.sameSquares(MoveInfo(a.substr(0, 2).c_str(), a.substr(3, 2).c_str()))) << a;
        EXPECT_EQ(e->move.value, 0);
        EXPECT_EQ(tt->lookup(b, bookDepth + 1), nullptr);
        Board other = b;
        other.switchSide();
        EXPECT_EQ(tt->lookup(other, 0), nullptr) << "the other side to move has no book answer";
    }
}

TEST_F(EngineTest, BookHoldsSeventyNineDistinctPositions) {
    std::set<std::pair<std::string, int>> positions;
    int moves = 0;
    for (const BookLine& line : OpeningBook) {
        Board b;
        b.setStartPosition();
        for (int i = 0; i < line.moveCount; ++i, ++moves) {
            positions.insert({std::string(reinterpret_cast<const char*>(b.squares), 64), b.sideToMove});
            makeMove(b, line.moves[i]);
            b.switchSide();
        }
    }
    EXPECT_EQ(moves, 127);
    EXPECT_EQ(positions.size(), 79u);
}

TEST_F(EngineTest, KeysAreTheGeneratorsDrawsInOrder) {
    std::minstd_rand reference;
    restartRandom();
    TranspositionTable t(18);
    for (int s = 0; s < 64; ++s)
        for (int p = 0; p < 12; ++p) {
            ASSERT_EQ(t.indexKeys[p][s], static_cast<int32_t>(reference() % 262144));
            ASSERT_EQ(t.checkKeys[p][s], static_cast<int32_t>(reference() % 262144));
        }
    EXPECT_EQ(nextRandom(), static_cast<int32_t>(reference()));
    Board empty;
    EXPECT_EQ(t.indexOf(empty), 0);
    EXPECT_EQ(t.checkKeyOf(empty), 0);

    TranspositionTable one(0);
    EXPECT_EQ(one.size(), 1);
    EXPECT_EQ(one.indexOf(fen(startFen)), 0);
}

TEST_F(EngineTest, StoreRule) {
    const Board b = fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    const int32_t i = tt->indexOf(b), k = tt->checkKeyOf(b);
    const MoveInfo first(1, 4, 2, 4, NoPromotion, 5), deeper(1, 4, 3, 4, NoPromotion, 7);
    tt->store(i, k, White, 3, first);  // a free slot always takes it
    ASSERT_NE(tt->lookup(b, 3), nullptr);
    EXPECT_EQ(tt->lookup(b, 4), nullptr);
    tt->store(i, k, White, 3, deeper);  // not deeper: unchanged
    EXPECT_EQ(tt->lookup(b, 3)->move.value, 5);
    tt->store(i, k ^ 1, White, 9, deeper);  // another position: never taken over
    EXPECT_EQ(tt->lookup(b, 3)->move.value, 5);
    tt->store(i, k, White, 4, deeper);  // deeper, same position: replaced
    EXPECT_EQ(tt->lookup(b, 4)->move.value, 7);

    // A book entry stays against a different position and against any search depth.
    const Board start = fen(startFen);
    const int32_t si = tt->indexOf(start);
    tt->store(si, tt->checkKeyOf(start) ^ 1, White, 5, first);
    tt->store(si, tt->checkKeyOf(start), White, 5, first);
    ASSERT_NE(tt->lookup(start, bookDepth), nullptr);
    EXPECT_TRUE(tt->lookup(start, 0)->move.sameSquares(MoveInfo("E2", "E4")));
}

TEST_F(EngineTest, ClearAndReload) {
    const Board start = fen(startFen);
    tt->clear();
    EXPECT_EQ(tt->lookup(start, 0), nullptr);
    for (int32_t i = 0; i < tt->size(); ++i) ASSERT_EQ(tt->entries[i].valid, 0);
    LoadOpeningBook(*tt);
    ASSERT_NE(tt->lookup(start, bookDepth), nullptr);
    EXPECT_TRUE(tt->lookup(start, bookDepth)->move.sameSquares(MoveInfo("E2", "E4")));
}

TEST_F(EngineTest, BookPositionAnswersAtOnce) {
    Board b = fen(startFen);
    std::vector<std::string> shown;
    showPanelText = [](PanelText, const char*) { ADD_FAILURE() << "nothing is drawn for a book answer"; };
    const MoveInfo m = searchRoot(b, 5);
    EXPECT_TRUE(m.sameSquares(MoveInfo("E2", "E4")));
    EXPECT_EQ(m.value, 0);
    EXPECT_EQ(nodeCount, 0);
}

TEST_F(EngineTest, MateAndStalemateScoresByPly) {
    // Mate in one: the mated side scores ply - 10001 at ply 1.
    Board mateInOne = fen("6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1");
    const MoveInfo m = searchRoot(mateInOne, 3);
    EXPECT_TRUE(m.sameSquares(MoveInfo("D1", "D8")));
    EXPECT_EQ(m.value, 10000);

    // A root without a legal move: -10001 when mated, 10001 when stalemated (ply 0).
    Board mated = fen("3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1");
    EXPECT_EQ(searchRoot(mated, 2).value, -10001);
    Board stalemated = fen("k7/8/1Q6/8/8/8/8/7K b - - 0 1");
    EXPECT_EQ(searchRoot(stalemated, 2).value, 10001);
}

TEST_F(EngineTest, RootNamesAMoveWhenEveryMoveStalemates) {
    // Every White move here stalemates Black, which the search scores -10000 for White.
    Board b = fen("k7/P7/K7/R1N5/8/8/7P/8 w - - 0 1");
    const MoveInfo m = searchRoot(b, 3);
    MoveList* legal = generateMoves(b, *table, true);
    ASSERT_NE(legal->firstChild, nullptr);
    EXPECT_TRUE(m.sameSquares(legal->firstChild->board->lastMove));
    EXPECT_EQ(m.value, -scoreLimit);
    destroyChildren(legal);
    delete legal;
    // What the table keeps for the root is still the empty record.
    const TableEntry* e = tt->lookup(b, 3);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->move.sameSquares(MoveInfo(0, 0, 0, 0)));
}

TEST_F(EngineTest, KingCaptureMarksTheNodeIllegal) {
    Board b = fen("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");  // Black is in check, White to move
    PositionNode root;
    searchRoot(b, 2, MoveInfo(0, 0, 0, 0), scoreLimit, &root);
    EXPECT_EQ(root.legal, 0);
    EXPECT_EQ(tt->lookup(b, 0), nullptr) << "an illegal node stores nothing";
}

TEST_F(EngineTest, ProbeIsVerifiedByTheRules) {
    Board b = fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    TableEntry& e = tt->entries[tt->indexOf(b)];
    e = TableEntry();
    e.valid = 1;
    e.side = White;
    e.depth = 9;
    e.key = tt->checkKeyOf(b);
    e.move = MoveInfo(1, 4, 2, 4, NoPromotion, 1234);  // e2-e3: accepted, returned unchanged
    MoveInfo m = searchRoot(b, 3);
    EXPECT_EQ(m.value, 1234);
    EXPECT_EQ(nodeCount, 0);

    for (const MoveInfo& bad : {MoveInfo(3, 3, 4, 4), MoveInfo(-10, -1, -1, -1)}) {  // empty square; off the board
        e.move = bad;
        e.move.value = 1234;
        m = searchRoot(b, 3);
        EXPECT_NE(m.value, 1234);
        EXPECT_GT(nodeCount, 0);
        e.valid = 1;
        e.depth = 9;
        e.key = tt->checkKeyOf(b);
    }
}

TEST_F(EngineTest, BetaCutOffStopsTheWalk) {
    Board b = fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    searchRoot(b, 1, MoveInfo(0, 0, 0, 0), -scoreLimit + 1);
    EXPECT_EQ(nodeCount, 1);
    tt->clear();
    searchRoot(b, 1);
    EXPECT_EQ(nodeCount, 6);  // e2-e3, e2-e4 and four king moves
}

TEST_F(EngineTest, FirstMoveMatchesSquaresAndTheLastMatchWins) {
    // With a window that stops after one child, the result is whatever stands first.
    Board b = fen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const MoveInfo promo = searchRoot(b, 1, MoveInfo(6, 0, 7, 0, 8), -scoreLimit + 1);
    EXPECT_TRUE(promo.sameSquares(MoveInfo(6, 0, 7, 0)));
    EXPECT_EQ(promo.promotion, 2) << "of the four promotions the rook comes last in the chain";
    tt->clear();
    const MoveInfo plain = searchRoot(b, 1, MoveInfo(0, 0, 0, 0), -scoreLimit + 1);
    EXPECT_EQ(plain.promotion, 8) << "without firstMove the queen promotion leads";
}

TEST_F(EngineTest, RootLinesAreShown) {
    static std::vector<std::string> progress, best;
    progress.clear();
    best.clear();
    showPanelText = [](PanelText which, const char* text) {
        if (which == ProgressText) progress.push_back(text);
        if (which == BestMoveText) best.push_back(text);
    };
    Board b = fen("4k3/8/8/8/8/8/4P3/4K3 w - - 0 1");
    const MoveInfo m = searchRoot(b, 1);
    ASSERT_EQ(progress.size(), 6u);
    EXPECT_EQ(progress.front(), "1/6    ");
    EXPECT_EQ(progress.back(), "6/6    ");
    ASSERT_FALSE(best.empty());
    char expected[64];
    formatBestMove(expected, m, m.value);
    EXPECT_EQ(best.back(), expected);
}

TEST(PanelTexts, Formats) {
    char s[64];
    formatNodes(s, 150, 299);
    EXPECT_STREQ(s, "150 p, 0.3 s  ");
    formatSpeed(s, 150, 299);
    EXPECT_STREQ(s, "    500.0 p/s");
    formatNodes(s, 0, 10);
    EXPECT_STREQ(s, "0 p, 0.0 s  ");
    formatSpeed(s, 0, 10);
    EXPECT_STREQ(s, "      0.0 p/s");
    formatValue(s, -12);
    EXPECT_STREQ(s, "   Val:    -12");
    formatDepth(s, 5);
    EXPECT_STREQ(s, "Td: 5     ");
    formatProgress(s, 12, 20);
    EXPECT_STREQ(s, "12/20    ");
    formatBestMove(s, MoveInfo("E2", "E4"), 35);
    EXPECT_STREQ(s, "   E2-E4...     35");
}

TEST_F(EngineTest, ThinkOnlyForTheEnginesSide) {
    Board b = fen(startFen);
    currentMove.store(MoveInfo(1, 2, 3, 4));
    const MoveInfo m = think(b, *table, *tt, false, true);
    EXPECT_TRUE(m.sameSquares(MoveInfo(0, 0, 0, 0)));
    EXPECT_EQ(m.promotion, NoPromotion);
    EXPECT_EQ(m.value, 0);
    EXPECT_EQ(currentMove.load().fromRow, -1) << "currentMove is reset whether or not the engine moves";
    const MoveInfo book = think(b, *table, *tt, true, false);
    EXPECT_TRUE(book.sameSquares(MoveInfo("E2", "E4")));
    EXPECT_EQ(nodeCount, 0);
}

// Draws until the next one is (or is not) divisible by four, so that think's clear is known.
void arrangeNextClear(bool clear) {
    // The sequence was restarted and a table built: replay those draws on a reference.
    std::minstd_rand peek;
    for (int i = 0; i < 2 * 12 * 64; ++i) peek();
    std::minstd_rand ahead = peek;
    while ((ahead() % 4 == 0) != clear) {
        nextRandom();
        peek();
        ahead = peek;
    }
}

TEST_F(EngineTest, ClearAfterTheTenthHalfMoveDropsTheBook) {
    const std::vector<std::string> line = {"D2-D4", "G8-F6", "C2-C4", "E7-E6", "B1-C3",
                                           "F8-B4", "A2-A3", "B4-C3", "B2-C3", "C7-C5"};
    for (int plies : {9, 10}) {
        Board b = afterMoves(std::vector<std::string>(line.begin(), line.begin() + plies));
        delete tt;
        restartRandom();
        tt = new TranspositionTable(18);
        LoadOpeningBook(*tt);
        arrangeNextClear(true);
        think(b, *table, *tt, true, true);
        if (plies == 9)
            EXPECT_EQ(nodeCount, 0) << "cleared and reloaded: still a book answer";
        else
            EXPECT_GT(nodeCount, 0) << "cleared, not reloaded: searched";
    }
}

// Recorded results of the search and the move choice: any change to them is a change of the
// engine's play and must be deliberate. Depth 0 stands for think.
TEST_F(EngineTest, GoldenResults) {
    const char* rookEnding = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
    const char* promotion = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";
    struct Case {
        const char* fen;
        int depth;
        const char* result;
    } cases[] = {
        {kiwipete, 1, "F3-F6 322 48"},
        {kiwipete, 2, "E2-A6 59 274"},
        {kiwipete, 3, "E2-A6 366 5883"},
        {kiwipete, 4, "E2-A6 -7 12209"},
        {rookEnding, 3, "B4-F4 165 824"},
        {rookEnding, 4, "B4-F4 16 3072"},
        {promotion, 1, "D7-C8Q 1067 44"},
        {promotion, 4, "D7-C8Q 162 5703"},
        {"6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1", 4, "D1-D8 10000 774"},
        {"rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1", 0, "D7-D5 120 155217"},
        {"r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5", 0, "E1-G1 137 337783"},
        {"8/5pk1/6p1/8/8/6P1/5PK1/R7 w - - 0 1", 0, "A1-A4 639 27019"},
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", 0, "E8-D7 -136 453"},
        {"r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1", 0, "C4-C5 -276 157675"},
    };
    for (const Case& c : cases) {
        Board b = fen(c.fen);
        delete tt;
        restartRandom();
        tt = new TranspositionTable(18);
        LoadOpeningBook(*tt);
        const MoveInfo m = c.depth ? searchRoot(b, c.depth) : think(b, *table, *tt, true, true);
        const std::string got = moveName(m) + " " + std::to_string(m.value) + " " + std::to_string(nodeCount);
        EXPECT_EQ(got, c.result) << c.fen << " depth " << c.depth;
    }
}

}  // namespace
