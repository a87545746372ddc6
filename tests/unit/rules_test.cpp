// The chess rules: board model, move geometry, the rule checker, making moves, end of game.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "test_support.h"
#include "rules/board.h"
#include "rules/game_end.h"
#include "rules/move_table.h"
#include "rules/rule_checker.h"

namespace {



int sq(const char* name) { return (name[1] - '1') * 8 + (name[0] - 'a'); }

// "e2e4" -> the move E2 to E4.
MoveInfo mv(const std::string& m, PieceCode promotion = NoPromotion) {
    return MoveInfo(m[1] - '1', m[0] - 'a', m[3] - '1', m[2] - 'a', promotion, 0);
}

// The squares written as the placement field of a FEN record.
std::string placement(const Board& b) {
    std::string s;
    for (int r = 7; r >= 0; --r) {
        for (int c = 0, empty = 0; c < 8; ++c) {
            const PieceCode p = b.at(r, c);
            empty = p == EmptySquare ? empty + 1 : 0;
            if (p != EmptySquare) s += (p >= 0 && p < 12) ? "PpRrNnBbQqKk"[p] : '?';
            if (empty && (c == 7 || b.at(r, c + 1) != EmptySquare)) s += static_cast<char>('0' + empty);
        }
        if (r) s += '/';
    }
    return s;
}

// Everything but the squares.
std::string state(const Board& b) {
    const MoveInfo& m = b.lastMove;
    const uint8_t* r = b.castlingRights;
    char s[128];
    std::snprintf(s, sizeof s, "side %d ply %d quiet %d rights %d%d%d%d last %d,%d-%d,%d/%d/%d", b.sideToMove,
                  b.plyCount, b.quietMoveCount, r[0], r[1], r[2], r[3], m.fromRow, m.fromCol, m.toRow, m.toCol,
                  m.promotion, m.value);
    return s;
}

// --- Board model -------------------------------------------------------------------------------

TEST(BoardTest, EmptyAndStartPosition) {
    Board b;
    EXPECT_EQ(placement(b), "8/8/8/8/8/8/8/8");
    EXPECT_TRUE(b.lastMove.sameSquares(MoveInfo(0, 0, 0, 0)) && b.lastMove.promotion == NoPromotion &&
                b.lastMove.value == 0);
    EXPECT_EQ(b.findKing(true) + b.findKing(false) + b.findKingOfColour(White) + b.findKingOfColour(Black), -4);

    b.lastMove.promotion = 8;  // promotion and value are left as they are
    b.lastMove.value = 77;
    b.sideToMove = Black;
    b.setStartPosition();
    EXPECT_EQ(placement(b), "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR");
    EXPECT_EQ(state(b), "side 0 ply 0 quiet 0 rights 1111 last -10,-1--1,-1/8/77");
    EXPECT_EQ(std::vector<int>({b.findKing(true), b.findKing(false)}), std::vector<int>({4, 60}));
    b.sideToMove = Black;
    EXPECT_EQ(std::vector<int>({b.findKing(true), b.findKing(false)}), std::vector<int>({60, 4}));
    EXPECT_EQ(std::vector<int>({b.findKingOfColour(White), b.findKingOfColour(7)}), std::vector<int>({4, 60}));

    b = fen("4k2K/8/8/8/8/8/8/6K1 w - - 0 1");  // the first king in index order
    EXPECT_EQ(b.findKing(true), 6);
    EXPECT_EQ(b.findKingOfColour(White), 6);
}

TEST(BoardTest, SwitchSideAndPieceSide) {
    Board b;
    for (auto [before, after] : std::vector<std::pair<int, int>>{{0, 1}, {1, 0}, {5, 0}}) {
        b.sideToMove = before;
        b.switchSide();
        EXPECT_EQ(b.sideToMove, after) << before;
    }
    for (int code = 0; code < 12; ++code) EXPECT_EQ(pieceSide(static_cast<PieceCode>(code)), code % 2);
    for (int code : {12, 13, 100, -1, -128}) EXPECT_EQ(pieceSide(static_cast<PieceCode>(code)), 2) << code;
}

TEST(BoardTest, CopyCarriesEverythingAndIsIndependent) {
    Board b = fen("r3k2r/8/8/3pP3/8/8/8/R3K2R w Kq d6 7 20");
    b.lastMove.promotion = 9;
    b.lastMove.value = -5;
    const std::string before = state(b);
    EXPECT_EQ(before, "side 0 ply 38 quiet 7 rights 1001 last 6,3-4,3/9/-5");
    Board c(b);
    EXPECT_EQ(placement(c), placement(b));
    EXPECT_EQ(state(c), before);
    makeMove(c, mv("e5d6"));
    c.switchSide();
    EXPECT_EQ(placement(b), "r3k2r/8/8/3pP3/8/8/8/R3K2R");
    EXPECT_EQ(state(b), before);
}

// --- Move geometry -----------------------------------------------------------------------------

TEST(MoveTableTest, EntriesFromASquare) {
    struct Case {
        PieceCode piece;
        const char* from;
        std::map<int, int> entries;  // every non-zero entry from that square
    };
    const std::vector<Case> cases = {
        {4, "a1", {{17, 3}, {10, 3}}},
        {4, "h1", {{22, 3}, {13, 3}}},
        {10, "e1", {{3, 3}, {5, 3}, {11, 3}, {12, 3}, {13, 3}, {6, 4}, {2, 8}}},
        {11, "e1", {{3, 3}, {5, 3}, {11, 3}, {12, 3}, {13, 3}}},
        {11, "e8", {{59, 3}, {61, 3}, {51, 3}, {52, 3}, {53, 3}, {62, 4}, {58, 8}}},
        {6, "h1", {{14, 3}, {21, 3}, {28, 3}, {35, 3}, {42, 3}, {49, 3}, {56, 3}}},
        {0, "e2", {{20, 1}, {28, 1}, {19, 2}, {21, 2}}},
        {0, "a5", {{40, 1}, {41, 18}}},
        {0, "d5", {{43, 1}, {42, 18}, {44, 18}}},
        {0, "e6", {{52, 1}, {51, 2}, {53, 2}}},
        {0, "e8", {}},
        {1, "e7", {{44, 1}, {36, 1}, {43, 2}, {45, 2}}},
        {1, "h4", {{23, 1}, {22, 18}}},
        {1, "e3", {{12, 1}, {11, 2}, {13, 2}}},
    };
    for (const Case& k : cases) {
        std::map<int, int> actual;
        for (int to = 0; to < 64; ++to)
            if (int f = table().flags[k.piece][sq(k.from)][to]) actual[to] = f;
        EXPECT_EQ(actual, k.entries) << "piece " << int(k.piece) << " from " << k.from;
    }
}

TEST(MoveTableTest, CountsAndSelfSquares) {
    // piece kind, from-square, number of entries (both colours alike)
    const std::vector<std::tuple<int, const char*, int>> cases = {
        {Rook, "d4", 14}, {Queen, "d4", 27}, {Bishop, "d4", 13}, {Queen, "a1", 21}, {Knight, "d4", 8}, {King, "d4", 8}};
    for (const auto& [kind, from, expected] : cases)
        for (int colour = 0; colour < 2; ++colour) {
            const uint8_t* entries = table().flags[2 * kind + colour][sq(from)];
            EXPECT_EQ(std::count(entries, entries + 64, 3), expected) << kind << " " << from;
        }
    for (int p = 0; p < 12; ++p)
        for (int s = 0; s < 64; ++s) EXPECT_EQ(table().flags[p][s][s], 0) << p << " " << s;
}

// --- Rule checker ------------------------------------------------------------------------------

struct CheckCase {
    const char* fen;
    const char* move;
    bool ownSide, kingSafety;
    int expected;
};

void runCases(const std::vector<CheckCase>& cases) {
    for (const CheckCase& k : cases)
        EXPECT_EQ(checkMove(fen(k.fen), mv(k.move), table(), k.ownSide, k.kingSafety), k.expected)
            << k.fen << "  " << k.move << " ownSide " << k.ownSide << " kingSafety " << k.kingSafety;
}

TEST(RuleCheckerTest, EachRuleError) {
    const char* pawnOnE3 = "rnbqkbnr/pppppppp/8/8/8/4p3/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
    const char* pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    const char* pawnOnD3 = "4k3/8/8/8/8/3p4/8/4K3 w - - 0 1";
    runCases({
        {startFen, "e2e4", 1, 1, 0},
        {startFen, "b1c3", 1, 1, 0},
        {startFen, "e7e5", 0, 0, 0},  // the other side's piece, asked with ownSide 0
        {startFen, "e3e4", 1, 1, 1},
        {startFen, "e7e5", 1, 1, 2},
        {startFen, "e2e4", 0, 0, 2},
        {startFen, "e2e2", 1, 1, 3},
        {"rnbqkbnr/pppppppp/8/8/4p3/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4", 1, 1, 4},
        {pawnOnE3, "e2e3", 1, 1, 4},
        {"rnbqkbnr/pppppppp/8/8/8/4N3/PPPPPPPP/R1BQKBNR w KQkq - 0 1", "e2e3", 1, 1, 4},  // even an own piece
        {pawnOnE3, "e2e4", 1, 1, 7},
        {pawnOnE3, "d2e3", 1, 1, 0},
        {startFen, "b1d2", 1, 1, 5},
        {startFen, "d1e1", 1, 1, 5},
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
    const char* homeB = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1";
    runCases({
        {home, "e1g1", 1, 1, 0},
        {home, "e1c1", 1, 1, 0},
        {homeB, "e8g8", 1, 1, 0},
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
        {"4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1", "e1g1", 1, 1, 8},
        {"4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1", "e1c1", 1, 1, 9},
        {"4k3/8/8/8/8/8/2p5/R3K2R w KQ - 0 1", "e1c1", 1, 1, 9},
        {"4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1", "e1g1", 1, 1, 8},  // f1 covered
        {"r3k2r/4P3/8/8/8/8/8/4K3 b kq - 0 1", "e8g8", 1, 1, 8},
        {"r3k2r/1P6/8/8/8/8/8/4K3 b kq - 0 1", "e8c8", 1, 1, 9},
    });

    Board b = fen("4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1");
    EXPECT_FALSE(squareAttacked(b, 0, 6, table()));  // g1: only the straight step
    EXPECT_TRUE(squareAttacked(b, 0, 5, table()));   // f1
    b = fen("4k3/8/8/8/8/8/3P4/4K3 b - - 0 1");
    EXPECT_TRUE(squareAttacked(b, 2, 2, table()));
    EXPECT_FALSE(squareAttacked(b, 2, 3, table()));
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
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - - 0 1", "e4d3", 1, 1, 11},
        {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6", 1, 1, 10},  // both pawns leave the rank
        {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6", 1, 0, 0},
    });

    // Only right after the double step: not after a single step, nor after another piece's move.
    const std::vector<std::pair<const char*, MoveInfo>> lastMoves = {
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", MoveInfo(5, 3, 4, 3)},
        {"3rk3/8/8/3pP3/8/8/8/4K3 w - - 0 1", MoveInfo(6, 3, 7, 3)},
    };
    for (const auto& [position, last] : lastMoves) {
        Board b = fen(position);
        b.lastMove = last;
        EXPECT_EQ(checkMove(b, mv("e5d6"), table(), true, true), EnPassantRefused) << position;
        makeMove(b, mv("e5d6"));
        EXPECT_EQ(b.at(4, 3), 1) << position;  // d5 stays
    }
}

TEST(RuleCheckerTest, MoveErrorText) {
    const char* texts[] = {"There's no piece!", "Wrong side!", "Against the rules for this piece!",
                           "Destination square is ocupied!", "Can't grab an own pieces!",
                           "Can't grab empty square!", "Can't jump over pieces!", "Can't do a ?!",
                           "Can't do a ?!", "King is in jeopardy!", "Can't do a ?!"};
    for (int code = 1; code <= 11; ++code) {
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        moveErrorText(code, buffer);
        EXPECT_STREQ(buffer, texts[code - 1]) << code;
    }
    for (int code : {0, 12, -1}) {
        char buffer[8] = "keep";
        moveErrorText(code, buffer);
        EXPECT_STREQ(buffer, "keep") << code;
    }
}

// --- Making moves ------------------------------------------------------------------------------

TEST(MakeMoveTest, PositionAndStateAfterTheMove) {
    struct Case {
        const char* fen;
        const char* move;
        PieceCode promotion;
        const char* placement;  // afterwards
        const char* state;
    };
    const char* home = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1";
    const char* homeB = "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 3 1";
    const std::vector<Case> cases = {
        // A promotion byte on an ordinary move is ignored; the side to move stays.
        {startFen, "e2e4", 8, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR", "side 0 ply 1 quiet 1 rights 1111 last 1,4-3,4/12/0"},
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 9 1", "e4d5", 12, "4k3/8/8/3P4/8/8/8/4K3", "side 0 ply 1 quiet 0 rights 0000 last 3,4-4,3/12/0"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 4 1", "e5d6", 12, "4k3/8/3P4/8/8/8/8/4K3", "side 0 ply 1 quiet 5 rights 0000 last 4,4-5,3/12/0"},
        {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3", 12, "4k3/8/8/8/8/3p4/8/4K3", "side 1 ply 2 quiet 1 rights 0000 last 3,4-2,3/12/0"},
        {home, "e1g1", 12, "r3k2r/8/8/8/8/8/8/R4RK1", "side 0 ply 1 quiet 4 rights 0011 last 0,4-0,6/12/0"},
        {home, "e1c1", 12, "r3k2r/8/8/8/8/8/8/2KR3R", "side 0 ply 1 quiet 4 rights 0011 last 0,4-0,2/12/0"},
        {homeB, "e8g8", 12, "r4rk1/8/8/8/8/8/8/R3K2R", "side 1 ply 2 quiet 4 rights 1100 last 7,4-7,6/12/0"},
        {homeB, "e8c8", 12, "2kr3r/8/8/8/8/8/8/R3K2R", "side 1 ply 2 quiet 4 rights 1100 last 7,4-7,2/12/0"},
        {home, "h1h3", 12, "r3k2r/8/8/8/8/7R/8/R3K3", "side 0 ply 1 quiet 4 rights 0111 last 0,7-2,7/12/0"},
        {home, "a1a3", 12, "r3k2r/8/8/8/8/R7/8/4K2R", "side 0 ply 1 quiet 4 rights 1011 last 0,0-2,0/12/0"},
        // A rook taken on its corner takes the right with it.
        {home, "a1a8", 12, "R3k2r/8/8/8/8/8/8/4K2R", "side 0 ply 1 quiet 0 rights 1010 last 0,0-7,0/12/0"},
        {"r3k2r/8/8/8/8/8/1b6/R3K2R b KQkq - 0 1", "b2a1", 12, "r3k2r/8/8/8/8/8/8/b3K2R", "side 1 ply 2 quiet 0 rights 1011 last 1,1-0,0/12/0"},
        {"r3k2r/8/8/8/8/8/6b1/R3K2R b KQkq - 0 1", "g2h1", 12, "r3k2r/8/8/8/8/8/8/R3K2b", "side 1 ply 2 quiet 0 rights 0111 last 1,6-0,7/12/0"},
        {"r3k2r/6B1/8/8/8/8/8/R3K2R w KQkq - 0 1", "g7h8", 12, "r3k2B/8/8/8/8/8/8/R3K2R", "side 0 ply 1 quiet 0 rights 1101 last 6,6-7,7/12/0"},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8", 8, "k3Q3/8/8/8/8/8/8/4K3", "side 0 ply 1 quiet 1 rights 0000 last 6,4-7,4/12/0"},
        {"k7/4P3/8/8/8/8/8/4K3 w - - 0 1", "e7e8", 12, "k3P3/8/8/8/8/8/8/4K3", "side 0 ply 1 quiet 1 rights 0000 last 6,4-7,4/12/0"},
        {"4k3/8/8/8/8/8/3p4/2B1K3 b - - 0 1", "d2c1", 9, "4k3/8/8/8/8/8/8/2q1K3", "side 1 ply 2 quiet 0 rights 0000 last 1,3-0,2/12/0"},
    };
    for (const Case& k : cases) {
        Board b = fen(k.fen);
        makeMove(b, mv(k.move, k.promotion));
        EXPECT_EQ(placement(b), k.placement) << k.fen << "  " << k.move;
        EXPECT_EQ(state(b), k.state) << k.fen << "  " << k.move;
    }
}

// --- Check, mate and stalemate -----------------------------------------------------------------

TEST(GameEndTest, CheckMateAndStalemate) {
    struct Case {
        const char* fen;
        bool check, noMove;
    };
    const std::vector<Case> cases = {
        {startFen, false, false},
        {"rnb1kbnr/pppp1ppp/8/4p3/6Pq/5P2/PPPPP2P/RNBQKBNR w KQkq - 1 3", true, true},
        {"k7/8/1Q6/8/8/8/8/7K b - - 0 1", false, true},
        {"3R4/7k/8/8/8/8/5PPP/3r2K1 w - - 0 1", true, false},  // the checking rook can be taken
        {"4r2k/8/8/8/8/8/8/4K2R w - - 0 1", true, false},      // the king can step aside
        {"7k/8/8/8/8/8/5PPP/r5K1 w - - 0 1", true, true},
        {"4k3/8/8/8/8/8/3p4/4K3 w - - 0 1", true, false},
        {"4k3/3P4/8/8/8/8/8/4K3 b - - 0 1", true, false},
        {"8/8/8/8/8/8/4k3/4K3 w - - 0 1", true, false},
        {"4k3/8/8/8/8/8/8/r3K3 b - - 0 1", false, false},  // only the side to move is examined
        {"8/8/8/8/8/8/r7/4K3 b - - 0 1", false, true},     // no king: every move "exposes" it
        {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", true, true},
    };
    for (const Case& k : cases) {
        const Board b = fen(k.fen);
        EXPECT_EQ(isInCheck(b, table()), k.check) << k.fen;
        EXPECT_EQ(isCheckmate(b, table()), k.noMove) << k.fen;
        EXPECT_EQ(isStalemate(b, table()), k.noMove) << k.fen;
    }
}

}  // namespace
