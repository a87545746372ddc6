// Evaluation, opening book, transposition table, search and move choice.
#include <set>

#include "engine/engine.h"
#include "engine/move_choice.h"
#include "engine/search_display.h"
#include "test_support.h"

namespace {

struct EngineTest : ::testing::Test {
    std::unique_ptr<TranspositionTable> tt = freshTable();
    void TearDown() override { showPanelText = nullptr; }
    MoveInfo searchRoot(Board b, int depth, const MoveInfo& first = MoveInfo(0, 0, 0, 0), int beta = scoreLimit,
                        PositionNode* root = nullptr) {
        PositionNode local;
        if (!root) root = &local;
        root->board = &b;
        rootDepth = depth;
        nodeCount = 0;
        return Engine().search(root, table(), *tt, depth, -scoreLimit, beta, &first);
    }
};

const char pawnEnding[] = "4k3/8/8/8/8/8/4P3/4K3 w - - 0 1";

TEST(Evaluation, TermsOnSmallPositions) {
    const std::vector<std::pair<const char*, int>> cases = {
        {startFen, 0},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 0 1", -4},
        {"4k3/8/8/8/8/8/8/R3K3 w - - 0 1", 551},    // 512 - 11 + 50 for the open file
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
    for (const auto& [position, value] : cases) EXPECT_EQ(Engine().evaluate(fen(position)), value) << position;
}

TEST(MoveInfoNames, SquareNamesAndBadLengths) {
    const MoveInfo m("E2", "E4");
    EXPECT_TRUE(m.sameSquares(MoveInfo(1, 4, 3, 4)) && m.promotion == NoPromotion && m.value == 0);
    for (auto [from, to] : std::vector<std::pair<const char*, const char*>>{{"E", "E4"}, {"E2", "E45"}, {"E22", "E4"}, {"", "E4"}})
        EXPECT_THROW(MoveInfo(from, to), EMoveInfo_BADINITIALIZATION) << from << " " << to;
}

TEST_F(EngineTest, BookAnswersItsPositions) {
    const std::vector<std::pair<std::vector<std::string>, const char*>> cases = {
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
    for (const auto& [played, answer] : cases) {
        Board b = afterMoves(played);
        const TableEntry* e = tt->lookup(b, bookDepth);
        ASSERT_NE(e, nullptr) << answer;
        EXPECT_TRUE(e->move.sameSquares(mv(answer)) && e->move.value == 0) << answer;
        EXPECT_EQ(tt->lookup(b, bookDepth + 1), nullptr);
        b.switchSide();
        EXPECT_EQ(tt->lookup(b, 0), nullptr) << "the other side to move has no book answer";
    }
}

TEST(OpeningBookTest, SeventyNineDistinctPositions) {
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
    for (int s = 0; s < 64; ++s)
        for (int p = 0; p < 12; ++p) {
            const int32_t index = static_cast<int32_t>(reference() % 262144);
            ASSERT_TRUE(tt->indexKeys[p][s] == index && tt->checkKeys[p][s] == int32_t(reference() % 262144));
        }
    EXPECT_EQ(nextRandom(), static_cast<int32_t>(reference()));
}

TEST_F(EngineTest, StoreRuleAndClear) {
    const Board b = fen(pawnEnding);
    const int32_t i = tt->indexOf(b), k = tt->checkKeyOf(b);
    const MoveInfo first(1, 4, 2, 4, NoPromotion, 5), deeper(1, 4, 3, 4, NoPromotion, 7);
    const auto valueAt = [&](int depth) { return tt->lookup(b, depth) ? tt->lookup(b, depth)->move.value : -1; };
    tt->store(i, k, White, 3, first);  // a free slot always takes it
    EXPECT_EQ(valueAt(3), 5);
    EXPECT_EQ(valueAt(4), -1);
    tt->store(i, k, White, 3, deeper);  // not deeper: unchanged
    EXPECT_EQ(valueAt(3), 5);
    tt->store(i, k ^ 1, White, 9, deeper);  // another position: never taken over
    EXPECT_EQ(valueAt(3), 5);
    tt->store(i, k, White, 4, deeper);  // deeper, same position: replaced
    EXPECT_EQ(valueAt(4), 7);

    // A book entry stays against a different position and against any search depth.
    const Board start = fen(startFen);
    const int32_t si = tt->indexOf(start);
    tt->store(si, tt->checkKeyOf(start) ^ 1, White, 5, first);
    tt->store(si, tt->checkKeyOf(start), White, 5, first);
    ASSERT_NE(tt->lookup(start, bookDepth), nullptr);
    EXPECT_TRUE(tt->lookup(start, 0)->move.sameSquares(mv("E2-E4")));

    tt->clear();
    for (int32_t e = 0; e < tt->size(); ++e) ASSERT_EQ(tt->entries[e].valid, 0);
}

TEST_F(EngineTest, MateAndStalemateScoresByPly) {
    // Mate in one: the mated side scores ply - 10001 at ply 1.
    const MoveInfo m = searchRoot(fen("6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1"), 3);
    EXPECT_TRUE(m.sameSquares(mv("D1-D8")));
    EXPECT_EQ(m.value, 10000);
    // A root without a legal move: -10001 when mated, 10001 when stalemated (ply 0).
    EXPECT_EQ(searchRoot(fen("3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1"), 2).value, -10001);
    EXPECT_EQ(searchRoot(fen("k7/8/1Q6/8/8/8/8/7K b - - 0 1"), 2).value, 10001);
}

TEST_F(EngineTest, RootNamesAMoveWhenEveryMoveStalemates) {
    // Every White move here stalemates Black, which the search scores -10000 for White.
    const Board b = fen("k7/P7/K7/R1N5/8/8/7P/8 w - - 0 1");
    const MoveInfo m = searchRoot(b, 3);
    const std::string legal = chain(b, true);
    EXPECT_EQ(moveName(m), legal.substr(0, legal.find(' ')));
    EXPECT_EQ(m.value, -scoreLimit);
    // What the table keeps for the root is still the empty record.
    const TableEntry* e = tt->lookup(b, 3);
    ASSERT_NE(e, nullptr);
    EXPECT_TRUE(e->move.sameSquares(MoveInfo(0, 0, 0, 0)));
}

TEST_F(EngineTest, KingCaptureMarksTheNodeIllegal) {
    const Board b = fen("4k3/8/8/8/8/8/8/4RK2 w - - 0 1");  // Black is in check, White to move
    PositionNode root;
    searchRoot(b, 2, MoveInfo(0, 0, 0, 0), scoreLimit, &root);
    EXPECT_EQ(root.legal, 0);
    EXPECT_EQ(tt->lookup(b, 0), nullptr) << "an illegal node stores nothing";
}

TEST_F(EngineTest, ProbeIsVerifiedByTheRules) {
    showPanelText = [](PanelText, const char*) { ADD_FAILURE() << "nothing is drawn for a stored answer"; };
    const MoveInfo book = searchRoot(fen(startFen), 5);
    EXPECT_TRUE(book.sameSquares(mv("E2-E4")) && book.value == 0 && nodeCount == 0);
    showPanelText = nullptr;

    const Board b = fen(pawnEnding);
    TableEntry& e = tt->entries[tt->indexOf(b)];
    // e2-e3 is accepted and returned unchanged; a move from an empty square or off the board is not.
    for (const MoveInfo& planted : {MoveInfo(1, 4, 2, 4), MoveInfo(3, 3, 4, 4), MoveInfo(-10, -1, -1, -1)}) {
        e = TableEntry{MoveInfo(planted.fromRow, planted.fromCol, planted.toRow, planted.toCol, NoPromotion, 1234),
                       White, 9, 1, tt->checkKeyOf(b)};
        const bool accepted = planted.fromRow == 1;
        EXPECT_EQ(searchRoot(b, 3).value == 1234, accepted) << moveName(planted);
        EXPECT_EQ(nodeCount == 0, accepted) << moveName(planted);
    }
}

TEST_F(EngineTest, BetaCutOffStopsTheWalkAndRootLinesAreShown) {
    const Board b = fen(pawnEnding);
    searchRoot(b, 1, MoveInfo(0, 0, 0, 0), -scoreLimit + 1);
    EXPECT_EQ(nodeCount, 1);
    tt->clear();
    static std::string shown;  // 0: progress, 1: best move so far
    showPanelText = [](PanelText which, const char* text) { shown += std::to_string(which) + text + "|"; };
    searchRoot(b, 1);
    EXPECT_EQ(nodeCount, 6);  // e2-e3, e2-e4 and four king moves
    EXPECT_EQ(shown, "01/6    |1   E2-E4...    136|02/6    |03/6    |04/6    |05/6    |06/6    |");
}

TEST_F(EngineTest, FirstMoveMatchesSquaresAndTheLastMatchWins) {
    // With a window that stops after one child, the result is whatever stands first.
    const Board b = fen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
    const MoveInfo promo = searchRoot(b, 1, MoveInfo(6, 0, 7, 0, 8), -scoreLimit + 1);
    EXPECT_TRUE(promo.sameSquares(MoveInfo(6, 0, 7, 0)));
    EXPECT_EQ(promo.promotion, 2) << "of the four promotions the rook comes last in the chain";
    tt->clear();
    EXPECT_EQ(searchRoot(b, 1, MoveInfo(0, 0, 0, 0), -scoreLimit + 1).promotion, 8) << "else the queen leads";
}

TEST(PanelTexts, Formats) {
    const auto text = [](auto format, auto... args) {
        char s[64];
        format(s, args...);
        return std::string(s);
    };
    EXPECT_EQ(text(formatNodes, 150, 299), "150 p, 0.3 s  ");
    EXPECT_EQ(text(formatSpeed, 150, 299), "    500.0 p/s");
    EXPECT_EQ(text(formatNodes, 0, 10), "0 p, 0.0 s  ");
    EXPECT_EQ(text(formatSpeed, 0, 10), "      0.0 p/s");
    EXPECT_EQ(text(formatValue, -12), "   Val:    -12");
    EXPECT_EQ(text(formatDepth, 5), "Td: 5     ");
    EXPECT_EQ(text(formatProgress, 12, 20), "12/20    ");
    EXPECT_EQ(text(formatBestMove, MoveInfo("E2", "E4"), 35), "   E2-E4...     35");
}

TEST_F(EngineTest, ThinkOnlyForTheEnginesSide) {
    const Board b = fen(startFen);
    currentMove.store(MoveInfo(1, 2, 3, 4));
    const MoveInfo m = think(b, table(), *tt, false, true);
    EXPECT_TRUE(m.sameSquares(MoveInfo(0, 0, 0, 0)) && m.promotion == NoPromotion && m.value == 0);
    EXPECT_EQ(currentMove.load().fromRow, -1) << "currentMove is reset whether or not the engine moves";
    EXPECT_TRUE(think(b, table(), *tt, true, false).sameSquares(mv("E2-E4")));
    EXPECT_EQ(nodeCount, 0);
}

TEST_F(EngineTest, ClearAfterTheTenthHalfMoveDropsTheBook) {
    const std::vector<std::string> line = {"D2-D4", "G8-F6", "C2-C4", "E7-E6", "B1-C3",
                                           "F8-B4", "A2-A3", "B4-C3", "B2-C3", "C7-C5"};
    for (int plies : {9, 10}) {
        tt = freshTable();
        arrangeNextDraw(2 * 12 * 64, true);  // think's draw clears the table
        think(afterMoves(std::vector<std::string>(line.begin(), line.begin() + plies)), table(), *tt, true, true);
        EXPECT_EQ(nodeCount == 0, plies == 9) << "reloaded up to the ninth half-move only, else searched";
    }
}

// Recorded results of the search and the move choice: any change to them is a change of the
// engine's play and must be deliberate. Depth 0 stands for think.
TEST_F(EngineTest, GoldenResults) {
    const std::vector<std::tuple<const char*, int, const char*>> cases = {
        {kiwipete, 1, "F3-F6 322 48"},
        {kiwipete, 2, "E2-A6 59 274"},
        {kiwipete, 3, "E2-A6 366 5883"},
        {kiwipete, 4, "E2-A6 -7 12209"},
        {endgame, 3, "B4-F4 165 824"},
        {endgame, 4, "B4-F4 16 3072"},
        {bugCatcher, 1, "D7-C8Q 1067 44"},
        {bugCatcher, 4, "D7-C8Q 162 5703"},
        {"6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1", 4, "D1-D8 10000 774"},
        {"rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1", 0, "D7-D5 120 155217"},
        {"r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5", 0, "E1-G1 137 337783"},
        {"8/5pk1/6p1/8/8/6P1/5PK1/R7 w - - 0 1", 0, "A1-A4 639 27019"},
        {"4k3/8/8/8/8/8/4P3/4K3 b - - 0 1", 0, "E8-D7 -136 453"},
        {promotions, 0, "C4-C5 -276 157675"},
    };
    for (const auto& [position, depth, result] : cases) {
        tt = freshTable();
        const MoveInfo m = depth ? searchRoot(fen(position), depth) : think(fen(position), table(), *tt, true, true);
        EXPECT_EQ(moveName(m) + " " + std::to_string(m.value) + " " + std::to_string(nodeCount), result)
            << position << " depth " << depth;
    }
}

}  // namespace
