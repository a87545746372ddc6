#include "game_end.h"

#include "../engine/move_generation.h"
#include "rule_checker.h"

namespace {

bool hasNoLegalMove(const Board& board, const MoveTable& table) {
    MoveList* list = generateMoves(board, table, true);
    const bool none = list->firstChild == nullptr;
    destroyChildren(list);
    delete list;
    return none;
}

}  // namespace

bool isInCheck(const Board& board, const MoveTable& table) {
    const int king = board.findKingOfColour(board.sideToMove == White ? White : Black);
    if (king < 0) return false;
    return squareAttacked(board, king / 8, king % 8, table);
}

bool isCheckmate(const Board& board, const MoveTable& table) { return hasNoLegalMove(board, table); }

bool isStalemate(const Board& board, const MoveTable& table) { return hasNoLegalMove(board, table); }
