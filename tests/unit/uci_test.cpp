// vimochess-uci: the UCI conversation driven line by line, and the program driven through a pipe.
#include <gtest/gtest.h>

#include <cstdio>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/move_choice.h"
#include "engine/random.h"
#include "fen.h"
#include "game/game_control.h"
#include "uci.h"

namespace {

const char startFen[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// Sends the lines one by one; returns everything the engine wrote.
std::string send(UciEngine& uci, const std::vector<std::string>& lines) {
    std::ostringstream out;
    for (const std::string& line : lines) uci.handle(line, out);
    return out.str();
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

// The engine's position against a FEN and the number of half-moves a game would have counted.
void expectPosition(const UciEngine& uci, const std::string& fen, int plyCount, const std::string& context) {
    Board expected;
    std::string error;
    ASSERT_TRUE(readFen(fen, expected, error)) << error;
    ASSERT_NE(uci.game(), nullptr) << context;
    const Board& b = *uci.game()->board;
    EXPECT_TRUE(std::equal(b.squares, b.squares + 64, expected.squares)) << context;
    EXPECT_EQ(b.sideToMove, expected.sideToMove) << context;
    EXPECT_TRUE(std::equal(b.castlingRights, b.castlingRights + 4, expected.castlingRights)) << context;
    EXPECT_EQ(b.plyCount, plyCount) << context;
}

TEST(Uci, HandshakeAndCommandsWithoutAnswer) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"uci", "id name VimoChess 0.01a\nid author the VimoChess developers\nuciok\n"},
        {"isready", "readyok\n"},
        {"  isready \r", "readyok\n"},
        {"joho isready", "readyok\n"},  // an unknown word is skipped
        {"xyzzy", ""},
        {"", ""},
        {"debug on", ""},
        {"setoption name Hash value 16", ""},
        {"stop", ""},  // no search to answer
        {"ucinewgame", ""},
    };
    for (const auto& [line, expected] : cases) {
        UciEngine uci;
        EXPECT_EQ(send(uci, {line}), expected) << line;
    }
    UciEngine uci;
    std::ostringstream out;
    EXPECT_FALSE(uci.handle("quit", out));
    EXPECT_TRUE(uci.handle("isready", out));
}

