// The chess rules: the rule checker's codes and texts, making moves, and the move generator held to
// the checker's answers. Perft counts are checked through the tool (tool_test.cpp).
#include <sstream>

#include "test_support.h"
#include "rules/game_end.h"
#include "rules/move_generator.h"
#include "rules/rule_checker.h"

// Each case: a position and its moves as MOVE=CODE, with ! for a check without king safety and ~ for
// a piece of the side not to move (without king safety).
TEST(RuleChecker, CodeOfEveryRefusalAndItsText) {
    const auto castle = [](const std::string& rank4, const std::string& rights = "w KQkq") {
        return "r3k2r/8/8/8/" + rank4 + "/8/8/R3K2R " + rights + " - 0 1";
    };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {startFen, "e2e4=0 e7e5~0 e3e4=1 e7e5=2 e2e4~2 e2e2=3 b1d2=5 e2d3=6 a1a3=7"},
        {"rnbqkbnr/pppppppp/8/8/8/4p3/PPPPPPPP/RNBQKBNR w KQkq - 0 1", "e2e4=7 d2e3=0"},
        {"rnbqkbnr/pppppppp/8/8/8/4N3/PPPPPPPP/R1BQKBNR w KQkq - 0 1", "e2e3=4"},  // even onto an own piece
        {"4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1", "e2c3=10 e2c3!0"}, {"4k3/8/8/8/8/3p4/8/4K3 w - - 0 1", "e1e2=10 e1d2=0"},
        // Without a king any reply takes "it"; with two, no single reply takes both.
        {"8/8/8/8/8/8/r7/4K3 b - - 0 1", "a2a3=10"}, {"k7/8/8/8/8/8/8/K3K2r w - - 0 1", "a1a2=0"},
        // Castling: the path empty, the king's three squares not attacked, the rook home, the right kept.
        {castle("8"), "e1g1=0 e1c1=0"}, {castle("8", "b KQkq"), "e8g8=0"}, {castle("4r3"), "e1g1!8"},
        {castle("5r2"), "e1g1!8"}, {castle("6r1"), "e1g1!8"}, {castle("3r4"), "e1c1!9"}, {castle("1r6"), "e1c1=0"},
        {castle("8", "w Qkq"), "e1g1=8"}, {castle("8", "b KQk"), "e8c8=9"},
        {"r3k2r/8/8/8/8/8/8/R3KB1R w KQkq - 0 1", "e1g1=8"}, {"r3k2r/8/8/8/8/8/8/R3K1NR w KQkq - 0 1", "e1g1=5"},
        {"r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1", "e1c1=9"}, {"r3k2r/8/8/8/8/8/8/R3K3 w KQkq - 0 1", "e1g1=8"},
        // Pawns cover their two forward diagonals, never the square straight ahead.
        {"4k3/8/8/8/8/8/7p/R3K2R w KQ - 0 1", "e1g1!8"}, {"4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1", "e1g1=8 e1c1=9"},
        {"4k3/8/8/8/8/8/6p1/R3K2R w KQ - 0 1", "e1g1=8"}, {"r3k2r/4P3/8/8/8/8/8/4K3 b kq - 0 1", "e8g8=8"},
        {"r3k2r/1P6/8/8/8/8/8/4K3 b kq - 0 1", "e8c8=9"},
        // En passant: only right after the double step of the pawn beside the capturer.
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6=0 e5f6=11"}, {"4k3/8/8/2p1pP2/8/8/8/4K3 w - c6 0 1", "f5e6=11"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5d6=11"}, {"4k3/8/8/8/3Pp3/8/8/4K3 b - d3 0 1", "e4d3=0"},
        {"4k3/8/3n4/3pP3/8/8/8/4K3 w - d6 0 1", "e5d6=0"}, {"8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "e5d6=10"},
    };
    EXPECT_FALSE(squareAttacked(fen("4k3/8/8/8/8/8/6p1/4K3 w - - 0 1"), 0, 6)) << "g1, straight ahead of g2";
    for (const auto& [position, moves] : cases) {
        std::istringstream in(moves);
        for (std::string m; in >> m;)
            EXPECT_EQ(checkMove(fen(position), mv(m), table(), m[4] != '~', m[4] == '='), std::stoi(m.substr(5)))
                << position << " " << m;
    }
    std::string texts;  // the game, the tool and the UCI engine show the others
    for (int code : {0, 4, 5, 6, 11, 12}) {
        char buffer[64] = "-";
        moveErrorText(code, buffer);
        texts = texts + buffer + "|";
    }
    EXPECT_EQ(texts,
              "-|Destination square is ocupied!|Can't grab an own pieces!|Can't grab empty square!|Can't do a ?!|-|");
}

