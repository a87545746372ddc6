// The chess rules: board model, move geometry, the rule checker, making moves, end of game.
#include "test_support.h"
#include "rules/game_end.h"
#include "rules/rule_checker.h"

namespace {

TEST(BoardTest, StartPositionKingsAndSides) {
    Board b;
    b.sideToMove = Black;
    b.setStartPosition();
    EXPECT_TRUE(sameBoard(b, fen(startFen)));  // White to move, all rights, last move -10,-1,-1,-1
    b.switchSide();
    EXPECT_EQ(std::vector<int>({b.findKing(true), b.findKing(false), b.findKingOfColour(White), b.findKingOfColour(7)}),
              std::vector<int>({60, 4, 4, 60}));
    EXPECT_EQ(fen("4k2K/8/8/8/8/8/8/6K1 w - - 0 1").findKing(true), 6);  // the first king in index order
    const Board r = fen("r3k2r/8/8/8/3Pp3/8/8/R3K2R b Kq d3 7 20");  // the FEN reader's fields
    EXPECT_EQ(std::vector<int>({r.sideToMove, r.plyCount, r.quietMoveCount, r.castlingRights[0], r.castlingRights[1],
                                r.castlingRights[2], r.castlingRights[3], r.lastMove.fromRow, r.lastMove.toRow}),
              std::vector<int>({1, 39, 7, 1, 0, 0, 1, 1, 3}));
}

// Every non-zero entry of the table from a square.
TEST(MoveTableTest, EntriesFromASquare) {
    auto sq = [](const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a'); };
    const std::vector<std::tuple<PieceCode, const char*, std::map<int, int>>> cases = {
        {4, "a1", {{17, 3}, {10, 3}}},
        {10, "e1", {{3, 3}, {5, 3}, {11, 3}, {12, 3}, {13, 3}, {6, 4}, {2, 8}}},
        {11, "e1", {{3, 3}, {5, 3}, {11, 3}, {12, 3}, {13, 3}}},
        {11, "e8", {{59, 3}, {61, 3}, {51, 3}, {52, 3}, {53, 3}, {62, 4}, {58, 8}}},
        {0, "e2", {{20, 1}, {28, 1}, {19, 2}, {21, 2}}},
        {0, "a5", {{40, 1}, {41, 18}}},
        {1, "e7", {{44, 1}, {36, 1}, {43, 2}, {45, 2}}},
        {1, "h4", {{23, 1}, {22, 18}}},
    };
    for (const auto& [piece, from, entries] : cases) {
        std::map<int, int> actual;
        for (int to = 0; to < 64; ++to)
            if (int f = table().flags[piece][sq(from)][to]) actual[to] = f;
        EXPECT_EQ(actual, entries) << "piece " << int(piece) << " from " << from;
    }
}

// Position, move, ownSide, kingSafety, the code of checkMove.
void runCases(const std::vector<std::tuple<const char*, const char*, bool, bool, int>>& cases) {
    for (const auto& [position, move, ownSide, kingSafety, code] : cases)
        EXPECT_EQ(checkMove(fen(position), mv(move), table(), ownSide, kingSafety), code)
            << position << "  " << move << " ownSide " << ownSide << " kingSafety " << kingSafety;
}

TEST(RuleCheckerTest, EachRuleError) {
    const char* pawnOnE3 = "rnbqkbnr/pppppppp/8/8/8/4p3/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const char* pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    const char* pawnOnD3 = "4k3/8/8/8/8/3p4/8/4K3 w - - 0 1";
    runCases({
        {startFen, "e2e4", 1, 1, 0},
        {startFen, "e7e5", 0, 0, 0},  // the other side's piece, asked with ownSide 0
        {startFen, "e3e4", 1, 1, 1},
        {startFen, "e7e5", 1, 1, 2},
        {startFen, "e2e4", 0, 0, 2},
        {startFen, "e2e2", 1, 1, 3},
        {"rnbqkbnr/pppppppp/8/8/8/4N3/PPPPPPPP/R1BQKBNR w KQkq - 0 1", "e2e3", 1, 1, 4},  // even an own piece
        {pawnOnE3, "e2e4", 1, 1, 7},
        {pawnOnE3, "d2e3", 1, 1, 0},
        {startFen, "b1d2", 1, 1, 5},
        {startFen, "e2d3", 1, 1, 6},
        {startFen, "a1a3", 1, 1, 7},
        {pinned, "e2c3", 1, 1, 10},
        {pinned, "e2c3", 1, 0, 0},
        {pawnOnD3, "e1e2", 1, 1, 10},  // onto a pawn's diagonal
        {pawnOnD3, "e1d2", 1, 1, 0},   // in front of it is safe
        {"4k3/8/8/8/8/8/8/4R2K w - - 0 1", "e1e8", 1, 1, 0},  // taking the king is not refused
    });
}

TEST(RuleCheckerTest, Castling) {
    const char* home = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1";
    const char* pawnOnE2 = "4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1";
    const char* pawnOnG2 = "4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1";
    runCases({
        {home, "e1g1", 1, 1, 0},
        {home, "e1c1", 1, 1, 0},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1", "e8g8", 1, 1, 0},
        {"r3k2r/8/8/8/8/8/8/R3KB1R w KQkq - 0 1", "e1g1", 1, 1, 8},
        {"r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1", "e1g1", 1, 1, 5},
        {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1c1", 1, 1, 9},
        {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", "e1g1", 1, 0, 8},  // in check
        {"r3k2r/8/8/8/5r2/8/8/R3K2R w KQkq - 0 1", "e1g1", 1, 0, 8},  // f1 crossed under attack
        {"r3k2r/8/8/8/6r1/8/8/R3K2R w KQkq - 0 1", "e1g1", 1, 0, 8},  // lands under attack
        {"r3k2r/8/8/8/3r4/8/8/R3K2R w KQkq - 0 1", "e1c1", 1, 0, 9},
        {"r3k2r/8/8/8/1r6/8/8/R3K2R w KQkq - 0 1", "e1c1", 1, 1, 0},  // only b1 attacked
        {"r3k2r/8/8/8/8/8/8/R3K2R w Qkq - 0 1", "e1g1", 1, 1, 8},     // right gone
        {"r3k2r/8/8/8/8/8/8/R3K2R w Kkq - 0 1", "e1c1", 1, 1, 9},
        {"r3k2r/8/8/8/8/8/8/R3K2R b KQk - 0 1", "e8c8", 1, 1, 9},
        {"r3k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", "e1g1", 1, 1, 8},  // no rook in the corner
        // Pawns cover their two forward diagonals, never the square straight ahead.
        {"4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", "e1g1", 1, 0, 8},
        {pawnOnE2, "e1g1", 1, 1, 8},
        {pawnOnE2, "e1c1", 1, 1, 9},
        {pawnOnG2, "e1g1", 1, 1, 8},  // f1 covered
        {"r3k2r/4P3/8/8/8/8/8/4K3 b kq - 0 1", "e8g8", 1, 1, 8},
        {"r3k2r/1P6/8/8/8/8/8/4K3 b kq - 0 1", "e8c8", 1, 1, 9},
    });
    EXPECT_FALSE(squareAttacked(fen(pawnOnG2), 0, 6, table()));  // g1: only the straight step
    EXPECT_TRUE(squareAttacked(fen(pawnOnG2), 0, 5, table()));   // f1
    EXPECT_TRUE(squareAttacked(fen("4k3/8/8/8/8/8/3P4/4K3 b - - 0 1"), 2, 2, table()));
    EXPECT_FALSE(squareAttacked(fen("4k3/8/8/8/8/8/3P4/4K3 b - - 0 1"), 2, 3, table()));
}

TEST(RuleCheckerTest, EnPassant) {
    const char* afterDoubleStep = "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1";
    runCases({
        {afterDoubleStep, "e5d6", 1, 1, 0},
        {afterDoubleStep, "e5f6", 1, 1, 11},
        {"4k3/8/8/2p1pP2/8/8/8/4K3 w - c6 0 1", "f5e6", 1, 1, 11},  // another pawn moved last
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5d6", 1, 1, 11},
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6", 1, 1, 0},  // plain capture
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", 1, 1, 0},
        {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6", 1, 1, 10},  // both pawns leave the rank
    });
    // Only right after the double step: not after a single step, nor after another piece's move.
    for (const MoveInfo& last : {mv("d6d5"), mv("d7d8")}) {
        Board b = fen("3rk3/8/8/3pP3/8/8/8/4K3 w - - 0 1");
        b.lastMove = last;
        EXPECT_EQ(checkMove(b, mv("e5d6"), table(), true, true), EnPassantRefused) << moveName(last);
        makeMove(b, mv("e5d6"));
        EXPECT_EQ(b.at(4, 3), 1) << moveName(last);  // d5 stays
    }
}

TEST(RuleCheckerTest, MoveErrorText) {
    const char* texts[] = {"There's no piece!", "Wrong side!", "Against the rules for this piece!",
                           "Destination square is ocupied!", "Can't grab an own pieces!",
                           "Can't grab empty square!", "Can't jump over pieces!", "Can't do a ?!",
                           "Can't do a ?!", "King is in jeopardy!", "Can't do a ?!"};
    for (int code = -1; code <= 12; ++code) {
        char buffer[64] = "keep";
        moveErrorText(code, buffer);
        EXPECT_STREQ(buffer, code >= 1 && code <= 11 ? texts[code - 1] : "keep") << code;
    }
}

// The position after makeMove, as FEN; the ply count rises by one and the last move records the
// squares only (its promotion stays 12).
TEST(MakeMoveTest, PositionCountersAndRightsAfterTheMove) {
    struct Case {
        const char* fen;
        const char* move;
        const char* after;
        PieceCode promotion = NoPromotion;
    };
    const char* home = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1";
    const char* homeB = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 1";
    const std::vector<Case> cases = {
        // A promotion byte on an ordinary move is ignored; the side to move stays.
        {startFen, "e2e4", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 1", 8},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 9 1", "e4d5", "4k3/8/8/3P4/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 4 20", "e5d6", "4k3/8/3P4/8/8/8/8/4K3 w - - 5 20"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", "4k3/8/8/8/8/3p4/8/4K3 b - - 1 1"},
        {home, "e1g1", "r3k2r/8/8/8/8/8/8/R4RK1 w kq - 4 1"},
        {home, "e1c1", "r3k2r/8/8/8/8/8/8/2KR3R w kq - 4 1"},
        {homeB, "e8g8", "r4rk1/8/8/8/8/8/8/R3K2R b KQ - 4 1"},
        {homeB, "e8c8", "2kr3r/8/8/8/8/8/8/R3K2R b KQ - 4 1"},
        {home, "h1h3", "r3k2r/8/8/8/8/7R/8/R3K3 w Qkq - 4 1"},
        {home, "a1a3", "r3k2r/8/8/8/8/R7/8/4K2R w Kkq - 4 1"},
        // A rook taken on its corner takes the right with it.
        {home, "a1a8", "R3k2r/8/8/8/8/8/8/4K2R w Kk - 0 1"},
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1", "r3k2r/8/8/8/8/8/8/b3K2R b Kkq - 0 1"},
        {"r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1", "g2h1", "r3k2r/8/8/8/8/8/8/R3K2b b Qkq - 0 1"},
        {"r3k2r/6B1/8/8/8/8/8/R3K2R w KQkq - 0 1", "g7h8", "r3k2B/8/8/8/8/8/8/R3K2R w KQq - 0 1"},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8", "k3Q3/8/8/8/8/8/8/4K3 w - - 1 1", 8},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8", "k3P3/8/8/8/8/8/8/4K3 w - - 1 1"},
        {"4k3/8/8/8/8/8/3p4/2B1K3 b - - 0 1", "d2c1", "4k3/8/8/8/8/8/8/2q1K3 b - - 0 1", 9},
    };
    for (const Case& k : cases) {
        Board b = fen(k.fen), expected = fen(k.after);
        expected.plyCount = b.plyCount + 1;
        expected.lastMove = mv(k.move);
        makeMove(b, mv(k.move, k.promotion));
        EXPECT_TRUE(sameBoard(b, expected)) << k.fen << "  " << k.move;
    }
}

TEST(GameEndTest, CheckMateAndStalemate) {
    const std::vector<std::tuple<const char*, bool, bool>> cases = {  // position, check, no legal move
        {startFen, false, false},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", true, true},
        {"k7/8/1Q6/8/8/8/8/7K b - - 0 1", false, true},
        {"3R4/7k/8/8/8/8/5PPP/3r2K1 w - - 0 1", true, false},  // the checking rook can be taken
        {"4r2k/8/8/8/8/8/8/4K2R w - - 0 1", true, false},      // the king can step aside
        {"7k/8/8/8/8/8/5PPP/r5K1 w - - 0 1", true, true},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", true, false},
        {"4k3/3P4/8/8/8/8/8/4K3 b - - 0 1", true, false},
        {"4k3/8/8/8/8/8/8/r3K3 b - - 0 1", false, false},  // only the side to move is examined
        {"8/8/8/8/8/8/r7/4K3 b - - 0 1", false, true},     // no king: every move "exposes" it
    };
    for (const auto& [position, check, noMove] : cases) {
        const Board b = fen(position);
        EXPECT_EQ(isInCheck(b, table()), check) << position;
        EXPECT_EQ(isCheckmate(b, table()), noMove) << position;
        EXPECT_EQ(isStalemate(b, table()), noMove) << position;
    }
}

}  // namespace
