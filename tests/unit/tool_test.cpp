// vimochess-tool: output formats of perft, divide and check, and its answer to bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

const std::string start = "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1'";

// Runs the tool with args (shell syntax): its exit status (-1 when it did not exit normally) and
// its stdout, or its stderr when errors is true.
std::pair<int, std::string> run(const std::string& args, bool errors = false) {
    const std::string cmd = std::string(VIMOCHESS_TOOL) + " " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
    FILE* pipe = popen(cmd.c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int raw = pipe ? pclose(pipe) : -1;
    return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}

TEST(ToolTest, Outputs) {
    const std::string promote = "'7k/P7/8/8/8/8/8/K7 w - - 0 1'";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"perft " + start + " 3", "8902\n"},
        {"perft rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 2", "400\n"},  // FEN as words
        {"perft " + start + " 0", "1\n"},
        {"divide " + promote + " 1", "A7-A8Q 1\nA7-A8B 1\nA7-A8N 1\nA7-A8R 1\nA1-B2 1\nA1-A2 1\nA1-B1 1\ntotal 7\n"},
        {"check " + start + " E2-E4", "0\n"},
        {"check " + start + " e2-e4", "0\n"},
        {"check " + start + " E2-E5", "3 Against the rules for this piece!\n"},
        {"check '4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1' E2-C3", "10 King is in jeopardy!\n"},
        {"check " + promote + " A7-A8N", "0\n"},
    };
    for (const auto& [args, expected] : cases) EXPECT_EQ(run(args), std::make_pair(0, expected)) << args;
    const std::string divide = run("divide " + start + " 2").second;
    EXPECT_EQ(divide.substr(0, 18) + divide.substr(divide.size() - 19), "H2-H4 20\nH2-H3 20\nB1-A3 20\ntotal 400\n");
    EXPECT_EQ(std::count(divide.begin(), divide.end(), '\n'), 21);
}

TEST(ToolTest, BadInputExitsWithStatusTwo) {
    const std::vector<std::string> cases = {
        "",
        "frobnicate",
        "perft " + start,
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq - 0 1' 1",
        "perft 'rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1' 1",
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1' 1",
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e4 0 1' 1",
        "perft " + start + " -1",
        "perft " + start + " 99999999999",
        "check " + start,
        "check " + start + " E2E4",
        "check " + start + " I2-I4",
        "check " + start + " E7-E8X",
    };
    for (const std::string& args : cases) {
        const auto [status, errors] = run(args, true);
        EXPECT_EQ(status, 2) << args;
        EXPECT_FALSE(errors.empty()) << args;
        EXPECT_EQ(run(args).second, "") << args;
    }
}

}  // namespace
