// vimochess-uci: conversations with the program through its standard input, its draws, searches that
// wait or stop, the recorded game replayed through it, positions and their refusals, scores and
// move names.
#include <climits>
#include <iterator>
#include <regex>
#include <set>

#include "game/game_control.h"
#include "test_support.h"
#include "uci.h"

// The program given the lines on its standard input: what it wrote, without the timings (unless
// asSaid).
static std::string program(const std::vector<std::string>& lines, bool asSaid = false) {
    std::string input;
    for (const std::string& line : lines) input += " '" + line + "'";
    const auto [status, out] = run("printf '%s\\n'" + input + " |", VIMOCHESS_UCI);
    EXPECT_EQ(status, 0);
    if (asSaid) return out;
    // The window engine's lines keep their node counts; the deep search's lose them with the times.
    const std::string untimed = std::regex_replace(out, std::regex(" nps \\d+ time \\d{1,4}"), "");
    return std::regex_replace(untimed, std::regex(" nodes \\d+ nps \\d+ hashfull \\d+ time \\d+"), "");
}

TEST(Uci, Conversations) {
    const std::string book = "info depth 3 score cp 0 nodes 0 pv e2e4\ninfo depth 4 score cp 0 nodes 0 pv e2e4\n"
                             "info depth 5 score cp 0 nodes 0 pv e2e4\n";
    const std::string hashMax = sizeof(void*) >= 8 ? "33554432" : "1024";
    const std::string options =
        "option name Threads type spin default 1 min 1 max 64\noption name Hash type spin default 9 min 1 max " + hashMax + "\n"
        "option name Clear Hash type button\n"
        "option name Ponder type check default false\noption name Move Overhead type spin default 50 min 0 max 5000\n"
        "option name MultiPV type spin default 1 min 1 max 500\noption name UCI_LimitStrength type check default false\n"
        "option name UCI_Elo type spin default 2050 min 1000 max 2050\noption name UCI_Chess960 type check default false\n"
        "option name UCI_ShowWDL type check default false\noption name EvalFile type string default " + std::string(deep::startingEvaluation) + "\n"
        "option name Window Engine type check default false\n";
    const std::string mate = "position fen 7k/p7/5KQ1/8/8/8/8/8 b - - 0 1",  // a7a6 ties
                      mated = "info depth 3 score cp -774 nodes 101 pv a7a5\ninfo depth 4 score mate -1 nodes 1119 pv "
                              "a7a5\ninfo depth 5 score mate -1 nodes 3137 pv a7a5\nbestmove a7a5\n";
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"uci", "quit", "isready"}, "id name VimoChess 0.01a\nid author the VimoChess developers\n" + options + "uciok\n"},
        {{"  isready \r", "joho isready", "xyzzy", "", "debug on", "setoption name Hash value 16", "stop", "ucinewgame", "isready"},
         "readyok\nreadyok\nreadyok\n"},  // an unknown word is skipped; the rest need no answer
        {{"setoption name hash value 0", "SetOption Name UCI_LimitStrength Value TRUE", "setoption name uci_elo value 999"},
         "info string Hash takes a number from 1 to " + hashMax + ", not '0'\n"
         "info string UCI_Elo takes a number from 1000 to 2050, not '999'\n"},  // names and checks in any case
        {{"position fen 8/8/8/8/8/8/8/8 w - - 0 1", "go depth 3"},  // a refused position: no move of another
         "info string bad FEN '8/8/8/8/8/8/8/8 w - - 0 1': each side needs exactly one king; the position is refused\n"
         "info string no position to search: bad FEN '8/8/8/8/8/8/8/8 w - - 0 1': each side needs exactly one king\n"
         "bestmove 0000\n"},
        {{"setoption name Hash value 0", "setoption name UCI_Elo value 3000", "setoption name Window Engine value 1",
          "setoption name Hash", "setoption name Nothing value 3", "setoption name Clear Hash"},
         "info string Hash takes a number from 1 to " + hashMax + ", not '0'\ninfo string UCI_Elo takes a number from 1000 to "
         "2050, not '3000'\ninfo string Window Engine is true or false, not '1'\n"
         "info string Hash takes a number from 1 to " + hashMax + ", not ''\ninfo string no option 'Nothing'\n"},
        {{"go"}, book + "bestmove e2e4\n"},  // no position: the game's start; no limit: the window's engine
        {{"setoption name Window Engine value true", "go depth 9 movetime 20"}, book + "bestmove e2e4\n"},
        {{mate, "go", "ucinewgame", mate, "go", "ucinewgame", "go"},
         mated + mated + book + "bestmove e2e4\n"},  // each new game: an empty table with the book, the start
        {{"position fen 7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "go", "position fen 7k/5Q2/6K1/8/8/8/8/8 b - - 0 1",
          "go depth 3"}, "bestmove 0000\nbestmove 0000\n"},  // mated, stalemated: no search
        {{"position fen 7k/8/6K1/8/8/8/8/5Q2 w - - 0 1", "go depth 2", "go depth 1 wtime x"},  // the mate, twice
         "info depth 2 seldepth 2 score mate 1 pv f1f8\nbestmove f1f8\ninfo string go: 'wtime' needs a number, not 'x'\n"
         "info depth 1 seldepth 1 score mate 1 pv f1f8\nbestmove f1f8\n"},
        {{"go nodes"}, "info string go: 'nodes' needs a number, not ''\n" + book + "bestmove e2e4\n"},  // no limit left
        {{"go btime 1000"}, book + "bestmove e2e4\n"},  // Black's clock does not limit White's move
    };
    for (const auto& [lines, expected] : cases) EXPECT_EQ(program(lines), expected) << lines[0];
}

