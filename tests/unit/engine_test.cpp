// The engine's panel texts and statistics, the move names, and the move choice for a side that is
// not the engine's. Its recorded results are checked through the tool (tool_test.cpp), its fast paths
// in fast_paths_test.cpp.
#include <regex>

#include "engine/engine.h"
#include "engine/move_choice.h"
#include "engine/search_display.h"
#include "test_support.h"

// Think leaves a side that is not the engine's alone.
TEST(Engine, ThinkOnlyForTheEnginesSide) {
    const MoveInfo m = think(fen(startFen), table(), *freshTable(), false, true);
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
    showPanelText = [](PanelText which, const char* text) { shown += std::to_string(which) + text + "|"; };
    searchStartClock = millisecondClock() - 100000, nodeCount = 150, drawSearchStatistics(), showPanelText = nullptr;
    EXPECT_TRUE(std::regex_match(shown, std::regex("2150 p, 100\\.\\d s  \\|3      1\\.5 p/s\\|"))) << shown;
    for (const char* from : {"E", "E22", ""}) EXPECT_THROW(MoveInfo(from, "E4"), EMoveInfo_BADINITIALIZATION) << from;
    EXPECT_THROW(MoveInfo("E2", "E45"), EMoveInfo_BADINITIALIZATION);
}
