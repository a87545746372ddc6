// The engine under a chess GUI's limits: iterative deepening with alpha-beta that goes as deep as
// its limits allow and stops when told, with standard chess's draws (repetition, the fifty-move
// rule, stalemate, bare kings), a search of captures until the position is quiet, move ordering,
// pruning and a table with bounds. Its moves are the rules' own; its evaluation is its own
// (evaluation.h). Search::run (root.cpp) is its one entry point.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "../../rules/board.h"
#include "move.h"
#include "network.h"
#include "score.h"
#include "table.h"
#include "time_manager.h"

namespace deep {

struct Worker;

// What the search tells while it runs.
struct Report {
    int depth = 0, selectiveDepth = 0;
    int score = 0;             // for the side to move; a mate as mateScore - plies
    int64_t nodes = 0, milliseconds = 0;
    int hashPermille = 0;
    int phase = 0;             // of the root: 24 with all the pieces on the board, 0 with none
    std::vector<MoveInfo> pv;  // the principal variation
    int line = 0;              // which of the best lines it is, from 1, when more than one is asked
    MoveInfo currentMove;      // with currentMoveNumber > 0: the root move being searched
    int currentMoveNumber = 0;
};

struct ThreadMemory;  // history.h

// One search, and all it is handed: the table, the stop and ponder flags another thread sets, the
// limits, the game before the root, and where its reports go.
struct Search {
    Table& table;
    const std::atomic<bool>& stop;       // set by another thread: stop at once
    const std::atomic<bool>& pondering;  // while set, no time limit counts
    Limits limits;
    // Keys of the game's positions before the root, oldest first, and the standard half-move
    // clock at the root (moves since the last capture or pawn move).
    std::vector<uint64_t> history;
    int rootHalfMoves = 0;
    // Told each finished iteration, and the root move being searched once a search runs long.
    void (*report)(void* context, const Report& report) = nullptr;
    void* reportContext = nullptr;
    // A weaker player: each root move's score gets a random error of up to this many centipawns.
    int noise = 0;
    uint32_t noiseSeed = 1;
    // The best lines to find and tell, best first (only the best decides the move), and the root
    // moves to search, when not all of them.
    int lines = 1;
    std::vector<Move> searchMoves;
    // Threads searching at once, sharing the table (1: the search is the same at each run).
    int threads = 1;
    // The evaluation: a network (the programs carry one), or none for the hand-made one.
    const Network* network = nullptr;
    // What the threads learned of the move order in the game's earlier searches, with their caches,
    // one for each thread, kept by the caller; the missing ones are made. None: each thread starts
    // afresh.
    std::vector<std::unique_ptr<ThreadMemory>>* memory = nullptr;

    Search(Table& t, const std::atomic<bool>& stopFlag, const std::atomic<bool>& ponderFlag)
        : table(t), stop(stopFlag), pondering(ponderFlag) {}

    // The best move of the position (onBoard() false when it has none), with its score in value;
    // `ponder` receives the expected reply, when there is one.
    MoveInfo run(const Board& root, MoveInfo* ponder = nullptr);
    // Positions searched, by all the workers together.
    int64_t nodesSearched() const;

private:
    int64_t nodes = 0;
    std::vector<Worker*> workers;     // while the search runs, the main worker first (not owned)
    std::atomic<bool> finished{false};  // the main worker is done: the helpers stop
    friend struct Worker;
};

}  // namespace deep
