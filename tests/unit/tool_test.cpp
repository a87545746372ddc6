// vimochess-tool: the output of each command, the recorded game, and the answer to bad input.
#include <regex>
#include <sstream>

#include "test_support.h"

const std::string start = "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1'";
const std::string promote = "'7k/P7/8/8/8/8/8/K7 w - - 0 1'", mated = "'k7/8/1Q6/8/8/8/8/7K b - - 0 1'";

// The published counts: the move generation with king safety, through the tool's perft.
TEST(Tool, Perft) {
    const std::vector<std::pair<const char*, std::vector<uint64_t>>> cases = {
        {startFen, {20, 400, 8902, 197281}}, {kiwipete, {48, 2039}}, {endgame, {14, 191, 2812, 43238}},
        {promotions, {6, 264, 9467}}, {bugCatcher, {44, 1486}},
    };
    for (const auto& [position, counts] : cases)
        for (size_t d = 0; d < counts.size(); ++d)
            EXPECT_EQ(run(VIMOCHESS_TOOL, spaced("perft '" + std::string(position) + "'", d + 1)).second,
                      std::to_string(counts[d]) + "\n") << position;
}

// Recorded results of the search (from a fresh table) and of the move choice: any change to them is
// a change of the engine's play and must be deliberate.
TEST(Tool, RecordedSearchesAndMoveChoices) {
    const auto q = [](const std::string& fen) { return "'" + fen + "' "; };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"search " + q(kiwipete) + "1", "F3-F6 322 48"}, {"search " + q(kiwipete) + "3", "E2-A6 366 5883"},
        {"search " + q(kiwipete) + "4", "E2-A6 -7 12209"}, {"search " + q(endgame) + "4", "B4-F4 16 3072"},
        {"search " + q(bugCatcher) + "4", "D7-C8Q 162 5703"},
        // Mate at ply 1 scores 10001 - 1; mated and stalemated at the root -10001 and 10001.
        {"search '6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1' 4", "D1-D8 10000 774"},
        {"search '3R2k1/5ppp/8/8/8/8/5PPP/6K1 b - - 0 1' 2", "none -10001 16"},
        {"search 'k7/8/1Q6/8/8/8/8/7K b - - 0 1' 2", "none 10001 13"},
        {"search 'k7/P7/K7/R1N5/8/8/7P/8 w - - 0 1' 3", "A6-B6 -10000 250"},  // every move stalemates: the first
        {"search '8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1' 3", "B4-F4 165 824"},
        {"think 'rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1'", "D7-D5 120 155217"},
        {"think 'r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5'", "E1-G1 137 337783"},
        {"think '8/5pk1/6p1/8/8/6P1/5PK1/R7 w - - 0 1'", "A1-A4 639 27019"},
        {"think " + q(promotions), "C4-C5 -276 157675"}, {"think '4k3/8/8/8/8/8/4P3/4K3 b - - 0 1'", "E8-D7 -136 453"},
        {"think " + q(startFen), "E2-E4 0 0"},  // the book
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(run(VIMOCHESS_TOOL, args), std::make_pair(0, expected + "\n")) << args;
}

TEST(Tool, Outputs) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"perft k7/8/8/8/8/8/8/K7 w - - 1", "3\n"}, {"perft 'k7/8/8/8/8/8/8/K7 w - - 100000' 1", "3\n"},  // 4 to 6 fields
        {"perft " + start + " 0", "1\n"}, {"perft " + mated + " 10", "0\n"},
        {"divide " + promote + " 1", "A7-A8Q 1\nA7-A8B 1\nA7-A8N 1\nA7-A8R 1\nA1-B2 1\nA1-A2 1\nA1-B1 1\ntotal 7\n"},
        {"divide '4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1' 1", "E1-F2 1\nE1-D2 1\nE1-F1 1\nE1-D1 1\ntotal 4\n"},
        {"check " + start + " e2-e4", "0\n"},
        {"check " + start + " E2-E5", "3 Against the rules for this piece!\n"},
        {"check '4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1' E2-C3", "10 King is in jeopardy!\n"},
        {"check " + promote + " A7-A8N", "0\n"}, {"check " + promote + " a7-a8q", "0\n"},
        {"check " + promote + " A7-A8", "0\n"},  // a promotion, whichever piece it becomes
        {"eval '4k3/8/8/8/8/2N5/8/4K3 w - - 0 1'", "303\n"},
        {"game 0002", "1 E2-E4 0 0\n2 E7-E5 0 0\nunfinished\n"},
    };
    for (const auto& [args, expected] : cases)
        EXPECT_EQ(run(VIMOCHESS_TOOL, args), std::make_pair(0, expected)) << args;
    const std::string divide = run(VIMOCHESS_TOOL, "divide " + start + " 2").second;
    EXPECT_EQ(divide.substr(0, 18) + divide.substr(divide.size() - 19), "H2-H4 20\nH2-H3 20\nB1-A3 20\ntotal 400\n");
    EXPECT_EQ(std::count(divide.begin(), divide.end(), '\n'), 21);
}

