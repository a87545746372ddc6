// Time management: the limits a GUI sets a search, how much of the clock a move may take, and when
// the search stops.
#pragma once

#include <cstdint>

#include "../clock.h"

namespace deep {

struct Limits {
    int depth = 0;               // the last iteration's depth; 0: no limit but maxPly - 1
    int64_t nodes = 0;           // 0: no limit
    int64_t moveTime = 0;        // milliseconds; 0: no limit
    int64_t time[2] = {-1, -1};  // the clock of each side in milliseconds, -1 when not given
    int64_t increment[2] = {0, 0};
    int movesToGo = 0;           // 0: the rest of the game
    int64_t moveOverhead = 30;   // milliseconds lost per move between the GUI and the engine
    // A mate in at most this many moves to find: the search prunes nothing that could hide one,
    // and stops once it has one, or, with no other limit, once it has shown there is none.
    int mate = 0;
    // When the GUI's `go` came, by millisecondClock(), so that the time spent before the search
    // starts counts too; -1: when the search starts.
    int64_t startedAt = -1;
};

// How long a move may take, in milliseconds from the start of the search: the search starts no
// new iteration once about `soft` has passed, and stops at `hard`. 0 sets no limit.
struct TimeBudget {
    int64_t soft = 0, hard = 0;
};
TimeBudget timeBudget(const Limits& limits, int sideToMove);

// One search's time: when it started, its budget, and when it stops.
struct TimeManager {
    int64_t startedAt;
    TimeBudget budget;
    bool timed;  // a time per move or the clock of the side to move limits the search

    TimeManager(const Limits& limits, int sideToMove);
    int64_t elapsed() const { return millisecondClock() - startedAt; }
    // The hard limit has passed: the search stops at once. While pondering no time counts.
    bool outOfTime(bool pondering) const { return budget.hard > 0 && !pondering && elapsed() >= budget.hard; }
    // After an iteration of the given depth, whose best line mates in pliesToMate half-moves
    // (maxPly or more when it does not), with legalMoves moves at the root, the best move having
    // changed `changes` times of late (halved each iteration): whether to start the next. A timed
    // search stops once a mate is found that deeper iterations cannot change, once its soft
    // limit has passed (more or less by the changes), and at once with a single legal move.
    bool anotherIteration(int depth, int pliesToMate, int legalMoves, bool pondering, int changes) const;
};

}  // namespace deep
