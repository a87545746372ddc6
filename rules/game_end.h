// Check, checkmate and stalemate of the side to move.
#pragma once

#include "board.h"

bool isInCheck(const Board& board);
// The side to move has no legal move; asked of a side found in check.
bool isCheckmate(const Board& board);
// The side to move has no legal move; asked of a side not in check.
bool isStalemate(const Board& board);
