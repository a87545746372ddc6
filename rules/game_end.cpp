#include "game_end.h"

#include "move_generator.h"

bool isInCheck(const Board& board) {
    const int king = board.findKingOfColour(board.sideToMove == White ? White : Black);
    if (king < 0) return false;
    return squareAttacked(board, king / 8, king % 8);
}

bool isCheckmate(const Board& board) { return !hasLegalMove(board); }

bool insufficientMaterial(const Board& b, const SquareSet& occupied) {
    if (occupied.count() > 3) return false;
    for (SquareSet s = occupied; !s.empty();) {
        const int kind = pieceKind(b.squares[s.takeLowest()]);
        if (kind != King && kind != Knight && kind != Bishop) return false;
    }
    return true;
}
