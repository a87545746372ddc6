// The odds a score stands for: how often the engine's own games were won, drawn and lost from
// positions it scored so, at that stage of the game. A logistic model, fitted to the engine's
// self-play games by scripts/fit-wdl.py (docs/uci.md tells how).
#pragma once

#include <cmath>

#include "score.h"

namespace deep {

struct WinDrawLoss {
    int win, draw, loss;  // per thousand, summing to 1000
};

// For a score of the side to move at a phase from 0 (kings and pawns) to 24 (all pieces): the win
// odds are 1 / (1 + exp((a - score) / b)), the loss odds the same for the negated score, with a and
// b linear in the phase.
inline WinDrawLoss winDrawLoss(int score, int phase) {
    if (pliesToMate(score) < maxPly) return score > 0 ? WinDrawLoss{1000, 0, 0} : WinDrawLoss{0, 0, 1000};
    const double t = (phase < 0 ? 0 : phase > 24 ? 24 : phase) / 24.0;
    const double a = 171.1 - 129.7 * t, b = 115.0 + 26.2 * t;
    const auto odds = [&](double s) { return static_cast<int>(std::lround(1000 / (1 + std::exp((a - s) / b)))); };
    const int win = odds(score), loss = odds(-score);
    return WinDrawLoss{win, 1000 - win - loss, loss};
}

}  // namespace deep
