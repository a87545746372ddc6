// The deep search's scores: hundredths of a pawn for the side to move, and mates by their
// distance. A mate given at ply p (half-moves below the root) scores mateScore - p, a mate
// suffered there p - mateScore.
#pragma once

namespace deep {

const int mateScore = 32000;
const int maxPly = 100;              // no line is searched deeper
const int infinity = mateScore + 1;  // beyond every score

// The half-moves from the root to the mate a score stands for, or maxPly and more when it is no
// mate.
inline int pliesToMate(int score) { return mateScore - (score < 0 ? -score : score); }

}  // namespace deep
