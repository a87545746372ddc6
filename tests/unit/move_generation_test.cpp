// Move generation: chain order, promotions, king safety, the node operations and perft.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "engine/move_generation.h"
#include "test_support.h"
#include "rules/rule_checker.h"

namespace {

const char endgame[] = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
const char promotions[] = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
const char bugCatcher[] = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";


void freeList(MoveList* list) {
    destroyChildren(list);
    delete list;
}

std::vector<std::string> chain(const Board& b, bool kingSafety) {
    MoveList* list = generateMoves(b, table(), kingSafety);
    std::vector<std::string> names;
    for (PositionNode* c = list->firstChild; c; c = c->nextSibling) names.push_back(moveName(c->board->lastMove));
    freeList(list);
    return names;
}

TEST(MoveGenerationTest, ChainOrder) {
    const Board start = fen(startFen);
    MoveList* list = generateMoves(start, table(), true);
    const PositionNode* first = list->firstChild;  // H2-H4 on its own copy, Black to move
    EXPECT_TRUE(list->board == &start && first->parent == list && first->legal == 1 && first->board != &start);
    EXPECT_TRUE(first->board->sideToMove == Black && first->board->at(3, 7) == 0 && start.at(1, 7) == 0);
    freeList(list);

    const std::vector<std::string> white = chain(start, true);
    ASSERT_EQ(white.size(), 20u);
    EXPECT_EQ(std::vector<std::string>(white.begin(), white.begin() + 4),
              (std::vector<std::string>{"H2-H4", "H2-H3", "G2-G4", "G2-G3"}));
    EXPECT_EQ(std::vector<std::string>(white.end() - 4, white.end()),
              (std::vector<std::string>{"G1-H3", "G1-F3", "B1-C3", "B1-A3"}));

    const std::vector<std::string> black = chain(fen("rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1"), true);
    ASSERT_EQ(black.size(), 20u);
    EXPECT_EQ(std::vector<std::string>(black.begin(), black.begin() + 3),
              (std::vector<std::string>{"A7-A5", "A7-A6", "B7-B5"}));
    EXPECT_EQ(std::vector<std::string>(black.end() - 4, black.end()),
              (std::vector<std::string>{"B8-A6", "B8-C6", "G8-F6", "G8-H6"}));
}

TEST(MoveGenerationTest, PromotionsQueenBishopKnightRook) {
    const char* twoWays = "n6k/1P6/8/8/8/8/8/K7 w - - 0 1";
    const std::vector<std::pair<const char*, int>> cases = {
        {"7k/P7/8/8/8/8/8/K7 w - - 0 1", 4}, {"k7/8/8/8/8/8/7p/K7 b - - 0 1", 4}, {twoWays, 8}};
    for (const auto& [position, count] : cases) {
        const Board b = fen(position);
        MoveList* list = generateMoves(b, table(), true);
        const PositionNode* c = list->firstChild;
        for (int i = 0; i < count; ++i, c = c->nextSibling) {
            const MoveInfo& m = c->board->lastMove;
            const int piece = 8 - 2 * (i % 4) + b.sideToMove;  // queen, bishop, knight, rook
            EXPECT_EQ(m.promotion, piece) << position << " " << i;
            EXPECT_EQ(c->board->squares[m.toRow * 8 + m.toCol], piece) << position << " " << i;
        }
        freeList(list);
    }
    const std::vector<std::string> names = chain(fen(twoWays), true);
    EXPECT_EQ(names[0] + " " + names[4], "B7-B8Q B7-A8Q");
}

TEST(MoveGenerationTest, KingSafetyOnAndOff) {
    const Board pinned = fen("4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1");
    const std::vector<std::string> off = chain(pinned, false), on = chain(pinned, true);
    EXPECT_EQ(off.size(), 10u);
    EXPECT_NE(std::find(off.begin(), off.end(), "E2-C3"), off.end());
    EXPECT_EQ(on, (std::vector<std::string>{"E1-F2", "E1-D2", "E1-F1", "E1-D1"}));

    EXPECT_EQ(chain(fen("k7/8/1Q6/8/8/8/8/7K b - - 0 1"), true).size(), 0u);   // stalemate
    EXPECT_EQ(chain(fen("k7/8/1Q6/8/8/8/8/7K b - - 0 1"), false).size(), 3u);  // a7 b7 b8
    EXPECT_EQ(chain(fen("k7/8/8/8/8/8/8/8 w - - 0 1"), false).size(), 0u);     // nothing to move
}

// Children tagged A, B, C, D through their plyCount, in that chain order.
std::string order(const PositionNode& node) {
    std::string s;
    for (const PositionNode* c = node.firstChild; c; c = c->nextSibling) s += static_cast<char>('A' + c->board->plyCount);
    return s;
}

TEST(PositionNodeTest, MoveChildToFront) {
    const std::vector<std::pair<int, std::string>> cases = {
        {0, "ABCD"}, {-1, "ABCD"}, {1, "BACD"}, {2, "CABD"}, {3, "DABC"}, {4, "ABCD"}, {50, "ABCD"},
    };
    for (const auto& [index, expected] : cases) {
        PositionNode node;
        for (int tag = 3; tag >= 0; --tag) {
            Board* b = new Board;
            b->plyCount = tag;
            addChild(&node, b);
        }
        ASSERT_EQ(order(node), "ABCD");
        moveChildToFront(&node, index);
        EXPECT_EQ(order(node), expected) << index;
        EXPECT_EQ(childCount(&node), 4);
        destroyChildren(&node);
    }
    PositionNode empty;
    moveChildToFront(&empty, 2);
    EXPECT_EQ(childCount(&empty), 0);
}

TEST(PositionNodeTest, DestroyChildrenFreesTheWholeTree) {
    // A tree three plies deep (a leak shows up under AddressSanitizer).
    Board start = fen(startFen);
    MoveList* root = generateMoves(start, table(), false);
    for (PositionNode* c = root->firstChild; c; c = c->nextSibling) {
        MoveList* sub = generateMoves(*c->board, table(), false);
        c->firstChild = sub->firstChild;
        for (PositionNode* g = c->firstChild; g; g = g->nextSibling) {
            g->parent = c;
            addChild(g, new Board(*g->board));
        }
        delete sub;
    }
    destroyChildren(root);
    delete root;
    EXPECT_EQ(start.at(1, 4), 0);  // the head's board belongs to the caller
}

uint64_t perft(const Board& b, int depth) {
    if (depth == 0) return 1;
    MoveList* list = generateMoves(b, table(), true);
    uint64_t n = 0;
    for (PositionNode* c = list->firstChild; c; c = c->nextSibling) n += depth == 1 ? 1 : perft(*c->board, depth - 1);
    freeList(list);
    return n;
}

TEST(MoveGenerationTest, Perft) {
    const std::vector<std::pair<const char*, std::vector<uint64_t>>> cases = {
        {startFen, {20, 400, 8902, 197281}}, {kiwipete, {48, 2039}},     {endgame, {14, 191, 2812, 43238}},
        {promotions, {6, 264, 9467}},        {bugCatcher, {44, 1486}},
    };
    for (const auto& [position, counts] : cases)
        for (size_t d = 0; d < counts.size(); ++d)
            EXPECT_EQ(perft(fen(position), static_cast<int>(d + 1)), counts[d]) << position << " depth " << d + 1;
}

// The king-safety test as the rules state it: make the move on a copy, list every reply of the
// opponent without king safety, and look for a reply after which the mover has no king.
bool literalKingCapturable(const Board& b, MoveInfo m) {
    Board after(b);
    makeMove(after, m);
    after.switchSide();
    MoveList* replies = generateMoves(after, table(), false);
    bool captured = false;
    for (PositionNode* r = replies->firstChild; r && !captured; r = r->nextSibling)
        captured = r->board->findKing(true) == -1;
    freeList(replies);
    return captured;
}

TEST(MoveGenerationTest, KingSafetyMatchesTheLiteralTest) {
    const std::vector<std::string> starts = {
        startFen, kiwipete, endgame, promotions, bugCatcher,
        "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
        "r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1",
        "4k3/8/8/8/8/8/8/R6R w - - 0 1",     // no white king
        "4k3/8/8/8/8/8/8/K6K w - - 0 1",     // two white kings
        "4k3/8/8/8/8/8/4K3/8 w - - 0 1",
    };
    std::mt19937 rng(20240611);
    int compared = 0, refused = 0;
    for (const std::string& start : starts)
        for (int game = 0; game < 3; ++game) {
            Board b = fen(start);
            for (int ply = 0; ply < 30; ++ply) {
                // Mostly legal moves, now and then any pseudo-legal one (which may take a king).
                std::vector<MoveInfo> moves, legal;
                for (int from = 0; from < 64; ++from) {
                    if (pieceSide(b.squares[from]) != b.sideToMove) continue;
                    for (int to = 0; to < 64; ++to) {
                        const MoveInfo m(from / 8, from % 8, to / 8, to % 8);
                        if (checkMove(b, m, table(), true, false) != Legal) continue;
                        moves.push_back(m);
                        const bool expected = literalKingCapturable(b, m);
                        const RuleError got = checkMove(b, m, table(), true, true);
                        ASSERT_EQ(got, expected ? KingInJeopardy : Legal) << moveName(m) << " in " << start << " ply " << ply;
                        ++compared;
                        refused += expected;
                        if (!expected) legal.push_back(m);
                    }
                }
                if (moves.empty()) break;
                const std::vector<MoveInfo>& pool = legal.empty() || rng() % 4 == 0 ? moves : legal;
                MoveInfo m = pool[rng() % pool.size()];
                const PieceCode p = b.squares[m.fromRow * 8 + m.fromCol];
                if ((p == 0 && m.toRow == 7) || (p == 1 && m.toRow == 0)) m.promotion = static_cast<PieceCode>(8 + p);
                makeMove(b, m);
                b.switchSide();
            }
        }
    EXPECT_GT(compared, 1000);
    EXPECT_GT(refused, 50);
}

}  // namespace
