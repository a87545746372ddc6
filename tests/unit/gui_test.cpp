// What a chess GUI sees of the UCI engine, a behaviour a test: pondering past the clock, each side's
// own clock, threads, searchmoves with promotions, levels, the odds' sign, Chess960 in every notation,
// the table's ages, the standard draws at their exact boundaries, and limits that allow no search.
#include <regex>
#include <set>

#include "engine/clock.h"
#include "engine/deep/levels.h"
#include "test_support.h"
#include "uci.h"

namespace {

const char middlegame[] = "position fen r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19";

// What the engine said to the lines, each handled in turn, its search waited for at the end.
std::string said(const std::vector<std::string>& lines) {
    UciEngine uci;
    std::ostringstream out;
    for (const std::string& line : lines) uci.handle(line, out);
    uci.wait();
    return out.str();
}

// The numbers that follow `field` in the info lines, in order.
std::vector<long long> field(const std::string& out, const std::string& name) {
    std::vector<long long> values;
    const std::regex number(" " + name + " (-?\\d+)");
    for (std::sregex_iterator i(out.begin(), out.end(), number), end; i != end; ++i) values.push_back(std::stoll((*i)[1]));
    return values;
}

std::string bestmove(const std::string& out) {
    std::smatch m;
    return std::regex_search(out, m, std::regex("bestmove (\\S+)")) ? m[1].str() : "";
}

}  // namespace

// A ponder search goes on deepening past its clock's limits until ponderhit, then answers at once;
// one that ended before ponderhit answers as soon as it comes.
TEST(Gui, PonderingIgnoresTheClockUntilPonderhit) {
    const std::string out = run("(printf '%s\\n' '" + std::string(middlegame) + "' 'go ponder wtime 3000 btime 3000'; sleep 2; "
                                "printf 'ponderhit\\n'; sleep 0.5) |", VIMOCHESS_UCI).second;
    const std::vector<long long> times = field(out, "time");  // of the iterations it finished
    EXPECT_TRUE(!times.empty() && times.back() >= 400 && bestmove(out) != "") << out;  // its hard limit: 250 ms
    UciEngine uci;
    std::ostringstream said;
    uci.handle(middlegame, said), uci.handle("go ponder depth 2", said), uci.wait();
    EXPECT_EQ(bestmove(said.str()), "");
    uci.handle("ponderhit", said);
    EXPECT_NE(bestmove(said.str()), "");
}

// What analysing GUIs ask: go infinite searches on until stop (two seconds, which a sanitizer
// build on a busy machine also fills), MultiPV tells that many lines at each depth, and a node
// limit holds for all threads together.
TEST(Gui, AnalysisAsGuisAskIt) {
    const std::string infinite = run("(printf '%s\\n' '" + std::string(middlegame) + "' 'go infinite'; sleep 2; printf 'stop\\n') |",
                                     VIMOCHESS_UCI).second;
    const std::vector<long long> depths = field(infinite, "depth"), times = field(infinite, "time");
    EXPECT_TRUE(!depths.empty() && depths.back() > 3 && times.back() >= 400 && infinite.find("seldepth") != std::string::npos)
        << infinite;
    const std::string lines = said({"setoption name MultiPV value 3", middlegame, "go depth 5"});
    for (const char* k : {"1", "2", "3"})
        EXPECT_TRUE(std::regex_search(lines, std::regex(std::string("info depth 5 seldepth \\d+ multipv ") + k + " "))) << lines;
    for (long long n : field(said({"setoption name Threads value 2", middlegame, "go nodes 20000"}), "nodes")) EXPECT_LE(n, 20000);
}

// A move the rules leave no choice about is played after the first iteration, under any clock.
TEST(Gui, AnOnlyMoveAtOnce) {
    EXPECT_EQ(field(said({"position fen 7k/8/8/8/8/8/6q1/7K w - - 0 1", "go wtime 60000 btime 60000"}), "depth"),
              std::vector<long long>{1});
}

