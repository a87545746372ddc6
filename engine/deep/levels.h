// The engine's levels of play below its full strength, by the Elo rating of a player it should
// match (UCI_Elo). Each level limits the deep search's positions per move and adds a random error
// to its judgement of the moves at the root. The figures are set from matches against Stockfish's
// own levels (docs/matches.md).
#pragma once

#include <cstdint>

namespace deep {

const int minElo = 1000;
const int maxElo = 2050;  // full strength

struct Level {
    int64_t nodes = 0;  // per move; 0: no limit
    int noise = 0;      // the largest error added to a root move's score, in centipawns
};

// The level for an Elo rating from minElo to maxElo, between the measured ones; maxElo and above
// is full strength.
Level levelFor(int elo);

}  // namespace deep
