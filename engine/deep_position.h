// A position of the deep search, with what it keeps up to date move by move: the squares each
// side occupies, the material and placement sums of its evaluation, the position's key and the
// half-move clock.
#pragma once

#include "../rules/move_generator.h"
#include "../rules/rule_checker.h"
#include "deep_table.h"
#include "deep_evaluation.h"

struct DeepPosition {
    Board board;
    Occupancy occupied;
    Placement placement;
    uint64_t key;
    int halfMoves;  // since the last capture or pawn move

    void play(const DeepPosition& parent, const GeneratedMove& m) {
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
    }
    // The same position with the other side to move (a "null move"), no en passant possible.
    void pass(const DeepPosition& parent) {
        *this = parent;
        board.switchSide();
        board.lastMove = MoveInfo(-10, -1, -1, -1, NoPromotion, 0);
        key ^= positionKeys.blackToMove ^ positionKeys.enPassant[enPassantFile(parent.board)];
        ++halfMoves;
    }
    int side() const { return board.sideToMove; }
    bool inCheck() const {
        const int king = placement.kingSquare[side()];
        return king < 64 && attackedBy(board, occupied.all(), king, opponent(side()));
    }
    // Neither side can mate: bare kings, or a king and one knight or bishop against a king.
    bool deadDraw() const {
        const SquareSet all = occupied.all();
        if (all.count() > 3) return false;
        for (SquareSet s = all; !s.empty();) {
            const int kind = pieceKind(board.squares[s.takeLowest()]);
            if (kind != King && kind != Knight && kind != Bishop) return false;
        }
        return true;
    }
    // Pieces other than pawns and the king: without them a pass may be the best move (zugzwang).
    bool hasPieces() const {
        for (SquareSet s = occupied.bySide[side()]; !s.empty();) {
            const int kind = pieceKind(board.squares[s.takeLowest()]);
            if (kind != Pawn && kind != King) return true;
        }
        return false;
    }
};

