// One game: its session objects, the shared state the window reads, and the game loop.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>

#include "../engine/window/transposition_table.h"
#include "../rules/board.h"
#include "../rules/move_table.h"

// The three objects of one game, each owned by the session.
struct GameSession {
    Board* board;
    MoveTable* moveTable;
    TranspositionTable* table;

    // An empty board, an unfilled move table, a 2^tableBits-entry table with the book written into it.
    explicit GameSession(int8_t tableBits = 18);
    ~GameSession();
    GameSession(const GameSession&) = delete;
    GameSession& operator=(const GameSession&) = delete;
};

// What the game loop needs of the user interface. Each program fills in all seven before the
// first game starts; every one is called on the game thread and returns when it is done.
struct GameUi {
    void (*askGameMode)();                        // sets whiteIsEngine and blackIsEngine
    void (*drawBoard)(const Board& board);
    void (*drawDepthAndValue)(const Board& board, const MoveTable& table);
    MoveInfo (*getHumanMove)(const Board& board);
    void (*reportIllegalMove)(const char* text);
    void (*announceResult)(int result);           // -1, 0 or +1
    void (*moveBeep)();
    // Asked before each move is obtained; true ends the game unfinished. Null: never.
    bool (*stopRequested)();
};
extern GameUi gameUi;

// A move record that two threads share: the move being entered by the mouse, or the engine's
// last move, whose squares the board drawing frames.
struct SharedMove {
    std::atomic<int32_t> fromRow{-1}, fromCol{-1}, toRow{-1}, toCol{-1};
    std::atomic<int32_t> promotion{NoPromotion};
    std::atomic<int32_t> value{0};

    MoveInfo load() const;
    void store(const MoveInfo& move);
    void reset() { store(MoveInfo(-1, -1, -1, -1, NoPromotion, 0)); }
};
// The click buffer: reset when the engine starts thinking and when a human move is asked for.
extern SharedMove currentMove;

extern std::atomic<bool> gameRunning;
extern std::atomic<GameSession*> currentSession;
extern std::atomic<int32_t> whiteIsEngine;
extern std::atomic<int32_t> blackIsEngine;

// Held while the game thread changes the session's board or releases the session, and by
// anyone who reads the board of currentSession from another thread.
extern std::mutex sessionGuard;

// "Black wins.", "Draw game.", "White wins." for -1, 0, +1.
const char* resultText(int result);

// The engine's move made fit to play: put to the rules like any other move (a table entry that
// two positions share could name a move that leaves the engine's king capturable; then the first
// legal move is played instead), with its promotion field naming a piece of the mover's colour
// exactly when a pawn reaches the last rank.
MoveInfo playableEngineMove(const Board& board, const MoveTable& table, MoveInfo move);

// The result of a game that stopRequested ended before its end.
const int unfinishedGame = 2;

// Plays one game on the session to its end: -1 Black wins, 0 drawn, +1 White wins.
int playGame(GameSession* session, int32_t whiteIsEngine, int32_t blackIsEngine);

// The game thread: builds the session, asks for the mode, plays, announces the result, releases
// the session (clearing currentMove, whose frames end with the game) and clears gameRunning.
void gameThreadMain();
