// vimochess-uci: conversations with the program through its standard input, the recorded game
// replayed through it, positions and their refusals, scores and move names.
#include <regex>

#include "game/game_control.h"
#include "test_support.h"
#include "uci.h"

// The program given the lines on its standard input: what it wrote, without the timings.
static std::string program(const std::vector<std::string>& lines) {
    std::string input;
    for (const std::string& line : lines) input += " '" + line + "'";
    const auto [status, out] = run("printf '%s\\n'" + input + " |", VIMOCHESS_UCI);
    EXPECT_EQ(status, 0);
    return std::regex_replace(out, std::regex(" nps \\d+ time \\d{1,4}"), "");
}

TEST(Uci, Conversations) {
    const std::string book = "info depth 3 score cp 0 nodes 0 pv e2e4\ninfo depth 4 score cp 0 nodes 0 pv e2e4\n"
                             "info depth 5 score cp 0 nodes 0 pv e2e4\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"uci", "quit", "isready"}, "id name VimoChess 0.01a\nid author the VimoChess developers\nuciok\n"},
        {{"  isready \r", "joho isready", "xyzzy", "", "debug on", "setoption name Hash", "stop", "ucinewgame"},
         "readyok\nreadyok\n"},  // an unknown word is skipped; the rest need no answer
        {{"go"}, book + "bestmove e2e4\n"},  // no position: the game's start
        {{"position fen 7k/p7/5KQ1/8/8/8/8/8 b - - 0 1", "go wtime 1000 btime 1000 movestogo 9"},  // a7a6 ties
         "info depth 3 score cp -774 nodes 101 pv a7a5\ninfo depth 4 score mate -1 nodes 1119 pv a7a5\n"
         "info depth 5 score mate -1 nodes 3137 pv a7a5\nbestmove a7a5\n"},
        {{"position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "go", "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1", "go"},
         "bestmove 0000\nbestmove 0000\n"},  // mated, stalemated: no search
        {{"go infinite", "isready", "stop", "stop", "go ponder", "ponderhit", "go infinite", "position startpos"},
         book + "readyok\nbestmove e2e4\n" + book + "bestmove e2e4\n" + book + "bestmove e2e4\n"},  // held for stop
    };
    for (const auto& [lines, expected] : cases) EXPECT_EQ(program(lines), expected) << lines[0];
}

// After "position startpos moves e2e4 e7e5": a bad move ends the list at the last legal move, a bad
// FEN leaves the position, each with one line of information.
TEST(Uci, PositionsAndTheirRefusals) {
    const std::string afterE4E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 2 2";  // both moves quiet
    const std::string promotable = "7k/P7/8/8/8/8/8/K7 w - - 0 1", pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    const std::vector<std::tuple<std::string, std::string, std::string>> cases = {  // command, information, position
        {"startpos moves e2e4 e7e5 g1h3", "", "rnbqkbnr/pppp1ppp/8/4p3/4P3/7N/PPPP1PPP/RNBQKB1R b KQkq - 3 2"},
        {"startpos moves e2e4 a7a6 e4e5 d7d5 e5d6", "", "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 5 3"},
        {"fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", "", "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2"},
        {"fen " + promotable + " moves a7a8n", "", "N6k/8/8/8/8/8/8/K7 b - - 1 1"},
        {"fen k7/8/8/8/8/8/p7/7K b - - 0 9 moves a2a1R", "", "k7/8/8/8/8/8/8/r6K w - - 1 10"},
        {"startpos junk moves e2e4", "ignored 'junk'", "rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq - 1 1"},
        {"fen " + pinned + " moves e2c3", "illegal move e2c3: King is in jeopardy!", pinned},
        {"fen " + promotable + " moves a7a8", "needs its piece", promotable},
        {"startpos moves e2e4 e7e5 e1e2x", "malformed move 'e1e2x'", afterE4E5},
        {"startpos moves e2e4 e7e5 g1g3 b8c6", "illegal move g1g3: Against the rules", afterE4E5},
        {"startpos moves e2e4 e7e5 d2d4q", "only a pawn reaching the last rank", afterE4E5},
        {"fen rnbqkbnr/pppppppp/8/8 w KQkq - 0 1", "bad FEN", afterE4E5},
        {"fen 4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "one king", afterE4E5},
        {"fen 4k2P/8/8/8/8/8/8/4K3 w - - 0 1", "first or last rank", afterE4E5},
        {"fen 4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", "not to move is in check", afterE4E5},
        {"moves e2e4", "needs startpos or fen", afterE4E5},
    };
    for (const auto& [command, info, position] : cases) {
        UciEngine uci;
        std::ostringstream out;
        EXPECT_TRUE(uci.handle("position startpos moves e2e4 e7e5", out) && uci.handle("position " + command, out));
        const std::regex line(info.empty() ? "" : "info string .*" + info + ".*\n");
        EXPECT_TRUE(std::regex_match(out.str(), line)) << out.str();
        Board expected = fen(position);
        expected.lastMove = uci.game()->board->lastMove;
        EXPECT_TRUE(sameBoard(*uci.game()->board, expected)) << command;
    }
}

TEST(Uci, ScoresAndMoveNames) {
    std::string scores;
    for (int value : {0, -120, 10000, 9998, 9999, -9999, -9997, -10000, -9998, 9000}) scores += uciScore(value) + "|";
    EXPECT_EQ(scores, "cp 0|cp -120|mate 1|mate 2|cp 9999|mate -1|mate -2|cp -10000|cp -9998|cp 9000|");
    EXPECT_EQ(spaced(uciMoveName(MoveInfo(7, 4, 7, 2)), uciMoveName(MoveInfo(6, 0, 7, 0, 2)),
                     uciMoveName(MoveInfo(1, 7, 0, 7, 5)), uciMoveName(MoveInfo(1, 7, 0, 7, 9))),
              "e8c8 a7a8r h2h1n h2h1q");
}

// The positions of the recorded game, handed over in order, get the game's moves.
TEST(Uci, TheRecordedGameReplayed) {
    std::istringstream game(engineGame);
    std::vector<std::string> lines;
    std::string position = "position startpos moves", expected;
    for (std::string move; game >> move; position += " " + move) {
        std::transform(move.begin(), move.end(), move.begin(), [](char c) { return std::tolower(c); });
        lines.insert(lines.end(), {position, "go"});
        expected += "bestmove " + move.erase(2, 1) + "\n";
    }
    const std::string out = program(lines);
    EXPECT_EQ(std::regex_replace(out, std::regex("info [^\n]*\n"), ""), expected);
}
