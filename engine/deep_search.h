// The engine under a chess GUI's limits: iterative deepening with alpha-beta that goes as deep as
// its limits allow and stops when told, with standard chess's draws (repetition, the fifty-move
// rule, stalemate, bare kings), a search of captures until the position is quiet, move ordering,
// pruning and a table with bounds. Its moves are the rules' own; its evaluation is its own
// (deep_evaluation.h).
#pragma once

#include <atomic>
#include <cstdint>
#include <vector>

#include "../rules/board.h"
#include "deep_table.h"

const int mateScore = 32000;  // a mate at ply p scores mateScore - p for the side that gives it
const int maxPly = 100;

struct SearchLimits {
    int depth = 0;            // the last iteration's depth; 0: no limit but maxPly - 1
    int64_t nodes = 0;        // 0: no limit
    int64_t moveTime = 0;     // milliseconds; 0: no limit
    int64_t time[2] = {-1, -1};  // the clock of each side in milliseconds, -1 when not given
    int64_t increment[2] = {0, 0};
    int movesToGo = 0;        // 0: the rest of the game
    int64_t moveOverhead = 30;   // milliseconds lost per move between the GUI and the engine
};

// How long a move may take, in milliseconds from the start of the search: the search starts no
// new iteration once half of `soft` has passed, and stops at `hard`. 0 sets no limit.
struct TimeBudget {
    int64_t soft = 0, hard = 0;
};
TimeBudget timeBudget(const SearchLimits& limits, int sideToMove);

// What the search tells while it runs.
struct SearchReport {
    int depth = 0, selectiveDepth = 0;
    int score = 0;             // for the side to move; a mate as mateScore - plies
    int64_t nodes = 0, milliseconds = 0;
    int hashPermille = 0;
    std::vector<MoveInfo> pv;  // the principal variation
    MoveInfo currentMove;      // with currentMoveNumber > 0: the root move being searched
    int currentMoveNumber = 0;
};

struct DeepSearch {
    DeepTable& table;
    const std::atomic<bool>& stop;       // set by another thread: stop at once
    const std::atomic<bool>& pondering;  // while set, no time limit counts
    SearchLimits limits;
    // Keys of the game's positions before the root, oldest first, and the standard half-move
    // clock at the root (moves since the last capture or pawn move).
    std::vector<uint64_t> history;
    int rootHalfMoves = 0;
    // Told each finished iteration, and the root move being searched once a search runs long.
    void (*report)(void* context, const SearchReport& report) = nullptr;
    void* reportContext = nullptr;
    // A weaker player: each root move's score gets a random error of up to this many centipawns.
    int noise = 0;
    uint32_t noiseSeed = 1;

    DeepSearch(DeepTable& t, const std::atomic<bool>& stopFlag, const std::atomic<bool>& ponderFlag)
        : table(t), stop(stopFlag), pondering(ponderFlag) {}

    // The best move of the position (onBoard() false when it has none), with its score in value;
    // `ponder` receives the expected reply, when there is one.
    MoveInfo run(const Board& root, MoveInfo* ponder = nullptr);
    int64_t nodesSearched() const { return nodes; }

private:
    int64_t nodes = 0;
    int64_t startedAt = 0;
    friend struct DeepNode;
};