TEST(Uci, PositionsWithMoves) {
    struct Case {
        std::string command, fen;
        int plyCount;
    };
    const std::vector<Case> cases = {
        {"position startpos", startFen, 0},
        {"position startpos moves e2e4 e7e5 g1f3", "rnbqkbnr/pppp1ppp/8/4p3/4P3/5N2/PPPP1PPP/RNBQKB1R b KQkq - 1 2", 3},
        {"position startpos moves e2e4 a7a6 e4e5 d7d5 e5d6",  // en passant
         "rnbqkbnr/1pp1pppp/p2P4/8/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 3", 5},
        {"position fen r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1 moves e1g1 e8c8", "2kr3r/8/8/8/8/8/8/R4RK1 w - - 2 2", 2},
        {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1 moves a7a8n", "N6k/8/8/8/8/8/8/K7 b - - 0 1", 1},
        {"position fen k7/8/8/8/8/8/p7/7K b - - 0 9 moves a2a1R", "k7/8/8/8/8/8/8/r6K w - - 0 10", 18},
        {"position fen rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1 moves c7c5",
         "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2", 2},
    };
    for (const Case& c : cases) {
        UciEngine uci;
        EXPECT_EQ(send(uci, {c.command}), "") << c.command;
        expectPosition(uci, c.fen, c.plyCount, c.command);
    }
}

// A bad move ends the list at the last legal move; a bad FEN leaves the previous position.
TEST(Uci, BadInputGetsOneInfoLineAndKeepsTheLastLegalPosition) {
    const std::string afterE4E5 = "rnbqkbnr/pppp1ppp/8/4p3/4P3/8/PPPP1PPP/RNBQKBNR w KQkq - 0 2";
    const std::string promotable = "7k/P7/8/8/8/8/8/K7 w - - 0 1";
    const std::string pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    struct Case {
        std::string command, message, fen;
        int plyCount;
    };
    const std::vector<Case> cases = {
        {"position startpos moves e2e4 e7e5 e1e2x", "malformed move 'e1e2x'", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 e2-e4", "malformed move 'e2-e4'", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 i2i4", "malformed move 'i2i4'", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 g1g3 b8c6", "illegal move g1g3: Against the rules", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 e2e4", "illegal move e2e4", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 d7d5", "illegal move d7d5", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 e4e5", "illegal move e4e5", afterE4E5, 2},
        {"position startpos moves e2e4 e7e5 e1g1", "illegal move e1g1", afterE4E5, 2},
        {"position fen " + pinned + " moves e2c3", "King is in jeopardy!", pinned, 0},
        {"position fen " + promotable + " moves a7a8", "needs its piece", promotable, 0},
        {"position fen " + promotable + " moves a7a8k", "malformed move 'a7a8k'", promotable, 0},
        {"position startpos moves e2e4 e7e5 d2d4q", "only a pawn reaching the last rank", afterE4E5, 2},
        {"position fen rnbqkbnr/pppppppp/8/8 w KQkq - 0 1", "bad FEN", afterE4E5, 2},
        {"position fen 8/8/8/8/8/8/8/8 w - - 0 1", "one king", afterE4E5, 2},
        {"position fen 4k3/8/8/8/8/8/8/3KK3 w - - 0 1", "one king", afterE4E5, 2},
        {"position fen 4k2P/8/8/8/8/8/8/4K3 w - - 0 1", "first or last rank", afterE4E5, 2},
        {"position fen 4k3/8/8/8/8/8/8/4R1K1 w - - 0 1", "not to move is in check", afterE4E5, 2},
        {"position fen 4k3/8/8/8/8/8/8/4K3 x - - 0 1", "bad FEN", afterE4E5, 2},
        {"position fen", "bad FEN", afterE4E5, 2},
        {"position", "needs startpos or fen", afterE4E5, 2},
        {"position moves e2e4", "needs startpos or fen", afterE4E5, 2},
    };
    for (const Case& c : cases) {
        UciEngine uci;
        send(uci, {"position startpos moves e2e4 e7e5"});
        const std::vector<std::string> out = linesOf(send(uci, {c.command}));
        ASSERT_EQ(out.size(), 1u) << c.command;
        EXPECT_EQ(out[0].rfind("info string ", 0), 0u) << out[0];
        EXPECT_NE(out[0].find(c.message), std::string::npos) << out[0];
        expectPosition(uci, c.fen, c.plyCount, c.command);
    }
}

TEST(Uci, ScoresAndMoveNames) {
    const std::vector<std::pair<int, std::string>> scores = {
        {0, "cp 0"},         {35, "cp 35"},      {-120, "cp -120"},     {10000, "mate 1"},
        {9998, "mate 2"},    {9999, "cp 9999"},  {-9999, "mate -1"},   {-9997, "mate -2"},
        {-10000, "cp -10000"}, {-9998, "cp -9998"}, {9000, "cp 9000"},
    };
    for (const auto& [value, text] : scores) EXPECT_EQ(uciScore(value), text) << value;
    EXPECT_EQ(uciMoveName(MoveInfo(1, 4, 3, 4)), "e2e4");
    EXPECT_EQ(uciMoveName(MoveInfo(7, 4, 7, 2)), "e8c8");
    EXPECT_EQ(uciMoveName(MoveInfo(6, 0, 7, 0, pieceCode(Queen, White))), "a7a8q");
    EXPECT_EQ(uciMoveName(MoveInfo(1, 7, 0, 7, pieceCode(Knight, Black))), "h2h1n");
}

// One info line per iteration, depths 3 to 5, then the answer.
void expectSearchReport(const std::vector<std::string>& out, const std::string& bestmove, const std::string& context) {
    const std::regex info(
        R"(info depth (\d) score (cp -?\d+|mate -?\d+) nodes (\d+) nps \d+ time \d+ pv ([a-h][1-8]){2}[qrbn]?)");
    ASSERT_EQ(out.size(), 4u) << context;
    long long nodes = 0;
    for (int i = 0; i < 3; ++i) {
        std::smatch m;
        ASSERT_TRUE(std::regex_match(out[i], m, info)) << out[i];
        EXPECT_EQ(std::stoi(m[1]), minDepth + i) << context;
        EXPECT_GE(std::stoll(m[3]), nodes) << context;
        nodes = std::stoll(m[3]);
    }
    EXPECT_EQ(nodes, nodeCount) << context;
    EXPECT_EQ(out[2].substr(out[2].rfind(' ') + 1), bestmove) << context;
    EXPECT_EQ(out[3], "bestmove " + bestmove) << context;
}

TEST(Uci, GoAnswersWithTheEnginesMove) {
    struct Case {
        std::string position, bestmove, lastScore;
    };
    const std::vector<Case> cases = {
        {"position startpos", "e2e4", "cp 0"},  // the book
        {"position fen 6k1/5ppp/8/8/8/8/5PPP/3R2K1 w - - 0 1", "d1d8", "mate 1"},
        {"position fen 7k/p7/5KQ1/8/8/8/8/8 b - - 0 1", "a7a5", "mate -1"},  // a7a6 ties; the first wins
        {"position fen 7k/P7/8/8/8/8/8/K7 w - - 0 1", "a7a8q", "cp 913"},
    };
    for (const Case& c : cases) {
        UciEngine uci;
        const std::vector<std::string> out = linesOf(send(uci, {c.position, "go wtime 1000 btime 1000 movestogo 9"}));
        expectSearchReport(out, c.bestmove, c.position);
        EXPECT_NE(out[2].find("score " + c.lastScore + " "), std::string::npos) << out[2];
    }
    // Mated, stalemated: no search, no info line.
    for (const char* fen : {"7k/6Q1/6K1/8/8/8/8/8 b - - 0 1", "7k/5Q2/6K1/8/8/8/8/8 b - - 0 1"}) {
        UciEngine uci;
        EXPECT_EQ(send(uci, {std::string("position fen ") + fen, "go"}), "bestmove 0000\n") << fen;
    }
    UciEngine uci;
    EXPECT_EQ(linesOf(send(uci, {"go"})).back(), "bestmove e2e4");  // no position: the game's start
}

TEST(Uci, InfiniteAndPonderAnswerOnStop) {
    UciEngine uci;
    std::string out = send(uci, {"position startpos", "go infinite", "isready"});
    EXPECT_EQ(out.find("bestmove"), std::string::npos);
    EXPECT_NE(out.find("readyok"), std::string::npos);
    EXPECT_EQ(send(uci, {"stop", "stop"}), "bestmove e2e4\n");
    out = send(uci, {"go ponder"});
    EXPECT_EQ(send(uci, {"ponderhit"}), "bestmove e2e4\n");
    send(uci, {"go infinite"});
    EXPECT_EQ(linesOf(send(uci, {"position startpos moves e2e4"}))[0], "bestmove e2e4");
}

// The moves of whole engine-vs-engine games in the window, two games in a row.
std::vector<std::vector<std::string>> gameMoves(int games, int plies) {
    static std::vector<std::string> moves;
    static int limit;
    limit = plies;
    gameUi = GameUi{[] {},
                    [](const Board&) {},
                    [](const Board&, const MoveTable&) {},
                    [](const Board&) { return MoveInfo(-1, -1, -1, -1); },
                    [](const char*) {},
                    [](int) {},
                    [] { moves.push_back(uciMoveName(currentMove.load())); },
                    [] { return static_cast<int>(moves.size()) >= limit; }};
    std::vector<std::vector<std::string>> all;
    restartRandom();
    for (int g = 0; g < games; ++g) {
        moves.clear();
        GameSession* session = new GameSession;
        playGame(session, 1, 1);
        delete session;
        all.push_back(moves);
    }
    return all;
}

TEST(Uci, SamePositionsInTheSameOrderGiveTheGamesMoves) {
    const std::vector<std::vector<std::string>> games = gameMoves(2, 40);
    restartRandom();
    UciEngine uci;
    for (const std::vector<std::string>& game : games) {
        send(uci, {"ucinewgame"});
        std::string position = "position startpos moves";
        for (const std::string& move : game) {
            const std::vector<std::string> out = linesOf(send(uci, {position, "go"}));
            ASSERT_EQ(out.back(), "bestmove " + move) << position;
            position += " " + move;
        }
    }
    EXPECT_NE(games[0], games[1]) << "the second game draws further along the sequence";
}

// The program itself, its input given through a pipe.
TEST(Uci, ProgramReadsStandardInputUntilQuit) {
    const std::string input = "uci\\nposition startpos moves e2e4 e7e5 e1e1\\ngo\\nquit\\nisready\\n";
    FILE* pipe = popen(("printf '" + input + "' | " VIMOCHESS_UCI).c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0);
    const std::vector<std::string> lines = linesOf(out);
    ASSERT_EQ(lines.size(), 8u) << out;
    EXPECT_EQ(lines[2], "uciok");
    EXPECT_EQ(lines[3].rfind("info string illegal move e1e1", 0), 0u) << lines[3];
    EXPECT_EQ(lines[7], "bestmove g1f3");  // the book's answer after e2e4 e7e5
}

}  // namespace