// The position after makeMove: the ply count rises by one, the side to move stays, the last move
// records the squares only, and every move to an empty square counts as quiet.
TEST(MakeMove, PositionAndCountersAfterTheMove) {
    const std::vector<std::tuple<const char*, const char*, PieceCode, const char*>> cases = {
        {startFen, "e2e4", 8, "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 1 1"},  // no promotion here
        {"4k3/8/8/3p4/4P3/8/8/4K3 w - - 9 1", "e4d5", 12, "4k3/8/8/3P4/8/8/8/4K3 w - - 0 1"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - d6 4 20", "e5d6", 12, "4k3/8/3P4/8/8/8/8/4K3 w - - 5 20"},
        {"4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1", "e5d6", 12, "4k3/8/3P4/3p4/8/8/8/4K3 w - - 1 1"},  // no double step
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 3 1", "e1g1", 12, "r3k2r/8/8/8/8/8/8/R4RK1 w kq - 4 1"},
        {"4k3/8/8/8/8/8/3p4/2B1K3 b - - 0 1", "d2c1", 9, "4k3/8/8/8/8/8/8/2q1K3 b - - 0 1"},
    };
    for (const auto& [before, move, promotion, after] : cases) {
        Board b = fen(before), expected = fen(after);
        expected.plyCount = b.plyCount + 1;
        expected.lastMove = mv(move);
        makeMove(b, mv(move, promotion));
        EXPECT_TRUE(sameBoard(b, expected)) << before << "  " << move;
    }
    // Castling rights go with the king or a rook leaving home, and with a rook taken on its corner.
    std::string rights;
    for (const char* move : {"e1e2", "h1h3", "a1a8", "h1h8", "e8e7", "h8h5", "a8a1", "h8h1"}) {
        Board b = fen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
        makeMove(b, mv(move));
        for (int i = 0; i < 4; ++i) rights += b.castlingRights[i] ? "KQkq"[i] : '-';
        rights += ' ';
    }
    EXPECT_EQ(rights, "--kq -Qkq K-k- -Q-q KQ-- KQ-q K-k- -Q-q ");
}

// The generator lists exactly the moves the checker accepts, with and without king safety, in the
// engine's order, and counts the legal ones alike. Positions from random games (kings missing or
// doubled among them) and the checker's hard cases: castling through attacks, en passant only right
// after the double step and across a pin, pins, promotions.
TEST(MoveGenerator, ListsWhatTheCheckerAcceptsInTheEnginesOrder) {
    std::vector<Board> positions = randomPositions(24, 30, 9);
    for (const char* hard : {"r3k2r/8/8/8/4r3/8/8/R3K2R w KQkq - 0 1", "r3k2r/8/8/8/8/8/8/R3K2R b KQkq - 0 1",
                             "r3k2r/8/8/8/1r6/8/8/R3K2R w KQkq - 0 1", "4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1",
                             "4k3/8/8/3pP3/8/8/8/4K3 w - d6 0 1", "4k3/8/8/3pP3/8/8/8/4K3 w - - 0 1",
                             "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1", "8/8/3k4/8/2pP4/8/8/3RK3 b - d3 0 1",
                             "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1", "4k3/8/8/b7/8/8/3P4/4K3 w - - 0 1", promotions,
                             "2r1k3/1P6/8/8/8/8/6p1/4K2R b K - 0 1", "4k3/8/8/8/8/8/8/r3K2R w K - 0 1"})
        positions.push_back(fen(hard));
    for (const Board& b : positions)
        for (bool safety : {false, true}) {
            const Occupancy occupied(b);
            std::vector<std::string> accepted, listed;  // a promotion once for its four pieces
            std::vector<long> order;
            MoveWalk walk(b, occupied, safety);
            for (GeneratedMove m; walk.next(m);) {
                const int pair = 64 * m.from + m.to, kind = m.promotion == NoPromotion ? 0 : pieceKind(m.promotion);
                order.push_back(4L * (b.sideToMove == White ? 4095 - pair : pair) + (kind ? Queen - kind : 0));
                if (kind == 0 || kind == Queen) listed.push_back(moveName(MoveInfo(m.from >> 3, m.from & 7, m.to >> 3, m.to & 7)));
            }
            for (int pair = 0; pair < 4096; ++pair)
                if (checkMoveBetween(b, pair / 64, pair % 64, table(), true, safety) == Legal)
                    accepted.push_back(moveName(MoveInfo(pair / 512, pair / 64 % 8, pair % 64 / 8, pair % 8)));
            const std::string where = std::string(safety ? "legal" : "pseudo-legal") + " moves, " +
                                      (b.sideToMove == White ? "White" : "Black") + " to move";
            ASSERT_TRUE(std::is_sorted(order.begin(), order.end()) &&
                        std::adjacent_find(order.begin(), order.end()) == order.end()) << where;
            std::sort(listed.begin(), listed.end()), std::sort(accepted.begin(), accepted.end());
            ASSERT_EQ(listed, accepted) << where;
            ASSERT_EQ(safety ? countLegalMoves(b, occupied) : 0, safety ? static_cast<int>(order.size()) : 0) << where;
        }
}
