// vimochess-match: the statistics it decides by, and a short match through the program.
#include <fstream>
#include <regex>

#include "tools/match_statistics.h"
#include "test_support.h"

// Pairs as a run of the two engines' scores would give them: the score, the Elo difference and its
// interval, and which of two Elo differences the ratio test favours, and how strongly.
TEST(Match, Statistics) {
    struct Case {
        PairCounts counts;
        const char* expected;  // score, Elo, margin, LLR for [0, 5] and for [-5, 0], rounded
    };
    const std::vector<Case> cases = {
        {{{0, 0, 100, 0, 0}}, "0.500 0 0 0.00 0.00"},              // every pair split: no information
        {{{10, 20, 40, 20, 10}}, "0.500 0 37 -0.03 0.03"},           // even
        {{{5, 20, 40, 25, 10}}, "0.537 26 35 0.38 0.46"},
        {{{500, 2000, 4000, 2500, 1000}}, "0.537 26 3 37.98 46.05"},  // the same a hundred times over
        {{{1000, 2500, 4000, 2000, 500}}, "0.463 -26 3 -46.05 -37.98"},
    };
    for (const Case& c : cases) {
        char text[100];
        std::snprintf(text, sizeof text, "%.3f %.0f %.0f %.2f %.2f", c.counts.score(), eloDifference(c.counts) + 0.0,
                      eloMargin(c.counts), sprtLlr(c.counts, 0, 5) + 0.0, sprtLlr(c.counts, -5, 0) + 0.0);
        EXPECT_EQ(std::string(text), c.expected);
    }
    EXPECT_EQ(spaced(std::lround(100 * sprtLower(0.05, 0.05)), std::lround(100 * sprtUpper(0.05, 0.05))), "-294 294");
}

// Two games of the UCI engine against itself from one opening, each side White once, played out to
// mate, and the refusals of bad arguments.
TEST(Match, AShortMatch) {
    const std::string openings = testing::TempDir() + "openings.fen";
    std::ofstream(openings) << "4k3/8/8/8/8/8/8/3QK3 w - - 0 1\n";  // won for White: never adjudicated unless asked
    const auto [status, out] = run(VIMOCHESS_MATCH, spaced("-1", VIMOCHESS_UCI, "-2", VIMOCHESS_UCI, "-openings", openings, "-nodes 2000"));
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(std::regex_search(out, std::regex("game 1: 1-0 \\(mate\\).*\n.*\ngame 2: 1-0 \\(mate\\).*\n.*2 games, first engine 1.0 points.*\n"
                                                  "2 games, 0 lost by an illegal move")))
        << out;
    for (const std::string& args : std::vector<std::string>{"-1 x -2 y", "-1 x -2 y -openings " + openings + " -tc 0", "-nodes"})
        EXPECT_EQ(run(VIMOCHESS_MATCH, args).first, 2) << args;
    // An engine that dies at go lost by a crash, told as such, not as a hang.
    const std::string crashing = testing::TempDir() + "crashing.sh";
    std::ofstream(crashing) << "while read -r l; do case $l in uci) echo uciok;; isready) echo readyok;; go*) kill -ABRT $$;; esac; done\n";
    const std::string lost = run(VIMOCHESS_MATCH, spaced("-1 'sh", crashing + "' -2", VIMOCHESS_UCI, "-openings", openings, "-nodes 500")).second;
    EXPECT_TRUE(std::regex_search(lost, std::regex("game 1: 0-1 \\(crash: killed by signal 6\\)[^]*2 games, 2 lost by"))) << lost;
}
