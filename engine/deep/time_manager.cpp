#include "time_manager.h"

#include <algorithm>

#include "../../rules/move_info.h"
#include "parameters.h"
#include "score.h"

namespace deep {

TimeBudget timeBudget(const Limits& l, int side) {
    TimeBudget b;  // a time per move is all spent: it sets no soft limit
    if (l.moveTime > 0) b.hard = std::max<int64_t>(1, l.moveTime - std::min<int64_t>(l.moveOverhead, l.moveTime / moveTimeReserveDivisor));
    const int64_t clock = l.time[side == White ? White : Black];
    if (clock < 0) return b;
    const int64_t usable = std::max<int64_t>(1, clock - l.moveOverhead);
    const int movesToGo = l.movesToGo > 0 ? std::min(l.movesToGo, movesToGoMax) : movesToGoDefault;
    const int64_t increment = l.increment[side == White ? White : Black];
    // The time for the moves to go: the clock and their increments, less what the moves lose
    // between the GUI and the engine, a reserve kept for some of them. What is left is shared out
    // evenly; a move may take a few shares, and never more than a part of the clock.
    const int64_t left = clock + increment * (movesToGo - 1) - l.moveOverhead * std::min(movesToGo, overheadReserveMoves);
    int64_t soft = std::max<int64_t>(1, left / movesToGo);
    int64_t hard = std::min<int64_t>(soft * hardShares, usable * (movesToGo == 1 ? hardLastMovePercent : hardClockPercent) / percent);
    soft = std::min(soft, hard);
    hard = std::max<int64_t>(hard, 1), soft = std::max<int64_t>(soft, 1);
    b.soft = b.hard > 0 ? std::min(soft, b.hard) : soft;
    b.hard = b.hard > 0 ? std::min(hard, b.hard) : hard;
    return b;
}

TimeManager::TimeManager(const Limits& limits, int side)
    : startedAt(limits.startedAt >= 0 ? limits.startedAt : millisecondClock()), budget(timeBudget(limits, side)),
      timed(limits.moveTime > 0 || limits.time[side == White ? White : Black] >= 0) {}

bool TimeManager::anotherIteration(int depth, int pliesToMate, int legalMoves, bool pondering, int changes) const {
    if (timed && pliesToMate < maxPly && depth >= pliesToMate + 2) return false;
    if (pondering) return true;
    // A best move that keeps changing is worth more time, one that holds less: no new iteration
    // after a part of the soft limit while it holds, up to a multiple of it while it changes.
    const int64_t soft = budget.soft * std::min(maxTenths, stableTenths + changeTenths * changes) / tenths;
    if (budget.soft > 0 && elapsed() >= std::min(soft, budget.hard)) return false;
    return !(timed && legalMoves == 1);
}

}  // namespace deep
