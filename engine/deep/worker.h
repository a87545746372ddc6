// One thread's search: its time, what it learns of the move order (killers, history), the
// principal variation, and the keys of the game and of the line it is on. Its node search is in
// worker.cpp, its iterations at the root in root.cpp.
#pragma once

#include <atomic>
#include <cstddef>
#include <vector>

#include "position.h"
#include "search.h"

namespace deep {

struct ScoredMove {
    GeneratedMove move;
    int order;
    bool tactical;  // a capture or a promotion
};

// Whole evaluations already worked out, by the position's key (kept whole, as the table keeps it).
struct EvalCache {
    static const uint32_t mask = (1 << 15) - 1;
    struct Entry {
        uint64_t key;
        int32_t score;
        bool kept;
    } entries[mask + 1] = {};
};

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
    OrderMemory* const owned;  // when the search brings none: this search's alone
    OrderMemory& memory;
    int (&history)[12][64] = memory.history;
    Move (&counters)[12][64] = memory.counters;
    int16_t (&continuation)[768][768] = memory.continuation;
    Move pv[maxPly + 1][maxPly + 1] = {};
    int pvLength[maxPly + 1] = {};
    int staticValues[maxPly + 1] = {};  // by ply, of the line searched
    int playedAt[maxPly + 2] = {};  // the moves of the line by ply (piece × 64 + square), -1 a pass
    PawnCache* pawnCache = new PawnCache;  // owned
    EvalCache* evalCache = new EvalCache;  // owned
    int selectiveDepth = 0;

    Worker(Search& search, int sideToMove, int number)
        : s(search), index(number), time(search.limits, sideToMove), proving(search.limits.mate > 0),
          keys(search.history), rootAt(search.history.size()),
          owned(search.memory ? nullptr : new OrderMemory), memory(owned ? *owned : *(*search.memory)[number]) {
        keys.resize(rootAt + maxPly + 2);
    }
    ~Worker() {
        delete pawnCache;
        delete evalCache;
        delete owned;
    }
    Worker(const Worker&) = delete;
    Worker& operator=(const Worker&) = delete;

    void count() { nodes.store(nodes.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed); }
    // Whether to stop: a node limit reached by all the workers together, or, looked at every 1024
    // positions, stop told, the main worker finished or the time up.
    bool timeUp() {
        const int64_t mine = nodes.load(std::memory_order_relaxed);
        if (aborted || (s.limits.nodes > 0 && (s.threads == 1 ? mine : s.nodesSearched()) >= s.limits.nodes))
            return aborted = true;
        // The main worker always finishes its first iteration, which takes next to no time, so that
        // however little time is left its answer has been searched.
        if (mine < nextCheck || (index == 0 && !answered)) return false;
        nextCheck = mine + 1024;
        aborted = s.stop.load() || s.finished.load() || (index == 0 && time.outOfTime(s.pondering.load()));
        return aborted;
    }

    bool repeated(const Position& p, int ply) const {
        const size_t at = rootAt + ply;
        for (size_t back = 2; back <= static_cast<size_t>(p.halfMoves) && back <= at; back += 2)
            if (keys[at - back] == p.key) return true;
        return false;
    }


    // The moves of the position, each with its place in the order of search: the table's move,
    // captures that do not lose material (by the value taken, then the taker) and queen promotions,
    // the killers, the quiet moves by history, the captures that lose material, the other
    // promotions. Capturing alone, the losing captures are left out.
    int listMoves(const Position& p, ScoredMove* list, Move tableMove, int ply, bool capturesOnly);
    // The counter move to the position's last move, and where it is kept; none after a pass.
    Move* counterSlot(const Position& p) {
        const MoveInfo& last = p.board.lastMove;
        if (!last.onBoard()) return nullptr;
        const PieceCode moved = p.board.at(last.toRow, last.toCol);
        return moved == EmptySquare ? nullptr : &counters[moved][last.toRow * 8 + last.toCol];
    }
    static int pieceTo(const Position& p, const GeneratedMove& m) { return p.board.squares[m.from] * 64 + m.to; }
    // A quiet move's history after the moves one and two plies before it.
    int continuationOf(int ply, int move) const {
        int sum = 0;
        for (int back = 1; back <= 2 && back <= ply; ++back)
            if (playedAt[ply - back] >= 0) sum += continuation[playedAt[ply - back]][move];
        return sum;
    }
    Move counterTo(const Position& p) {
        const Move* slot = counterSlot(p);
        return slot ? *slot : Move();
    }
    static GeneratedMove takeBest(ScoredMove* list, int n, int i) {
        int best = i;
        for (int j = i + 1; j < n; ++j)
            if (list[j].order > list[best].order) best = j;
        std::swap(list[i], list[best]);
        return list[i].move;
    }

    // Material and placement, and the structure terms, which are not worked out when the first
    // are so far outside the window that they could not bring it back.
    int evaluate(const Position& p, int alpha = -infinity, int beta = infinity) const;
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
