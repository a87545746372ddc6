// Check, checkmate and stalemate of the side to move.
#pragma once

#include "board.h"
#include "square_set.h"

bool isInCheck(const Board& board);
// Mate and stalemate are one test, the side to move having no legal move: which of the two it is
// depends on check, which the caller has asked first.
bool isCheckmate(const Board& board);
inline bool isStalemate(const Board& board) { return isCheckmate(board); }

// Neither side can mate, whatever is played (the occupied squares given): bare kings, or a king
// and one knight or bishop against a king.
bool insufficientMaterial(const Board& board, const SquareSet& occupied);
