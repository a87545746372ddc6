// The game loop and the game thread, with a scripted human and a recorder for the screen.
#include <sstream>
#include <stdexcept>
#include <thread>

#include "game/game_control.h"
#include "test_support.h"

static std::istringstream moves;  // the human's moves in order, illegal ones included
static std::string shown;         // refusals and results as the screen showed them
static int beeps, boards, panels;
static Board* startFrom;          // the position a game starts from, put in place of the first board drawn

static void useScript(const std::string& script) {
    moves = std::istringstream(script), shown.clear(), beeps = boards = panels = 0, startFrom = nullptr;
    gameUi = GameUi{
        [] { whiteIsEngine = blackIsEngine = 0; },
        [](const Board& b) { if (boards++ == 0 && startFrom) const_cast<Board&>(b) = *startFrom; },
        [](const Board&, const MoveTable&) { ++panels; },
        [](const Board& board) {
            std::string text, error;
            if (!(moves >> text)) throw std::runtime_error("asked for more moves than scripted");
            MoveInfo m;
            EXPECT_TRUE(readMove(text, board.sideToMove, m, error)) << error;
            return m;
        },
        [](const char* text) { shown += std::string(text) + "|"; },
        [](int result) { shown += resultText(result); }, [] { ++beeps; },
        [] { return (moves >> std::ws).eof(); },  // a game that outlives its script stops
    };
}

// Each game (from the start, or from the FEN before "|") ends with its result, the refusals, the beeps,
// boards and panels drawn (none for a side in check), and the pieces on a8 and h1.
TEST(GameLoop, ScriptedGamesRefusalsAndResults) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"F2-F3 E7-E5 A1-A3 E7-E5 E1-E3 G2-G4 E1-E2 D8-H4",
         "-1 Can't jump over pieces!|There's no piece!|Against the rules for this piece!|Wrong side!| 4 5 4 3 2"},
        {"E2-E4 E7-E5 F1-C4 B8-C6 D1-H5 F7-F6 G8-F6 H5-F7", "1 King is in jeopardy!| 7 8 7 3 2"},
        {"E2-E3 A7-A5 D1-H5 A8-A6 H5-A5 H7-H5 H2-H4 A6-H6 A5-C7 F7-F6 C7-D7 E8-F7 D7-B7 D8-D3 B7-B8 D3-H7 B8-C8 "
         "F7-G6 C8-E6", "0  19 20 18 12 2"},  // stalemate
        // More than 100 half-moves in a row onto an empty square (MakeMove counts them) draw, before mate;
        // bare kings, repetition and 100 such half-moves play on.
        {"4k3/8/8/8/8/8/8/4K3 w - - 92 1|E1-E2 E8-E7 E2-E1 E7-E8 E1-E2 E8-E7 E2-E1 E7-E8 E1-E2", "0  9 10 9 12 12"},
        {"6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 100 1|D1-D8", "0  1 2 1 12 12"},
        {"A2-A4 H7-H5 A4-A5 H5-H4 A5-A6 H4-H3 A6-B7 H3-G2 B7-A8 G2-H1", "2  10 11 11 8 9"},  // promoted to queens
    };
    for (const auto& [game, expected] : cases) {
        const size_t bar = game.find('|');
        Board start = fen(bar == std::string::npos ? startFen : game.substr(0, bar));
        useScript(game.substr(bar + 1)), startFrom = &start;
        GameSession session;
        const int result = playGame(&session, 0, 0);
        const Board& board = *session.board;
        EXPECT_TRUE((moves >> std::ws).eof()) << "every scripted move was asked for: " << game;
        EXPECT_EQ(spaced(result, shown, beeps, boards, panels, int(board.at(7, 0)), int(board.at(0, 7))), expected)
            << game;
    }
}

// The engine's move made fit to play: one the rules refuse gives way to the first legal move, and a
// pawn reaching the last rank becomes a piece of its colour, the queen unless another is named.
TEST(GameLoop, EnginesMoveMadeFitToPlay) {
    const char *promotable = "7k/P7/8/8/8/8/8/K7 w - - 0 1", *pinned = "4r2k/8/8/8/8/8/4N3/4K3 w - - 0 1";
    const std::vector<std::tuple<const char*, MoveInfo, const char*>> cases = {
        {startFen, MoveInfo(1, 4, 3, 4, 8, 77), "E2-E4 12 77"},      // not a promotion
        {startFen, MoveInfo(-1, -1, -1, -1, 1, 77), "H2-H4 12 77"},  // no move at all
        {pinned, MoveInfo(1, 4, 2, 2, 12, 77), "E1-F2 12 77"},       // leaves the king capturable
        {promotable, MoveInfo(6, 0, 7, 0, 12, 7), "A7-A8Q 8 7"}, {promotable, MoveInfo(6, 0, 7, 0, 3, 7), "A7-A8Q 8 7"},
        {promotable, MoveInfo(6, 0, 7, 0, 4, 77), "A7-A8N 4 77"},
        {"k7/8/8/8/8/8/p7/7K b - - 0 1", MoveInfo(1, 0, 0, 0, 1, 7), "A2-A1Q 9 7"},
    };
    for (const auto& [position, move, expected] : cases) {
        const MoveInfo m = playableEngineMove(fen(position), table(), move);
        EXPECT_EQ(spaced(moveName(m), int(m.promotion), m.value), expected) << position << " " << moveName(move);
    }
}

// Two game threads in a row, painted by another thread while they play: the engine plays White in
// the first until it stops unfinished, the second is a fool's mate.
TEST(GameThread, TwoGamesInARowPaintedSafely) {
    useScript("E7-E5 D8-H4 B8-C6 F2-F3 E7-E5 G2-G4 D8-H4");
    static int games = 0;
    gameUi.askGameMode = [] { whiteIsEngine = ++games == 1; };
    gameUi.stopRequested = [] { return whiteIsEngine && beeps >= 6; };
    std::atomic<bool> stop{false};
    std::thread painter([&] {
        while (!stop) {
            std::lock_guard<std::mutex> hold(sessionGuard);
            const GameSession* s = currentSession.load();
            EXPECT_TRUE(!s || std::count(s->board->squares, s->board->squares + 64, EmptySquare) >= 32);
        }
    });
    restartRandom();
    for (int game = 0; game < 2; ++game) {
        gameRunning = true;
        std::thread(gameThreadMain).join();
        EXPECT_TRUE(!gameRunning && currentSession.load() == nullptr);
    }
    stop = true;
    painter.join();
    EXPECT_EQ(spaced(shown, beeps), "Black wins. 10") << "the first game ended unfinished, unannounced";
}