// Each side is timed by its own clock and increment, whatever the other side's are.
TEST(Gui, EachSideItsOwnClock) {
    const std::vector<std::tuple<std::string, std::string, bool>> cases = {  // position, go, a long think
        {"position startpos", "go wtime 80 btime 600000", false},
        {"position startpos moves e2e4", "go wtime 600000 btime 80", false},
        {"position startpos", "go wtime 2000 btime 2000 winc 0 binc 60000", false},
        {"position startpos moves e2e4", "go wtime 2000 btime 2000 winc 60000 binc 0", false},
        {"position startpos", "go wtime 2000 btime 2000 winc 60000 binc 0", true},
    };
    for (const auto& [position, go, long_] : cases) {
        const int64_t start = millisecondClock();
        said({position, go});
        const int64_t spent = millisecondClock() - start;
        EXPECT_TRUE(long_ ? spent >= 300 : spent < 300) << position << ", " << go << ": " << spent << " ms";
    }
}

// Threads 2 searches on two threads: the positions counted are the main thread's and a helper's,
// which a search on one thread, the same each time, never matches.
TEST(Gui, TwoThreadsSearchTogether) {
    const auto nodes = [](const std::string& out) { return field(out, "nodes").empty() ? 0 : field(out, "nodes").back(); };
    const long long one = nodes(said({middlegame, "go depth 10"}));
    EXPECT_TRUE(one > 0 && nodes(said({middlegame, "go depth 10"})) == one);
    EXPECT_NE(nodes(said({"setoption name Threads value 2", middlegame, "go depth 10"})), one);
}

// The moves a GUI lists are the only ones searched, promotions with their piece.
TEST(Gui, SearchmovesWithPromotions) {
    const std::string promote = "position fen 1k6/4P3/8/8/8/8/8/4K3 w - - 0 1";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"go depth 4 searchmoves e7e8n", "e7e8n"}, {"go depth 4 searchmoves e7e8b", "e7e8b"},
        {"go depth 4 searchmoves e7e8b e7e8r", "e7e8r"}, {"go depth 4 searchmoves e7e8b e7e8q", "e7e8q"},
    };
    for (const auto& [go, move] : cases) EXPECT_EQ(bestmove(said({promote, go})), move) << go;
}

// A level searches no more positions a move than its own, and plays other moves in other games.
TEST(Gui, LevelsLimitPositionsAndVary) {
    const std::vector<std::string> weak = {"setoption name UCI_LimitStrength value true", "setoption name UCI_Elo value 1000"};
    std::vector<std::string> lines = weak;
    lines.insert(lines.end(), {middlegame, "go depth 12"});
    const std::vector<long long> nodes = field(said(lines), "nodes");  // an iteration searched to its end, within them
    EXPECT_TRUE(!nodes.empty() && nodes.back() <= deep::levelFor(1000).nodes);
    std::set<std::string> moves;
    lines = weak;
    lines.insert(lines.end(), {"ucinewgame", "position startpos moves e2e4 e7e5", "go wtime 60000 btime 60000"});
    for (int game = 0; game < 12; ++game) moves.insert(bestmove(said(lines)));
    EXPECT_GT(moves.size(), 1u);
}

// The odds of a win are the side to move's: high when it is ahead, low when behind.
TEST(Gui, WinDrawLossFromTheSideToMove) {
    for (const auto& [position, ahead] : std::vector<std::pair<std::string, bool>>{
             {"4k3/8/8/8/8/8/8/Q3K3 w", true}, {"4k3/8/8/8/8/8/8/Q3K3 b", false}, {"3qk3/8/8/8/8/8/8/4K3 w", false}, {"3qk3/8/8/8/8/8/8/4K3 b", true}}) {
        const std::string out = said({"setoption name UCI_ShowWDL value true", "position fen " + position + " - - 0 1", "go depth 4"});
        std::smatch m;
        ASSERT_TRUE(std::regex_search(out, m, std::regex("wdl (\\d+) (\\d+) (\\d+)"))) << out;
        EXPECT_EQ(std::stoi(m[1]) > std::stoi(m[3]), ahead) << position << ": " << m[0];
    }
}

