// vimochess-tool: output formats of perft, divide and check, and its answer to bad input.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

const char startFen[] = "'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1'";

struct Result {
    int status = -1;  // exit status, or -1 when the tool did not exit normally
    std::string out;
};

// Runs the tool with args (shell syntax); keeps stdout, or stderr when errors is true.
Result run(const std::string& args, bool errors = false) {
    const std::string cmd = std::string(VIMOCHESS_TOOL) + " " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
    Result r;
    FILE* pipe = popen(cmd.c_str(), "r");
    if (pipe == nullptr) return r;
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) r.out.append(buffer, n);
    const int raw = pclose(pipe);
    if (WIFEXITED(raw)) r.status = WEXITSTATUS(raw);
    return r;
}

TEST(ToolTest, Outputs) {
    const std::string s = startFen, promote = "'7k/P7/8/8/8/8/8/K7 w - - 0 1'";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"perft " + s + " 3", "8902\n"},
        {"perft rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1 2", "400\n"},  // FEN as words
        {"perft " + s + " 0", "1\n"},
        {"divide " + promote + " 1", "A7-A8Q 1\nA7-A8B 1\nA7-A8N 1\nA7-A8R 1\nA1-B2 1\nA1-A2 1\nA1-B1 1\ntotal 7\n"},
        {"check " + s + " E2-E4", "0\n"},
        {"check " + s + " e2-e4", "0\n"},
        {"check " + s + " E2-E5", "3 Against the rules for this piece!\n"},
        {"check " + s + " E1-G1", "5 Can't grab an own pieces!\n"},
        {"check 'r3k2r/8/8/8/8/8/8/R3KB1R w KQkq - 0 1' E1-G1", "8 Can't do a ?!\n"},
        {"check '4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1' E2-C3", "10 King is in jeopardy!\n"},
        {"check " + promote + " A7-A8N", "0\n"},
    };
    for (const auto& [args, expected] : cases) {
        const Result r = run(args);
        EXPECT_EQ(r.status, 0) << args;
        EXPECT_EQ(r.out, expected) << args;
    }
    const std::string divide = run("divide " + s + " 2").out;
    EXPECT_EQ(divide.substr(0, 18), "H2-H4 20\nH2-H3 20\n");
    EXPECT_EQ(divide.substr(divide.size() - 19), "B1-A3 20\ntotal 400\n");
    EXPECT_EQ(std::count(divide.begin(), divide.end(), '\n'), 21);
}

TEST(ToolTest, BadInputExitsWithStatusTwo) {
    const std::string s = startFen;
    const std::vector<std::string> cases = {
        "",
        "frobnicate",
        "perft",
        "perft " + s,
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBN w KQkq - 0 1' 1",
        "perft 'rnbqkbnr/ppppxppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1' 1",
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR x KQkq - 0 1' 1",
        "perft 'rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq e4 0 1' 1",
        "perft garbage 1",
        "perft " + s + " -1",
        "perft " + s + " 99999999999",
        "check " + s,
        "check " + s + " E2E4",
        "check " + s + " I2-I4",
        "check " + s + " E7-E8X",
    };
    for (const std::string& args : cases) {
        const Result err = run(args, true);
        EXPECT_EQ(err.status, 2) << args;
        EXPECT_FALSE(err.out.empty()) << args;
        EXPECT_EQ(run(args).out, "") << args;
    }
}

}  // namespace
