// The game loop and the game thread, with a scripted human and a recorder for the screen.
#include <gtest/gtest.h>

#include <random>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/move_choice.h"
#include "engine/random.h"
#include "fen.h"
#include "game/game_control.h"
#include "rules/rule_checker.h"

namespace {

// What the scripted user interface saw and did.
struct Script {
    std::vector<std::string> moves;  // entered in order, illegal ones included
    size_t next = 0;
    std::vector<std::string> boxes;  // texts of "Illegal move!" boxes
    std::vector<int> results;
    int beeps = 0;
    int panels = 0;
    int boardsDrawn = 0;
    int32_t white = 0, black = 0;    // the mode askGameMode chooses
    Board boardAtLastRefusal;
    void (*onHumanMove)(const Board&) = nullptr;
    std::vector<GameSession*> sessionsSeen;
};
Script script;

MoveInfo scriptedMove(const Board& board) {
    if (script.onHumanMove) script.onHumanMove(board);
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
        [] {
            script.sessionsSeen.push_back(currentSession.load());
            whiteIsEngine = script.white;
            blackIsEngine = script.black;
        },
        [](const Board&) { ++script.boardsDrawn; },
        [](const Board&, const MoveTable&) { ++script.panels; },
        scriptedMove,
        [](const char* text) {
            script.boxes.push_back(text);
            script.boardAtLastRefusal = *currentSession.load()->board;
        },
        [](int result) { script.results.push_back(result); },
        [] { ++script.beeps; },
        [] { return script.next >= script.moves.size(); },  // a game that outlives its script stops
    };
}

int playScripted(const std::vector<std::string>& moves, int32_t white = 0, int32_t black = 0) {
    useScript(moves);
    restartRandom();
    GameSession* session = new GameSession;
    currentSession = session;
    const int result = playGame(session, white, black);
    currentSession = nullptr;
    delete session;
    return result;
}

bool sameBoard(const Board& a, const Board& b) {
    return std::equal(a.squares, a.squares + 64, b.squares) && a.sideToMove == b.sideToMove &&
           a.plyCount == b.plyCount && a.quietMoveCount == b.quietMoveCount &&
           std::equal(a.castlingRights, a.castlingRights + 4, b.castlingRights);
}

TEST(GameLoop, IllegalAttemptsAreRefusedUntilAMateEndsTheGame) {
    // Fool's mate with refused attempts in between.
    const int result = playScripted({"F2-F3", "E7-E5", "A1-A3", "E7-E5", "G2-G4", "E1-E2", "D8-H4"});
    EXPECT_EQ(result, -1);
    EXPECT_STREQ(resultText(result), "Black wins.");
    EXPECT_EQ(script.boxes, (std::vector<std::string>{"Can't jump over pieces!", "There's no piece!",
                                                       "Wrong side!"}));
    EXPECT_EQ(script.beeps, 4) << "one beep per made move, none for a refusal";
    EXPECT_EQ(script.next, script.moves.size());
    EXPECT_EQ(script.boardsDrawn, 5) << "one drawing per turn: four moves and the mate";
}

TEST(GameLoop, RefusalLeavesTheBoardAsItWas) {
    EXPECT_EQ(playScripted({"E2-E4", "E7-E5", "E1-E3", "G1-F3"}), unfinishedGame);
    ASSERT_EQ(script.boxes.size(), 1u);
    EXPECT_EQ(script.boxes[0], "Against the rules for this piece!");
    Board expected;
    expected.setStartPosition();
    for (const char* m : {"E2-E4", "E7-E5"}) {
        MoveInfo mv;
        std::string error;
        readMove(m, expected.sideToMove, mv, error);
        makeMove(expected, mv);
        expected.switchSide();
    }
    EXPECT_TRUE(sameBoard(script.boardAtLastRefusal, expected));
    EXPECT_EQ(script.beeps, 3);
}

TEST(GameLoop, EachSideCanWin) {
    EXPECT_EQ(playScripted({"E2-E4", "E7-E5", "F1-C4", "B8-C6", "D1-H5", "G8-F6", "H5-F7"}), 1);
    EXPECT_EQ(playScripted({"F2-F3", "E7-E5", "G2-G4", "D8-H4"}), -1);
    EXPECT_EQ(script.panels, 4) << "no panel in the turn that starts in check";
}