// With limits the engine plays standard chess's draws, from the game the GUI sent: a repetition and
// the fifty-move rule's 100th half-move score 0, so that it keeps clear of them when ahead and goes
// for them when behind. A mate keeps its distance from one iteration to the next.
TEST(Uci, DrawsAndMatesWithLimits) {
    const std::string ahead = "position fen 8/8/4k3/8/3P4/8/8/K6Q w - - ", behind = "position fen 7k/8/8/8/2p5/8/8/K2Q4 b - - ";
    const std::string queenDown = "position fen rnb1kbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 moves ";
    const std::vector<std::pair<std::string, std::string>> cases = {  // position, the end of the answer
        {ahead + "0 80 moves h1c6 e6f5 c6h1 f5e6", "bestmove (?!h1c6)"},       // h1c6 would repeat
        {ahead + "99 80", "score cp [1-9][0-9]* .*\nbestmove d4d5"},         // the only move not drawing
        {behind + "99 80", "score cp 0 .*\nbestmove (?!c4c3)"},              // any king move draws
        {queenDown + "g1f3 g8f6 f3g1 f6g8 g1f3 g8f6 f3g1", "score cp 0 .*\nbestmove f6g8"},  // the third time
        {"position fen 3k4/8/3K4/8/8/8/8/R7 b - - 0 1", "score mate -2 .*\nbestmove"},  // mated, the table remembering
        {ahead + "97 80 moves h1h2 e6e7", "score cp [1-9][0-9]* .*\nbestmove d4d5"},  // the clock counts the moves
        {"position fen 4k3/8/8/8/8/8/r7/R3K3 w - - 99 80", "score cp [1-9][0-9]{2} .*\nbestmove a1a2"},  // a capture resets it
        {"position fen 7k/8/6K1/8/8/8/8/5Q2 w - - 99 80", "score mate 1 .*\nbestmove f1f8"},  // mate on the 100th half-move
        {"position fen rnb1kbnr/pppp1ppp/8/4p3/5P1q/8/PPPPP1PP/RNBQKBNR w KQkq - 1 3", "bestmove g2g3"},  // the only move
    };
    for (const auto& [position, answer] : cases) {
        const std::string out = program({position, "go depth 5"}, true);
        EXPECT_TRUE(std::regex_search(out, std::regex(answer + "[^\n]*\n$"))) << position << "\n" << out;
    }
}

