// VimoChess's engine behind the Universal Chess Interface, the protocol side: it reads the commands
// and writes what UCI answers (info, bestmove, the options), while the engines below search. The
// deep search is driven through deep::Engine (engine/deep/engine.h), which owns its table, memories
// and thread; the window's engine through the game session it plays in.
#pragma once

#include <cstdint>
#include <iosfwd>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "engine/deep/engine.h"
#include "game/game_control.h"

// The largest Hash in MB: what a 32-bit program's address space leaves room for, or in a 64-bit
// program far more than any machine has (a table that cannot be had is made smaller, and says so).
constexpr int maxHashMegabytes = sizeof(void*) >= 8 ? 33554432 : 1024;

// The settings that options make and go reads (options.cpp declares each option, with its action).
struct UciSettings {
    int hashMegabytes = 9;  // 9 MB: the window's 2^18 entries
    int moveOverhead = 50;  // milliseconds
    int multiPv = 1;        // the best lines told, best first
    bool limitStrength = false;
    int elo = 0;            // set by UCI_Elo; the top level until then
    bool chess960 = false;  // castling sent and read as the king taking its own rook
    bool showWdl = false;   // info lines with a score tell its odds too
    bool windowEngine = false;  // every go as the window plays: depths 3 to 5, no clock
};

// The UCI side of one engine process. A game session is built by ucinewgame, or by the first
// position or go that comes without one: its keys and book are drawn and loaded exactly as the
// window's New game does, and it is kept (with everything its table learns) until the next
// ucinewgame, so the same positions handed over in the same order get the same moves as a game.
//
// A go without limits is the window's engine: depths 3, 4 and 5. A go with limits (depth, nodes,
// movetime, the clock, infinite, ponder) runs the deep search, which stops at its limits or at
// stop. The search runs on its own thread, so commands are read and answered meanwhile; the
// answer of go infinite or go ponder waits for stop or ponderhit, as UCI asks.
struct UciEngine {
    UciEngine();
    ~UciEngine() { finishSearch(); }
    UciEngine(const UciEngine&) = delete;
    UciEngine& operator=(const UciEngine&) = delete;

    // Answers one line of input on out, a line at a time and flushed. False after quit.
    bool handle(const std::string& line, std::ostream& out);
    // Returns once the running search, if any, has ended and answered (stop it first when it
    // waits for stop).
    void wait() { engine.wait(); }
    // Lets a search with limits end by them and stops one that waits for stop: what happens when
    // the input ends, or a command comes that needs the search over.
    void endOfInput();

    // The game being played (null before the first game); its board is the current position.
    const GameSession* game() const { return session.get(); }

    // What the options act on (options.cpp).
    UciSettings settings;
    deep::Engine engine;
    std::unique_ptr<GameSession> session;
    // Makes the deep search's table anew at the Hash size, telling when less could be had.
    void makeDeepTable(std::ostream& out);

private:
    std::vector<uint64_t> history;  // keys of the game's positions before the current one
    int halfMoves = 0;              // the standard half-move clock of the current position
    std::string positionError;      // why the last position command was refused, or ""

    std::mutex answerGuard;  // the answer and the flags below, between the reader and the search
    std::ostream* answerOut = nullptr;
    std::string answer;          // the bestmove line of the last search, once it has ended
    bool searchEnded = false;    // the search has its answer
    bool holdAnswer = false;     // go infinite / go ponder: the answer waits for stop or ponderhit

    void newGame();
    // Reads a move of the current game in UCI's notation (castling as the king's move, or as the
    // king taking its own rook in Chess960), checked like a human move; false with the reason.
    bool readUciMove(const std::string& text, const Board& board, std::string& error, MoveInfo& move) const;
    void setPosition(const std::string& line, std::ostream& out);
    void setOption(const std::string& line, std::ostream& out);
    void listOptions(std::ostream& out) const;
    void go(const std::string& line, std::ostream& out);
    // Stops the running search, lets its answer out and waits for its thread.
    void finishSearch();
    // The search's last act: the answer goes out now, or when stop or ponderhit comes.
    void searchEnded_(const std::string& bestmove);
    void releaseAnswer();
    // What the deep search tells, and its answer, on the thread that searches.
    static void tellDeep(void* context, const deep::Report& report);
    static void deepAnswer(void* context, const MoveInfo& best, const MoveInfo& reply);
};

// A score of the window's engine for the side to move as UCI writes it: "cp 35", or "mate 2" /
// "mate -1" when the value is the engine's score for a mate it has found (see position.cpp).
std::string uciScore(int value);
// A score of the deep search: "cp 35", "mate 3", "mate -2".
std::string uciDeepScore(int score);

// Words from to to (excluded), with a space between each two.
std::string joined(const std::vector<std::string>& words, size_t from, size_t to);

// Writes a line to out at once, whole, whatever other thread writes there too.
void sayLine(std::ostream& out, const std::string& line);
