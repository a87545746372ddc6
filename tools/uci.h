// VimoChess's engine behind the Universal Chess Interface: one command line at a time.
#pragma once

#include <iosfwd>
#include <string>

#include "game/game_control.h"

// The UCI side of one engine process. A game session is built by ucinewgame, or by the first
// position or go that comes without one: its keys and book are drawn and loaded exactly as the
// window's New game does, and it is kept (with everything its table learns) until the next
// ucinewgame, so the same positions handed over in the same order get the same moves as a game.
//
// The search cannot be interrupted, so go is answered before the next line is read. After
// "go infinite" or "go ponder" the bestmove line waits for stop or ponderhit, as UCI asks.
struct UciEngine {
    UciEngine() = default;
    ~UciEngine();
    UciEngine(const UciEngine&) = delete;
    UciEngine& operator=(const UciEngine&) = delete;

    // Answers one line of input on out, a line at a time and flushed. False after quit.
    bool handle(const std::string& line, std::ostream& out);

    // The game being played (null before the first game); its board is the current position.
    const GameSession* game() const { return session; }

private:
    GameSession* session = nullptr;
    std::string heldMove;  // the answer of go infinite / go ponder, waiting for stop
    bool holding = false;

    void newGame();
    void setPosition(const std::string& line, std::ostream& out);
    void go(const std::string& line, std::ostream& out);
    void release(std::ostream& out);
};

// A move in UCI's coordinate notation: "e2e4", "e7e8q"; castling as the king's move "e1g1".
std::string uciMoveName(const MoveInfo& move);

// A score for the side to move as UCI writes it: "cp 35", or "mate 2" / "mate -1" when the
// value is the engine's score for a mate it has found (see uci.cpp).
std::string uciScore(int value);
