// The deep search as a GUI drives it, below the protocol: the engine owns the table, what each of
// its threads keeps from search to search of a game (history.h), and the thread a search runs on
// with its stop and ponder flags. What a GUI asks for is one operation each: a new game, clearing,
// resizing the table, the number of threads, go, stop, ponderhit, waiting for the answer.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "history.h"
#include "search.h"

namespace deep {

// A search as a GUI asks it: the position with the game before it, the limits, the lines to find and
// the root moves to search, a level's error, and where the reports go.
struct Request {
    Board root;
    std::vector<uint64_t> history;  // keys of the game's positions before the root, oldest first
    int halfMoves = 0;              // the standard half-move clock of the root
    Limits limits;
    bool ponder = false;            // no time limit counts until ponderhit
    bool waitsForStop = false;      // infinite or ponder: the answer waits for stop or ponderhit
    int lines = 1;
    std::vector<Move> searchMoves;
    int noise = 0;
    void (*report)(void* context, const Report& report) = nullptr;
    void* reportContext = nullptr;
};

// The evaluations the engine can search with, by the names the option that chooses them takes
// besides a net file's path: the net the program carries, and the hand-made one; and the one it
// starts with, the one that won its match (docs/strength.md).
const char builtInNetwork[] = "<built-in>", handMadeEvaluation[] = "<hand-made>";
const char* const startingEvaluation = builtInNetwork;
// The net of the starting evaluation (none: the hand-made one), for searches made without an engine.
inline const Network* startingNetwork() { return startingEvaluation == builtInNetwork ? &embeddedNetwork() : nullptr; }

struct Engine {
    explicit Engine(int megabytes);
    ~Engine() { stop(); }
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // The table made anew at the size, now, so that no search waits for it; the threads forget what
    // they learned. False when the process could not have that much: then the table is the largest
    // half it could have (tableMegabytes tells).
    bool resize(int megabytes);
    int64_t tableMegabytes() const { return table->megabytes(); }
    void setThreads(int count) { threads = count; }
    // The evaluation: builtInNetwork, handMadeEvaluation, or a net read from a file (its path);
    // false, with the reason, when the file is no net (the evaluation stays as it was).
    bool useEvaluation(const std::string& name, std::string& error);
    // A new game, or the table cleared: it is emptied and the threads forget what they learned, so
    // that the next search starts cold.
    void clear();

    // Searches on the search thread, or here when the search may take no more than a few
    // milliseconds and does not wait for stop (starting a thread can take longer than that under
    // Wine on a busy machine). `done` receives the best move and the reply expected (onBoard()
    // false when there is none) on the thread that searched.
    void go(const Request& request, void (*done)(void* context, const MoveInfo& best, const MoveInfo& ponder), void* context);
    // Runs another job on the search thread: the window engine's thinking.
    template <class Job>
    void start(Job job) {
        stopFlag = false, ponderFlag = false;
        worker = std::thread(std::move(job));
    }
    // Tells the search to stop, and waits until it has.
    void stop() {
        stopFlag = true;
        wait();
    }
    // The ponder search is now timed by its limits.
    void ponderhit() { ponderFlag = false; }
    void wait() {
        if (worker.joinable()) worker.join();
    }

private:
    std::unique_ptr<Table> table;
    std::unique_ptr<Network> loaded;  // a net read from a file
    const Network* network = nullptr;   // none: the hand-made evaluation
    std::vector<std::unique_ptr<ThreadMemory>> memory;  // one for each thread, kept for the game
    int threads = 1;
    uint32_t noiseSeed;  // a new one for each search, so that a level varies its moves
    std::thread worker;
    std::atomic<bool> stopFlag{false}, ponderFlag{false};
};

}  // namespace deep