TEST(GameLoop, StalemateIsADraw) {
    // The shortest known stalemate from the starting position.
    EXPECT_EQ(playScripted({"E2-E3", "A7-A5", "D1-H5", "A8-A6", "H5-A5", "H7-H5", "H2-H4", "A6-H6",
                            "A5-C7", "F7-F6", "C7-D7", "E8-F7", "D7-B7", "D8-D3", "B7-B8", "D3-H7",
                            "B8-C8", "F7-G6", "C8-E6"}),
              0);
}

TEST(GameLoop, MoreThanOneHundredQuietMovesDraw) {
    // Knights shuffle out and back: every move ends on an empty square.
    std::vector<std::string> moves;
    const char* shuffle[] = {"G1-F3", "G8-F6", "F3-G1", "F6-G8"};
    for (int i = 0; i < 101; ++i) moves.push_back(shuffle[i % 4]);
    useScript(moves);
    static int askedWithHundred = 0;
    askedWithHundred = 0;
    script.onHumanMove = [](const Board& b) {
        if (b.quietMoveCount == 100) ++askedWithHundred;
        EXPECT_LE(b.quietMoveCount, 100) << "a turn starting at 101 must not ask for a move";
    };
    restartRandom();
    GameSession* session = new GameSession;
    EXPECT_EQ(playGame(session, 0, 0), 0);
    delete session;
    EXPECT_EQ(askedWithHundred, 1) << "100 quiet moves do not end the game";
    EXPECT_EQ(script.next, 101u);
}

TEST(GameLoop, PromotionPieceIsTheMoversOwn) {
    // A promotion piece of the wrong colour, or none, is settled as a queen of the mover.
    useScript({});
    restartRandom();
    GameSession* session = new GameSession;
    std::vector<std::string> moves = {"H2-H4", "G7-G5", "H4-G5", "H7-H6", "G5-H6", "G8-F6", "H6-H7",
                                      "F6-G8", "H7-G8",  // no promotion letter given
                                      "A7-A6"};
    script.moves = moves;
    gameUi.stopRequested = [] { return script.next == script.moves.size(); };
    EXPECT_EQ(playGame(session, 0, 0), unfinishedGame);
    EXPECT_EQ(session->board->at(7, 6), pieceCode(Queen, White));
    delete session;
}

// A planted table entry whose move leaves the engine's king capturable is not played.
TEST(GameLoop, EnginesMoveIsCheckedBeforeItIsMade) {
    useScript({"E2-E4", "F1-B5"});
    script.black = 1;
    script.onHumanMove = [](const Board& b) {
        if (b.plyCount != 2) return;  // after 1.e4 e5: plant for the position after 2.Bb5
        GameSession* s = currentSession.load();
        Board after = b;
        makeMove(after, MoveInfo("F1", "B5"));
        after.switchSide();
        TableEntry& e = s->table->entries[s->table->indexOf(after)];
        e.valid = 1;
        e.side = Black;
        e.depth = 16;
        e.key = s->table->checkKeyOf(after);
        e.move = MoveInfo("D7", "D6");  // the d-pawn is pinned
        // The engine's next draw must not clear the table, or the plant would be gone.
        std::minstd_rand peek;
        for (int i = 0; i < 2 * 12 * 64 + 1; ++i) peek();  // keys, and the clear draw of move 1
        while (peek() % 4 == 0) nextRandom();
    };
    restartRandom();
    GameSession* session = new GameSession;
    currentSession = session;
    gameUi.stopRequested = [] { return script.next == script.moves.size() && script.beeps == 4; };
    EXPECT_EQ(playGame(session, 0, 1), unfinishedGame);
    const Board& b = *session->board;
    EXPECT_EQ(b.at(6, 3), pieceCode(Pawn, Black)) << "the pinned pawn stayed";
    EXPECT_EQ(b.at(4, 0), pieceCode(Pawn, Black)) << "the first legal move, a7-a5, was played instead";
    currentSession = nullptr;
    delete session;
}

