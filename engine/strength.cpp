#include "strength.h"

#include <cmath>

PlayingStrength playingStrength(int elo) {
    PlayingStrength level;
    if (elo >= maxElo) return level;
    const double t = elo <= minElo ? 0.0 : static_cast<double>(elo - minElo) / (maxElo - minElo);
    level.nodes = static_cast<int64_t>(1000 * std::pow(2.0, 10 * t));
    level.noise = static_cast<int>(150 * (1 - t));
    return level;
}
