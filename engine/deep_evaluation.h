// What the deep search adds to the window engine's evaluation, which knows material, placement
// and a few pawn and rook patterns but nothing of the kings' safety or of how far a pawn is from
// queening: the king's pawn shelter and its place while the opponent still has pieces to attack
// with, the king's centralisation once they are gone, passed pawns by how far they have come, the
// bishop pair and the mobility of the pieces. Scores in hundredths of a pawn, for the side to move.
#pragma once

#include "../rules/move_generator.h"

int32_t positionalTerms(const Board& board, const Occupancy& occupied);