// The engine against itself to the end: the recorded moves, the nodes searched, the result.
TEST(Tool, TheRecordedGame) {
    std::istringstream out(run(VIMOCHESS_TOOL, "game 200").second);
    std::string moves, move, last;
    long long nodes = 0;
    for (int ply, value, n; out >> ply >> move >> value >> n;) moves += move + " ", nodes += n;
    out.clear();
    std::getline(out, last);
    EXPECT_EQ(moves + std::to_string(nodes) + " " + last, std::string(engineGame) + " 7890043 result -1");
}

// Bad input: one line on standard error that starts with the reason, status 2, nothing on standard
// output. The FEN reader's refusals field by field, and the positions the engine cannot play from.
TEST(Tool, BadInputExitsWithStatusTwo) {
    const std::string f = "perft 'k7/8/8/8/8/8/8/K7 ", s = start + " ", no = "cannot play from this position: ";
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {  // reason, inputs
        {"missing command", {""}}, {"unknown command", {"frobnicate"}}, {"build takes no", {"build x"}},
        {"missing argument", {"perft " + start, "check " + start, "eval", "think"}},
        {"bad rank layout", {"perft 'k7/8/8/8/8/8/8/K7/8 w - -' 1", "perft 'k6/8/8/8/8/8/8/K7 w - -' 1"}},
        {"a rank of more", {"perft 'k8/8/8/8/8/8/8/K7 w - -' 1"}},
        {"bad piece 'K'", {"perft 'k7K/8/8/8/8/8/8/K7 w - -' 1"}},
        {"bad piece 'x'", {"perft 'k6x/8/8/8/8/8/8/K7 w - -' 1"}},
        {"the placement field", {"perft 'k7/8/8/8/8/8/K7 w - -' 1"}}, {"the side to move", {f + "x - -' 1"}},
        {"a FEN record has", {f + "w - - 0 1 x' 1", f + "w -' 1"}},
        {"bad castling", {f + "w KK -' 1", f + "w Kx -' 1"}},
        {"bad en passant", {f + "w - e4' 1", f + "w - i3' 1"}}, {"bad fullmove", {f + "w - - 0 0' 1"}},
        {"bad halfmove", {f + "w - - 100001 1' 1", f + "w - - -1' 1"}},
        {no + "each side needs exactly one", {"think '8/8/8/8/8/8/8/8 w - -'", "eval '4k3/8/8/8/8/8/8/3KK3 w - -'"}},
        {no + "a pawn on the first", {"check 'p3k3/8/8/8/8/8/8/4K3 w - -' E1-E2"}},
        {no + "the side not to move is in check", {"perft 4k3/8/8/8/8/8/8/4R1K1 w - - 1"}},
        {"bad depth", {"perft " + s + "-1", "perft " + s + "99999999999", "search " + s + "9"}},
        {"divide", {"divide " + s + "0"}}, {"bench", {"bench x", "bench 0"}},
        {"bad promotion", {"check " + s + "E7-E8X"}}, {"bad move 'E2-E4Q': only a pawn", {"check " + s + "E2-E4Q"}},
        {"bad move", {"check " + s + "E2E4", "check " + s + "I2-I4"}}, {"game needs one", {"game", "game 1 2"}},
        {"bad number of half-moves", {"game 12345", "game x"}},
    };
    for (const auto& [reason, inputs] : cases)
        for (const std::string& args : inputs) {
            const auto [status, errors] = run(VIMOCHESS_TOOL, args, true);
            EXPECT_TRUE(status == 2 && errors.rfind("vimochess-tool: " + reason, 0) == 0 &&
                        errors.find('\n') + 1 == errors.size() && run(VIMOCHESS_TOOL, args).second.empty())
                << args << ": " << errors;
        }
}

// The bench: its 21 positions, each with the move found and the positions searched, then the
// totals, whose node counts are the window engine's signature (docs/performance.md); then the
// same for the deep search, its total a second signature. Two rounds, which must search alike.
TEST(Tool, Bench) {
    const auto [status, out] = run(VIMOCHESS_TOOL, "bench 2");
    const std::string untimed = std::regex_replace(out, std::regex(" +[0-9]+ ms | time [^\n]*"), " ");
    const std::regex line("([A-H][1-8]-[A-H][1-8][QRBN]?|none) +[0-9]+ nodes +[1-8/pnbrqkPNBRQK]+ [wb] [^\n]*\n");
    EXPECT_EQ(std::distance(std::sregex_iterator(untimed.begin(), untimed.end(), line), std::sregex_iterator()), 42);
    EXPECT_EQ(status, 0);
    EXPECT_NE(untimed.find("\nmiddlegames nodes 6840157 \ntotal nodes 8203504 \n"), std::string::npos) << untimed;
    // The deep search's signature comes last; scripts/test.sh holds its number.
    EXPECT_TRUE(std::regex_search(untimed, std::regex("\ndeep search depth 7 nodes [1-9][0-9]* \n$"))) << untimed;
}
