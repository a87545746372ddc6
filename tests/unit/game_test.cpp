// The game loop and the game thread, with a scripted human and a recorder for the screen.
#include <stdexcept>
#include <thread>

#include "engine/move_choice.h"
#include "game/game_control.h"
#include "test_support.h"

namespace {

// What the scripted user interface saw and did.
struct Script {
    std::vector<std::string> moves;  // entered in order, illegal ones included
    size_t next = 0;
    std::vector<std::string> boxes;  // texts of "Illegal move!" boxes
    std::vector<int> results;
    int beeps = 0, panels = 0, boardsDrawn = 0;
    Board asked, last;  // the board when a move was last asked for, and at the end of play()
    void (*onHumanMove)(const Board&) = nullptr;
};
Script script;

MoveInfo scriptedMove(const Board& board) {
    if (script.onHumanMove) script.onHumanMove(board);
    script.asked = board;
    if (script.next >= script.moves.size()) throw std::runtime_error("the game asked for more moves than scripted");
    MoveInfo m;
    std::string error;
    EXPECT_TRUE(readMove(script.moves[script.next++], board.sideToMove, m, error)) << error;
    return m;
}

void useScript(const std::vector<std::string>& moves) {
    script = Script();
    script.moves = moves;
    gameUi = GameUi{
        [] { whiteIsEngine = blackIsEngine = 0; },
        [](const Board&) { ++script.boardsDrawn; },
        [](const Board&, const MoveTable&) { ++script.panels; },
        scriptedMove,
        [](const char* text) {
            script.boxes.push_back(text);
            EXPECT_TRUE(sameBoard(*currentSession.load()->board, script.asked)) << "refused, the board stays";
        },
        [](int result) { script.results.push_back(result); },
        [] { ++script.beeps; },
        [] { return script.next >= script.moves.size(); },  // a game that outlives its script stops
    };
}

// One game through playGame on a new session, the generator restarted first.
int play(int32_t white = 0, int32_t black = 0) {
    restartRandom();
    GameSession* session = new GameSession;
    currentSession = session;
    const int result = playGame(session, white, black);
    script.last = *session->board;
    currentSession = nullptr;
    delete session;
    return result;
}

TEST(GameLoop, IllegalAttemptsAreRefusedUntilAMateEndsTheGame) {
    // Fool's mate with refused attempts in between.
    useScript({"F2-F3", "E7-E5", "A1-A3", "E7-E5", "E1-E3", "G2-G4", "E1-E2", "D8-H4"});
    EXPECT_EQ(play(), -1);
    EXPECT_STREQ(resultText(-1), "Black wins.");
    EXPECT_EQ(script.boxes, (std::vector<std::string>{"Can't jump over pieces!", "There's no piece!",
                                                       "Against the rules for this piece!", "Wrong side!"}));
    EXPECT_EQ(script.beeps, 4) << "one beep per made move, none for a refusal";
    EXPECT_EQ(script.next, script.moves.size());
    EXPECT_EQ(script.boardsDrawn, 5) << "one drawing per turn: four moves and the mate";
    EXPECT_EQ(script.panels, 4) << "no panel in the turn that starts in check";
}

TEST(GameLoop, WhiteWinsAndStalemateDraws) {
    useScript({"E2-E4", "E7-E5", "F1-C4", "B8-C6", "D1-H5", "F7-F6", "G8-F6", "H5-F7"});
    EXPECT_EQ(play(), 1);
    EXPECT_STREQ(resultText(1), "White wins.");
    EXPECT_EQ(script.boxes, std::vector<std::string>{"King is in jeopardy!"}) << "F7-F6 would open the diagonal";
    // The shortest known stalemate from the starting position.
    useScript({"E2-E3", "A7-A5", "D1-H5", "A8-A6", "H5-A5", "H7-H5", "H2-H4", "A6-H6", "A5-C7", "F7-F6",
               "C7-D7", "E8-F7", "D7-B7", "D8-D3", "B7-B8", "D3-H7", "B8-C8", "F7-G6", "C8-E6"});
    EXPECT_EQ(play(), 0);
    EXPECT_STREQ(resultText(0), "Draw game.");
    EXPECT_EQ(script.panels, 18) << "a panel in every turn but the stalemate and the one in check after C7-D7";
}

TEST(GameLoop, MoreThanOneHundredQuietMovesDraw) {
    // Knights shuffle out and back: every move ends on an empty square.
    std::vector<std::string> moves;
    for (int i = 0; i < 101; ++i) moves.push_back(std::vector<std::string>{"G1-F3", "G8-F6", "F3-G1", "F6-G8"}[i % 4]);
    useScript(moves);
    static int askedWithHundred;
    askedWithHundred = 0;
    script.onHumanMove = [](const Board& b) {
        askedWithHundred += b.quietMoveCount == 100;
        EXPECT_LE(b.quietMoveCount, 100) << "a turn starting at 101 must not ask for a move";
    };
    EXPECT_EQ(play(), 0);
    EXPECT_EQ(askedWithHundred, 1) << "100 quiet moves do not end the game";
}

TEST(GameLoop, PromotionWithoutALetterIsTheMoversQueen) {
    useScript({"A2-A4", "H7-H5", "A4-A5", "H5-H4", "A5-A6", "H4-H3", "A6-B7", "H3-G2", "B7-A8", "G2-H1"});
    EXPECT_EQ(play(), unfinishedGame);
    EXPECT_EQ(script.last.at(7, 0), pieceCode(Queen, White));
    EXPECT_EQ(script.last.at(0, 7), pieceCode(Queen, Black));
}

// A planted table entry whose move leaves the engine's king capturable is not played.
TEST(GameLoop, EnginesMoveIsCheckedBeforeItIsMade) {
    useScript({"E2-E4", "F1-B5"});
    script.onHumanMove = [](const Board& b) {
        if (b.plyCount != 2) return;  // after 1.e4 e5: plant for the position after 2.Bb5
        TranspositionTable& tt = *currentSession.load()->table;
        Board after = b;
        makeMove(after, mv("F1-B5"));
        after.switchSide();
        tt.entries[tt.indexOf(after)] = TableEntry{mv("D7-D6"), Black, 16, 1, tt.checkKeyOf(after)};  // d7 is pinned
        arrangeNextDraw(2 * 12 * 64 + 1, false);  // after the keys and move 1: no clear wipes the plant
    };
    gameUi.stopRequested = [] { return script.next == script.moves.size() && script.beeps == 4; };
    EXPECT_EQ(play(0, 1), unfinishedGame);
    EXPECT_EQ(script.last.at(6, 3), pieceCode(Pawn, Black)) << "the pinned pawn stayed";
    EXPECT_EQ(script.last.at(4, 0), pieceCode(Pawn, Black)) << "the first legal move, a7-a5, was played instead";
}

// The whole engine-vs-engine game from the start: its moves are part of the engine's record.
TEST(GameLoop, EngineAgainstEngineRunsToItsResult) {
    static std::string moves;
    moves.clear();
    useScript({});
    gameUi.moveBeep = [] { moves += moveName(currentMove.load()) + " "; };
    gameUi.stopRequested = nullptr;
    EXPECT_EQ(play(1, 1), -1);
    EXPECT_EQ(moves,
              "E2-E4 E7-E5 G1-F3 B8-C6 F1-B5 A7-A6 B5-C6 D7-C6 E1-G1 C8-G4 H2-H3 H7-H5 D2-D3 D8-F6 H3-G4 H5-G4 "
              "F3-G5 F6-H6 F2-F4 F8-C5 D3-D4 C5-D4 D1-D4 E5-D4 C2-C3 H6-H1 G1-F2 G4-G3 F2-E1 H1-G2 C3-D4 H8-H2 "
              "B1-C3 F7-F6 G5-E6 A8-C8 E6-G7 E8-F8 G7-E6 F8-F7 E6-C5 F6-F5 E4-F5 C8-E8 C5-E6 G8-H6 C1-E3 H6-F5 "
              "E6-G5 F7-G8 G5-E4 E8-E4 A1-D1 E4-E3 C3-E2 G2-E2 ");
}

int validEntries(const TranspositionTable& t) {
    return static_cast<int>(std::count_if(t.entries, t.entries + t.size(), [](const TableEntry& e) { return e.valid; }));
}

// Two game threads in a row, painted by another thread while they play: the engine plays White in
// the first, which stops once its table holds searches; the second is a fool's mate and starts
// with a new session whose table holds the book only, under new keys.
TEST(GameThread, TwoGamesInARowPaintedSafely) {
    useScript({"E7-E5", "D8-H4", "B8-C6", "F2-F3", "E7-E5", "G2-G4", "D8-H4"});
    static std::vector<int> entries, firstKeys;
    static int filled;
    entries.clear(), firstKeys.clear();
    gameUi.askGameMode = [] {
        entries.push_back(validEntries(*currentSession.load()->table));
        firstKeys.push_back(currentSession.load()->table->indexKeys[0][0]);
        whiteIsEngine = entries.size() == 1;
        blackIsEngine = 0;
    };
    gameUi.stopRequested = [] {
        if (!whiteIsEngine || script.beeps < 6) return false;
        filled = validEntries(*currentSession.load()->table);
        return true;
    };
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
        EXPECT_FALSE(gameRunning);
        EXPECT_EQ(currentSession.load(), nullptr);
    }
    stop = true;
    painter.join();
    EXPECT_TRUE(script.boxes.empty());
    EXPECT_EQ(script.results, std::vector<int>{-1}) << "the first game ended unfinished, unannounced";
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_GT(filled, entries[0]);
    EXPECT_EQ(entries[1], entries[0]) << "the second table holds the book and nothing else";
    EXPECT_NE(firstKeys[0], firstKeys[1]) << "the second game draws new keys";
}

}  // namespace