// A mate's distance, whichever side it is for, is the true one also when the table, which keeps what
// the earlier searches of the game found, answers: along a mating line, one search a position. The
// principal variation runs to the mate, and the answer is its first move, the move expected in
// reply its second.
TEST(Uci, MateDistancesAlongALine) {
    std::vector<std::string> lines;
    std::string position = "position fen 8/7k/8/8/4K3/4Q3/8/8 w - - 0 1 moves", scores;
    for (const char* move : {"e3g5", "h7h8", "e4f5", "h8h7", "f5f6", "h7h8", ""})
        lines.insert(lines.end(), {position, "go depth 12"}), position += std::string(" ") + move;
    const std::string out = program(lines);
    const std::regex last("score (mate -?\\d+) pv ([^\n]*)\nbestmove ([^ \n]*)( ponder ([^\n]*))?");
    for (std::sregex_iterator i(out.begin(), out.end(), last), end; i != end; ++i) {
        std::istringstream pv((*i)[2].str());
        std::vector<std::string> moves{std::istream_iterator<std::string>(pv), std::istream_iterator<std::string>()};
        const bool answered = moves[0] == (*i)[3] && (moves.size() == 1 ? !(*i)[4].matched : moves[1] == (*i)[5]);
        scores += spaced((*i)[1].str(), moves.size(), answered) + "|";
    }
    EXPECT_EQ(scores, "mate 4 7 1|mate -3 6 1|mate 3 5 1|mate -2 4 1|mate 2 3 1|mate -1 2 1|mate 1 1 1|") << out;
}

// Options take effect at once: Hash makes a table of its size (a small one fills, a large one made
// anew does not), Clear Hash makes the next search start cold (as ucinewgame does), and
// UCI_LimitStrength without UCI_Elo plays at full strength (levels: gui_test.cpp).
TEST(Uci, OptionsTakeEffect) {
    const std::string middlegame = "position fen r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19";
    const std::string out = program({"setoption name Hash value 1", middlegame, "go depth 11", "setoption name Hash value 64",
                                     "go depth 11", "go depth 11", "setoption name Clear Hash", "go depth 11",
                                     "setoption name UCI_LimitStrength value true", "setoption name Clear Hash", "go depth 11",
                                     "ucinewgame", middlegame, "go depth 11"},
                                    true);
    std::vector<long long> nodes, full;  // of each search's last iteration
    const std::regex last("nodes (\\d+) nps \\d+ hashfull (\\d+) [^\n]*\nbestmove");
    for (std::sregex_iterator i(out.begin(), out.end(), last), end; i != end; ++i)
        nodes.push_back(std::stoll((*i)[1])), full.push_back(std::stoll((*i)[2]));
    ASSERT_EQ(nodes.size(), 6u) << out;
    EXPECT_TRUE(full[0] >= 100 && full[1] <= 20) << out;                   // 1 MB, then 64 MB
    EXPECT_TRUE(nodes[2] * 2 < nodes[1] && nodes[3] == nodes[1]) << out;   // warm, then cleared
    EXPECT_TRUE(nodes[4] == nodes[1] && nodes[5] == nodes[1]) << out;      // limited to the top level; a new game
}