// The whole engine-vs-engine game from the start: its moves are part of the engine's record.
TEST(GameLoop, EngineAgainstEngineRunsToItsResult) {
    static std::string moves;
    moves.clear();
    useScript({});
    gameUi.moveBeep = [] {
        const MoveInfo m = currentMove.load();
        moves += std::string(1, char('A' + m.fromCol)) + char('1' + m.fromRow) + char('A' + m.toCol) +
                 char('1' + m.toRow) + " ";
        ++script.beeps;
    };
    restartRandom();
    GameSession* session = new GameSession;
    gameUi.stopRequested = nullptr;
    EXPECT_EQ(playGame(session, 1, 1), -1);
    delete session;
    EXPECT_EQ(script.next, 0u) << "no input was asked for";
    EXPECT_EQ(script.beeps, 56);
    EXPECT_EQ(moves.substr(0, 60), "E2E4 E7E5 G1F3 B8C6 F1B5 A7A6 B5C6 D7C6 E1G1 C8G4 H2H3 H7H5 ");
    EXPECT_EQ(moves.substr(moves.size() - 10), "C3E2 G2E2 ");
}

// Two game threads in a row, each painted by another thread while it plays.
TEST(GameThread, SessionsArePaintedSafelyAndReleasedOnce) {
    useScript({"F2-F3", "E7-E5", "G2-G4", "D8-H4", "E2-E4", "E7-E5", "F1-C4", "B8-C6", "D1-H5", "G8-F6", "H5-F7"});
    gameUi.stopRequested = nullptr;
    std::atomic<bool> stop{false};
    std::atomic<long> paints{0};
    std::thread painter([&] {
        while (!stop) {
            std::lock_guard<std::mutex> hold(sessionGuard);
            if (GameSession* s = currentSession.load()) {
                int pieces = 0;
                for (PieceCode p : s->board->squares) pieces += p != EmptySquare;
                EXPECT_LE(pieces, 32);
                ++paints;
            }
        }
    });
    restartRandom();
    for (int game = 0; game < 2; ++game) {
        gameRunning = true;
        std::thread t(gameThreadMain);
        t.join();
        EXPECT_FALSE(gameRunning);
        EXPECT_EQ(currentSession.load(), nullptr);
    }
    stop = true;
    painter.join();
    EXPECT_EQ(script.results, (std::vector<int>{-1, 1}));
    ASSERT_EQ(script.sessionsSeen.size(), 2u);
}

TEST(GameThread, SecondGameStartsWithOnlyTheBook) {
    useScript({"F2-F3", "E7-E5", "G2-G4", "D8-H4", "F2-F3", "E7-E5", "G2-G4", "D8-H4"});
    static std::vector<int> validEntries;
    static std::vector<int32_t> firstKeys;
    validEntries.clear();
    firstKeys.clear();
    gameUi.askGameMode = [] {
        GameSession* s = currentSession.load();
        int n = 0;
        for (int32_t i = 0; i < s->table->size(); ++i) n += s->table->entries[i].valid;
        validEntries.push_back(n);
        firstKeys.push_back(s->table->indexKeys[0][0]);
        whiteIsEngine = 1;  // the first game's engine searches and fills its table
        blackIsEngine = 0;
    };
    restartRandom();
    gameRunning = true;
    gameUi.getHumanMove = scriptedMove;
    script.moves = {"E7-E5", "D8-H4", "B8-C6", "G8-F6", "F8-C5", "D7-D6", "C8-G4", "D8-E7", "E8-D8", "A7-A6"};
    gameUi.stopRequested = [] { return script.beeps >= 6; };
    gameThreadMain();
    gameRunning = true;
    gameUi.stopRequested = [] { return true; };
    gameThreadMain();
    ASSERT_EQ(validEntries.size(), 2u);
    EXPECT_EQ(validEntries[0], validEntries[1]) << "the second table holds the book and nothing else";
    EXPECT_NE(firstKeys[0], firstKeys[1]) << "the second game draws new keys";
}

}  // namespace