// Chess960 from the start position and from every castling notation GUIs write (KQkq, the rooks'
// files, inner rooks in X-FEN), castling as the king taking its rook.
TEST(Gui, Chess960InEveryNotation) {
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {  // position, king, rook
        {"startpos moves e2e4 e7e5 g1f3 g8f6 f1c4 f8c5 e1h1", "g1", "f1"},
        {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1a1", "c1", "d1"},
        {"fen r3k2r/8/8/8/8/8/8/R3K2R w HAha - 0 1 moves e1h1 e8a8", "g1", "f1"},
        {"fen 1r2k1r1/8/8/8/8/8/8/1R2K1R1 w KQkq - 0 1 moves e1b1", "c1", "d1"},
        {"fen 1r2k1r1/8/8/8/8/8/6P1/1R2K1R1 w GBgb - 0 1 moves e1g1", "g1", "f1"},
        {"fen rk5r/8/8/8/8/8/8/RK5R w HAha - 0 1 moves b1h1", "g1", "f1"},
    };
    for (const auto& [position, king, rook] : cases) {
        UciEngine uci;
        std::ostringstream out;
        uci.handle("setoption name UCI_Chess960 value true", out), uci.handle("position " + position, out);
        const Board& b = *uci.game()->board;
        EXPECT_EQ(spaced(out.str(), b.at(0, king[0] - 'a'), b.at(0, rook[0] - 'a')), spaced("", WhiteKing, WhiteRook)) << position;
        uci.handle("go depth 3", out), uci.wait();
        EXPECT_NE(bestmove(out.str()), "0000") << position;
    }
}

// A new search does not count the entries of the one before as its own: the table fills anew.
TEST(Gui, EachSearchFillsTheTableAnew) {
    const std::vector<long long> full =
        field(said({"setoption name Hash value 1", middlegame, "go depth 12", "position startpos", "go depth 1"}), "hashfull");
    ASSERT_GE(full.size(), 2u);
    EXPECT_GE(full[full.size() - 2], 200);
    EXPECT_LE(full.back(), 50);
}

// Standard chess's draws at their exact boundaries: the 100th half-move without a capture or pawn
// move, and a repetition of the position that a capture has just made.
TEST(Gui, DrawsAtTheirBoundaries) {
    const std::string queen = "position fen 8/8/8/3k4/8/8/8/Q3K3 w - - ",
                      queenDown = "position fen rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves ";
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {  // position, a draw, the move
        {queen + "99 80", true, ""}, {queen + "90 80", false, ""},
        {queenDown + "g1f3 g8f6 f3g1", true, "f6g8"},  // back to the position of clock 0
    };
    for (const auto& [position, draw, move] : cases) {
        const std::string out = said({position, "go depth 1"});  // the draw at the horizon itself
        const std::vector<long long> scores = field(out, "cp");
        ASSERT_FALSE(scores.empty()) << out;
        EXPECT_EQ(scores.back() == 0, draw) << position << "\n" << out;
        if (!move.empty()) {
            EXPECT_EQ(bestmove(out), move) << position;
        }
    }
}

// A limit that allows no search is refused, and the move is found as without it.
TEST(Gui, LimitsThatAllowNoSearch) {
    for (const char* go : {"go nodes 0", "go nodes -5"}) {
        const std::string out = said({"position startpos", go});
        EXPECT_TRUE(std::regex_search(out, std::regex("^info string go: 'nodes' needs a number above 0, not '-?[05]'\n"))) << out;
        EXPECT_EQ(bestmove(out), "e2e4") << out;  // the window's engine, from its book
    }
}

// EvalFile chooses the evaluation: the net carried and the same net from its file search alike, the
// hand-made terms otherwise; a file that is no net is refused, and the evaluation stays.
TEST(Gui, EvalFileChoosesTheEvaluation) {
    const auto nodes = [](const std::string& evaluation) {
        const std::string out = said({"setoption name EvalFile value " + evaluation, middlegame, "go depth 8"});
        const std::vector<long long> n = field(out, "nodes");
        return n.empty() ? 0 : n.back();
    };
    const long long carried = nodes("<built-in>");
    EXPECT_EQ(nodes(std::string(VIMOCHESS_SOURCE_DIR) + "/engine/deep/network.nnue"), carried);
    EXPECT_NE(nodes("<hand-made>"), carried);
    EXPECT_EQ(nodes("/nonexistent.nnue"), nodes(deep::startingEvaluation));
    EXPECT_EQ(said({"setoption name EvalFile value /nonexistent.nnue"}),
              "info string EvalFile: cannot read /nonexistent.nnue; the evaluation stays as it was\n");
}
