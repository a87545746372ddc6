#include "game_end.h"

#include "move_generator.h"

bool isInCheck(const Board& board) {
    const int king = board.findKingOfColour(board.sideToMove == White ? White : Black);
    if (king < 0) return false;
    return squareAttacked(board, king / 8, king % 8);
}

bool isCheckmate(const Board& board) { return !hasLegalMove(board); }
