// Check, checkmate and stalemate of the side to move.
#pragma once

#include "board.h"

bool isInCheck(const Board& board);
// Mate and stalemate are one test, the side to move having no legal move: which of the two it is
// depends on check, which the caller has asked first.
bool isCheckmate(const Board& board);
inline bool isStalemate(const Board& board) { return isCheckmate(board); }
