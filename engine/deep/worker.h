// One thread's search: its time, the killers, what it keeps of the move order from search to
// search (history.h), the principal variation, and the keys of the game and of the line it is on.
// Its node search is in worker.cpp, its iterations at the root in root.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <vector>

#include "history.h"
#include "move_picker.h"
#include "parameters.h"
#include "search.h"

namespace deep {

// Works out the late move reductions again from the parameters, as a tuning build must once they
// have been set; before the search's threads start.
void refreshReductions();

struct Worker {
    Search& s;
    const int index;     // 0 for the main worker, which tells, keeps the time and decides
    std::atomic<int64_t> nodes{0};  // positions searched, written by this worker alone
    TimeManager time;
    const bool proving;  // a mate search: nothing is pruned, reduced or answered by the table
    int64_t nextCheck = 0;
    bool aborted = false;
    bool answered = false;  // an iteration has been searched to its end: there is an answer to give
    std::vector<uint64_t> keys;  // the game's positions, then the current line's, by ply
    size_t rootAt = 0;
    Move killers[maxPly + 1][2] = {};
    std::unique_ptr<ThreadMemory> owned;  // when the search brings none: this search's alone
    ThreadMemory& memory;
    Move pv[maxPly + 1][maxPly + 1] = {};
    int pvLength[maxPly + 1] = {};
    int staticValues[maxPly + 1] = {};  // by ply, of the line searched
    int playedAt[maxPly + 2] = {};  // the moves of the line by ply (piece × 64 + square), -1 a pass
    int selectiveDepth = 0;

    Worker(Search& search, int sideToMove, int number)
        : s(search), index(number), time(search.limits, sideToMove), proving(search.limits.mate > 0),
          keys(search.history), rootAt(search.history.size()),
          owned(search.memory ? nullptr : std::make_unique<ThreadMemory>()),
          memory(owned ? *owned : *(*search.memory)[number]) {
        keys.resize(rootAt + maxPly + 2);
    }

    void count() { nodes.store(nodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
    // Whether to stop: a node limit reached by all the workers together, or, looked at every
    // stopCheckNodes positions, stop told, the main worker finished or the time up.
    bool timeUp() {
        const int64_t mine = nodes.load(std::memory_order_relaxed);
        if (aborted || (s.limits.nodes > 0 && (s.threads == 1 ? mine : s.nodesSearched()) >= s.limits.nodes))
            return aborted = true;
        // The main worker always finishes its first iteration, which takes next to no time, so that
        // however little time is left its answer has been searched.
        if (mine < nextCheck || (index == 0 && !answered)) return false;
        nextCheck = mine + stopCheckNodes;
        aborted = s.stop.load() || s.finished.load() || (index == 0 && time.outOfTime(s.pondering.load()));
        return aborted;
    }

    bool repeated(const Position& p, int ply) const {
        const size_t at = rootAt + ply;
        for (size_t back = 2; back <= static_cast<size_t>(p.halfMoves) && back <= at; back += 2)
            if (keys[at - back] == p.key) return true;
        return false;
    }
    // What the order of the moves at ply draws on.
    OrderHints hints(Move tableMove, int ply) { return OrderHints{tableMove, killers[ply], memory, playedAt, ply}; }

    // The network's evaluation; or, by hand, material and placement, and the structure terms,
    // which are not worked out when the first are so far outside the window that they could not
    // bring it back.
    int evaluate(const Position& p, int alpha = -infinity, int beta = infinity);
    // The search of captures (of every move when in check) until the position is quiet.
    int quiesce(const Position& p, int alpha, int beta, int ply);
    // The score of the position, ply half-moves below the root, searched to depth within alpha and
    // beta; in a window wider than one, the principal variation from it in pv[ply].
    int search(const Position& p, int depth, int alpha, int beta, int ply, bool nullAllowed);
    // Iterative deepening from the root: the best move, with its score; `ponder` receives the reply
    // expected (root.cpp).
    MoveInfo iterate(const Board& root, MoveInfo* ponder);
};

}  // namespace deep
