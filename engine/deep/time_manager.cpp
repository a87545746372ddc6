#include "time_manager.h"

#include <algorithm>

#include "../../rules/move_info.h"
#include "score.h"

namespace deep {

TimeBudget timeBudget(const Limits& l, int side) {
    TimeBudget b;  // a time per move is all spent: it sets no soft limit
    if (l.moveTime > 0) b.hard = std::max<int64_t>(1, l.moveTime - std::min<int64_t>(l.moveOverhead, l.moveTime / 10));
    const int64_t clock = l.time[side == White ? White : Black];
    if (clock < 0) return b;
    const int64_t usable = std::max<int64_t>(1, clock - l.moveOverhead);
    const int movesToGo = l.movesToGo > 0 ? std::min(l.movesToGo, 50) : 40;
    const int64_t increment = l.increment[side == White ? White : Black];
    int64_t hard = std::min<int64_t>(usable / movesToGo * 5 + increment, usable * (movesToGo == 1 ? 8 : 3) / 10);
    int64_t soft = std::min(hard, usable / movesToGo + increment * 3 / 4);
    hard = std::max<int64_t>(hard, 1), soft = std::max<int64_t>(soft, 1);
    b.soft = b.hard > 0 ? std::min(soft, b.hard) : soft;
    b.hard = b.hard > 0 ? std::min(hard, b.hard) : hard;
    return b;
}

TimeManager::TimeManager(const Limits& limits, int side)
    : startedAt(millisecondClock()), budget(timeBudget(limits, side)),
      timed(limits.moveTime > 0 || limits.time[side == White ? White : Black] >= 0) {}

bool TimeManager::anotherIteration(int depth, int pliesToMate, int legalMoves, bool pondering) const {
    if (timed && pliesToMate < maxPly && depth >= pliesToMate + 2) return false;
    if (pondering) return true;
    if (budget.soft > 0 && elapsed() * 2 >= budget.soft) return false;
    return !(timed && legalMoves == 1);
}

}  // namespace deep
