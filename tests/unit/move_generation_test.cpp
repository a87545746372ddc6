// Move generation: chain order, promotions, king safety, the node operations and perft.
#include "test_support.h"
#include "rules/rule_checker.h"

namespace {

TEST(MoveGenerationTest, ChainOrderPromotionsAndKingSafety) {
    const Board start = fen(startFen);
    MoveList* list = generateMoves(start, table(), true);
    const PositionNode* first = list->firstChild;  // H2-H4 on its own copy, Black to move
    EXPECT_TRUE(list->board == &start && first->parent == list && first->legal == 1 && first->board != &start);
    EXPECT_TRUE(first->board->sideToMove == Black && first->board->at(3, 7) == 0 && start.at(1, 7) == 0);
    freeList(list);

    const char* stalemate = "k7/8/1Q6/8/8/8/8/7K b - - 0 1";
    const char* pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    const std::vector<std::tuple<const char*, bool, const char*>> cases = {
        {startFen, true, "H2-H4 H2-H3 G2-G4 G2-G3 F2-F4 F2-F3 E2-E4 E2-E3 D2-D4 D2-D3 C2-C4 C2-C3 B2-B4 B2-B3 "
                         "A2-A4 A2-A3 G1-H3 G1-F3 B1-C3 B1-A3 "},
        {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", true,
         "A7-A5 A7-A6 B7-B5 B7-B6 C7-C5 C7-C6 D7-D5 D7-D6 E7-E5 E7-E6 F7-F5 F7-F6 G7-G5 G7-G6 H7-H5 H7-H6 "
         "B8-A6 B8-C6 G8-F6 G8-H6 "},
        {"k7/8/8/8/8/8/7p/K7 b - - 0 1", true, "H2-H1Q H2-H1B H2-H1N H2-H1R A8-A7 A8-B7 A8-B8 "},
        {"n6k/1P6/8/8/8/8/8/K7 w - - 0 1", true,
         "B7-B8Q B7-B8B B7-B8N B7-B8R B7-A8Q B7-A8B B7-A8N B7-A8R A1-B2 A1-A2 A1-B1 "},
        {pinned, true, "E1-F2 E1-D2 E1-F1 E1-D1 "},
        {pinned, false, "E2-F4 E2-D4 E2-G3 E2-C3 E2-G1 E2-C1 E1-F2 E1-D2 E1-F1 E1-D1 "},
        {stalemate, true, ""},
        {stalemate, false, "A8-A7 A8-B7 A8-B8 "},
        {"k7/8/8/8/8/8/8/8 w - - 0 1", false, ""},  // nothing to move
    };
    for (const auto& [position, kingSafety, expected] : cases) EXPECT_EQ(chain(fen(position), kingSafety), expected) << position;
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
            addChild(&node, new Board);
            node.firstChild->board->plyCount = tag;
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
    // A tree three plies deep below the head (a leak shows up under AddressSanitizer).
    Board start = fen(startFen);
    MoveList* root = generateMoves(start, table(), false);
    for (PositionNode* c = root->firstChild; c; c = c->nextSibling)
        for (int i = 0; i < 3; ++i) addChild(c, new Board), addChild(c->firstChild, new Board);
    freeList(root);
    EXPECT_EQ(start.at(1, 4), 0);  // the head's board belongs to the caller
}

uint64_t perft(const Board& b, int depth) {
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
    int compared = 0, refused = 0;
    for (const Board& b : randomPositions(33, 30, 20240611))
        for (int from = 0; from < 64; ++from)
            for (int to = 0; pieceSide(b.squares[from]) == b.sideToMove && to < 64; ++to) {
                const MoveInfo m(from / 8, from % 8, to / 8, to % 8);
                if (checkMove(b, m, table(), true, false) != Legal) continue;
                const bool expected = literalKingCapturable(b, m);
                ASSERT_EQ(checkMove(b, m, table(), true, true), expected ? KingInJeopardy : Legal) << moveName(m);
                ++compared;
                refused += expected;
            }
    EXPECT_GT(compared, 1000);
    EXPECT_GT(refused, 50);
}

}  // namespace
