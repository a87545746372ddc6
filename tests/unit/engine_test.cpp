// The engine's evaluation terms, the opening book, the panel texts and statistics, the move names, and
// the move choice for a side that is not the engine's. Its recorded results are checked through the
// tool (tool_test.cpp), its fast paths in fast_paths_test.cpp.
#include <regex>
#include <set>
#include <sstream>

#include "engine/clock.h"
#include "engine/window/move_choice.h"
#include "engine/window/panel.h"
#include "engine/window/engine.h"
#include "rules/rule_checker.h"
#include "test_support.h"

// Think leaves a side that is not the engine's alone.
TEST(Engine, ThinkOnlyForTheEnginesSide) {
    SearchContext context;
    const MoveInfo m = think(context, fen(startFen), table(), *newGameTable(), false, true);
    EXPECT_EQ(spaced(moveName(m), int(m.promotion), m.value), "A1-A1 12 0");
}

TEST(Engine, PanelTextsStatisticsAndMoveNames) {
    char s[8][64];
    formatNodes(s[0], 150, 299), formatSpeed(s[1], 150, 299), formatNodes(s[2], 0, 10), formatSpeed(s[3], 0, 10);
    formatValue(s[4], -12), formatDepth(s[5], 5), formatProgress(s[6], 12, 20);
    formatBestMove(s[7], MoveInfo("E2", "E4"), 35);
    EXPECT_EQ(std::vector<std::string>(s, s + 8),
              std::vector<std::string>({"150 p, 0.3 s  ", "    500.0 p/s", "0 p, 0.0 s  ", "      0.0 p/s",
                                        "   Val:    -12", "Td: 5     ", "12/20    ", "   E2-E4...     35"}));
    static std::string shown;  // the statistics of an engine move that searched 150 positions in 100 s
    SearchContext context;
    context.showPanelText = [](PanelText which, const char* text) { shown += std::to_string(which) + text + "|"; };
    context.searchStartClock = millisecondClock() - 100000, context.nodeCount = 150, drawSearchStatistics(context);
    EXPECT_TRUE(std::regex_match(shown, std::regex("2150 p, 100\\.\\d s  \\|3      1\\.5 p/s\\|"))) << shown;
    for (const char* from : {"E", "E22", ""}) EXPECT_THROW(MoveInfo(from, "E4"), EMoveInfo_BADINITIALIZATION) << from;
    EXPECT_THROW(MoveInfo("E2", "E45"), EMoveInfo_BADINITIALIZATION);
}

// Each term of the evaluation alone, for the side to move: pawns 100 and 2 a rank advanced, rook 512,
// knight 310 (15 less off the sixteen centre squares), bishop 308, queen 914, each of these four a
// point less per step to the enemy king; a file's doubled pawns -20, its single pawn facing no pawn
// +30, its rooks alone on it +50 each for White, +30 for Black. No king: row 0, column -1; two: the
// first in square order.
TEST(Engine, EvaluationTerms) {
    std::istringstream cases(
        "4k3/8/8/8/8/8/8/4K3 w=0 4k3/p7/8/P7/8/8/8/4K3 w=6 4k3/p7/8/P7/8/8/8/4K3 b=-6 4k3/8/8/8/8/8/P7/4K3 b=-132 "
        "4k3/8/8/8/8/P7/P7/4K3 w=186 4k3/p7/p7/8/8/8/8/4K3 w=-186 4k3/8/8/8/8/2N5/8/4K3 w=303 "
        "4k3/8/8/8/8/8/8/N3K3 w=284 4k3/8/8/8/8/8/8/2B1K3 w=299 3qk3/8/8/8/8/8/8/4K3 w=-906 "
        "4k3/8/8/8/8/8/8/R3K3 w=551 r3k3/8/8/8/8/8/8/4K3 w=-531 4k3/8/8/8/8/8/R7/R3K3 w=1103 "
        "4k3/8/8/8/8/8/P7/R3K3 w=633 8/8/8/8/8/8/8/Q3K3 w=913 q3k3/8/8/8/8/8/8/K6K w=-907");
    for (std::string board, side; cases >> board >> side;)
        EXPECT_EQ(Engine().evaluate(fen(board + " " + side[0] + " - - 0 1")), std::stoi(side.substr(2))) << board;
}

// Every book line as written: each move legal, each position on the way answered from a new game's
// table with the move of the last line through it, and a digest of the positions, which a typo changes
// even when it makes another legal move.
TEST(OpeningBook, EveryLineAsWritten) {
    const auto tt = newGameTable();
    std::set<std::string> seen;  // the positions of later lines, whose moves the table keeps
    uint64_t digest = 14695981039346656037u;
    for (int n = bookLineCount - 1; n >= 0; --n) {
        Board b = fen(startFen);
        for (const MoveInfo* m = OpeningBook[n].moves; m < OpeningBook[n].moves + OpeningBook[n].moveCount; ++m) {
            const TableEntry* e = tt->lookup(b, bookDepth);
            const bool last = seen.insert(std::string(b.squares, b.squares + 64) + char(b.sideToMove)).second;
            EXPECT_TRUE(checkMove(b, *m, table(), true, true) == Legal && e && (!last || e->move.sameSquares(*m)))
                << "line " << n + 1 << " " << moveName(*m);
            makeMove(b, *m), b.switchSide();
            for (PieceCode p : b.squares) digest = (digest ^ uint64_t(p)) * 1099511628211u;
        }
    }
    EXPECT_EQ(spaced(seen.size(), digest), "79 11905136660176720673");
}