// The answer of go infinite and go ponder waits for stop or ponderhit; isready and stop are taken
// while a search runs; another command waits for a search with limits and stops one without. The
// answer is the first move of the last principal variation told, also when a node limit ends an
// iteration early.
TEST(Uci, SearchesThatWaitOrStop) {
    const std::string mateInOne = "position fen 7k/8/6K1/8/8/8/8/5Q2 w - - 0 1";
    const auto bestmoves = [](const std::string& out) {
        return std::regex_replace(out, std::regex("info [^\n]*\n"), "");
    };
    for (const char* go : {"go infinite", "go ponder wtime 10 btime 10"}) {  // the mate is found at once
        const std::string end = go[3] == 'i' ? "stop" : "ponderhit";
        const auto [status, out] = run("(printf '" + mateInOne + "\\n" + go + "\\n'; sleep 0.3; printf 'isready\\n" + end + "\\n') |",
                                       VIMOCHESS_UCI);
        EXPECT_EQ(bestmoves(out), "readyok\nbestmove f1f8\n") << go;
    }
    UciEngine quick;  // a search of a few milliseconds has answered when its go has been read
    std::ostringstream said;
    quick.handle("position startpos", said), quick.handle("go wtime 20 btime 20", said);
    EXPECT_TRUE(std::regex_match(bestmoves(said.str()), std::regex("bestmove [a-h1-8]{4}( ponder ....)?\n"))) << said.str();
    UciEngine uci;
    std::ostringstream out;
    uci.handle("go infinite", out), uci.handle("position startpos moves e2e4", out), uci.handle("go depth 1", out);
    uci.wait();
    EXPECT_TRUE(std::regex_match(bestmoves(out.str()), std::regex("bestmove [a-h1-8]{4}( ponder ....)?\nbestmove [a-h1-8]{4}\n")))
        << out.str();
    for (const char* limit : {"nodes 3000", "nodes 20000", "nodes 150000", "depth 6"}) {
        const std::string said = std::regex_replace(  // the lines of long searches that tell the root move
            program({"position fen r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19", std::string("go ") + limit},
                    true),
            std::regex("info depth \\d+ currmove [^\\n]*\\n"), "");
        std::smatch last;
        ASSERT_TRUE(std::regex_search(said, last, std::regex("nodes (\\d+) nps \\d+ hashfull \\d+ time \\d+ pv (\\S+)[^\\n]*\\nbestmove (\\S+)")))
            << said;
        EXPECT_EQ(last[2], last[3]) << limit;
        const bool byNodes = limit[0] == 'n';
        EXPECT_LE(std::stoll(last[1]), byNodes ? std::stoll(limit + 6) : LLONG_MAX) << limit;
        EXPECT_TRUE(byNodes || said.find("info depth 6 ") != std::string::npos) << limit;
    }
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
        {"fen 4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", "not to move is in check", afterE4E5},  // the tool's reasons
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

// The rules as the Windows package's README.txt states them, a statement a row: a position and moves,
// the last of which the program plays, or refuses with "Can't do a ?!" when the row ends in "!", as the
// UCI engine answers. Stockfish, where it is installed, must list the last move as legal exactly when
// the program plays it. The draws are rows of GameLoop.ScriptedGamesRefusalsAndResults.
TEST(Uci, TheRulesOfTheWindowsReadme) {
    const std::string castle = "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves ", p = "4k3/8/8/8/3p4/8/4P3/4K3 w - - 0 1 moves",
                      no = ": Can't do a ?!; the position is refused\n";
    const std::vector<std::string> cases = {
        // En passant right after the double step, not a move later, and not after a single step.
        p + " e2e4 d4e3", p + " e2e4 e8d8 e1d1 d4e3!", "4k3/8/3p4/4P3/8/8/8/4K3 b - - 0 1 moves d6d5 e5d6!",
        // Castling by the king's two-square move; refused with a piece between king and rook, or when the
        // square the king is on, crosses or lands on is attacked (by a pawn diagonally), whatever attacks b1.
        castle + "e1g1 e8c8", "1r4k1/8/8/8/8/8/8/R3K2R w KQ - 0 1 moves e1c1",
        "4r1k1/8/8/8/8/8/8/R3K2R w KQ - 0 1 moves e1g1!", "5rk1/8/8/8/8/8/8/R3K2R w KQ - 0 1 moves e1g1!",
        "6r1/8/2k5/8/8/8/8/R3K2R w KQ - 0 1 moves e1g1!", "4k3/8/8/8/8/8/4p3/R3K2R w KQ - 0 1 moves e1g1!",
        "r3k2r/8/8/8/8/8/8/RN2K2R w KQkq - 0 1 moves e1c1!",
        // A right goes when the king or that rook moves, even back home, or the rook is taken in its corner.
        castle + "e1e2 e8e7 e2e1 e7e8 e1c1!", castle + "h1h2 a8a7 h2h1 a7a8 e1g1!", castle + "h1h2 a8a7 h2h1 a7a8 e1c1",
        "b3k3/8/8/8/8/7R/8/4K2R b K - 0 1 moves a8h1 h3h1 e8d8 e1g1!",
    };
    for (const std::string& row : cases) {
        const bool refused = row.back() == '!';
        const std::string position = row.substr(0, row.size() - refused);
        const std::string before = position.substr(0, position.rfind(' ')), move = position.substr(before.size() + 1);
        UciEngine uci;
        std::ostringstream out;
        uci.handle("position fen " + position, out);
        EXPECT_EQ(out.str(), refused ? "info string illegal move " + move + no : "") << row;
        const std::string stockfish = run("printf '%s\\n' 'position fen " + before + "' 'go perft 1' |",
                                          "PATH=$PATH:/usr/games stockfish").second;  // "" without it
        const bool listed = stockfish.find("\n" + move + ":") != std::string::npos;
        EXPECT_TRUE(stockfish.empty() || listed != refused) << row << stockfish;
    }
}
