// A position of the deep search, with what it keeps up to date move by move: the squares each
// side occupies, the material and placement sums of its evaluation, the position's key and the
// half-move clock.
#pragma once

#include <cassert>

#include "../../rules/game_end.h"
#include "../../rules/move_generator.h"
#include "evaluation.h"
#include "keys.h"

namespace deep {

// The fifty-move rule: a position reached after this many half-moves without a capture or a pawn
// move is a draw, unless that half-move mates.
const int fiftyMoveHalfMoves = 100;

struct Position {
    Board board;
    Occupancy occupied;
    Placement placement;
    uint64_t key;
    int halfMoves;  // since the last capture or pawn move

    Position() = default;
    // A root: everything worked out from the board.
    Position(const Board& root, int halfMoveClock)
        : board(root), occupied(root), placement(root), key(positionKey(root)), halfMoves(halfMoveClock) {}

    void play(const Position& parent, const GeneratedMove& m) {
        MoveEffect e;
        describeMove(parent.board, m.from, m.to, m.promotion, e);
        makeCandidate(parent.board, parent.occupied, m.info(), e, board, occupied);
        placement = parent.placement;
        placement.apply(e);
        key = parent.key ^ positionKeys.blackToMove;
        for (int i = 0; i < e.count; ++i)
            key ^= positionKeys.pieces[e.changes[i].was][e.changes[i].square] ^
                   positionKeys.pieces[e.changes[i].now][e.changes[i].square];
        key ^= positionKeys.castling[castlingIndex(parent.board)] ^ positionKeys.castling[castlingIndex(board)];
        key ^= positionKeys.enPassant[enPassantFile(parent.board)] ^ positionKeys.enPassant[enPassantFile(board)];
        halfMoves = e.halfMoveClockAfter(parent.halfMoves);
        assert(consistent());
    }
    // The same position with the other side to move (a "null move"), no en passant possible.
    void pass(const Position& parent) {
        *this = parent;
        board.switchSide();
        board.lastMove = MoveInfo(-10, -1, -1, -1, NoPromotion, 0);
        key ^= positionKeys.blackToMove ^ positionKeys.enPassant[enPassantFile(parent.board)];
        ++halfMoves;
        assert(consistent());
    }
    // What is kept up to date equals what the board gives when worked out afresh.
    bool consistent() const {
        const Occupancy fresh(board);
        return key == positionKey(board) && placement == Placement(board) && fresh.bySide[0] == occupied.bySide[0] &&
               fresh.bySide[1] == occupied.bySide[1];
    }

    int side() const { return board.sideToMove; }
    bool inCheck() const {
        const int king = placement.kingSquare[side()];
        return king < 64 && attackedBy(board, occupied.all(), king, opponent(side()));
    }
    bool deadDraw() const { return insufficientMaterial(board, occupied.all()); }
    // Pieces other than pawns and the king: without them a pass may be the best move (zugzwang).
    bool hasPieces() const {
        for (SquareSet s = occupied.bySide[side()]; !s.empty();) {
            const int kind = pieceKind(board.squares[s.takeLowest()]);
            if (kind != Pawn && kind != King) return true;
        }
        return false;
    }
};

}  // namespace deep
