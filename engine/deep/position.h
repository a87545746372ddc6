// A position of the deep search, with what it keeps up to date move by move: the squares each
// side occupies, the material and placement sums of the hand-made evaluation, the network's
// hidden sums (when it evaluates with a network), the position's key and the half-move clock.
#pragma once

#include <cassert>

#include "../../rules/game_end.h"
#include "../../rules/move_generator.h"
#include "evaluation.h"
#include "keys.h"
#include "network.h"

namespace deep {

// The fifty-move rule: a position reached after this many half-moves without a capture or a pawn
// move is a draw, unless that half-move mates.
const int fiftyMoveHalfMoves = 100;

// The network's inputs that a move takes away and puts in, for each side's view.
struct InputChanges {
    int removed[2][4], added[2][4];
    int removedCount = 0, addedCount = 0;
    void remove(PieceCode piece, int square) {
        removed[White][removedCount] = networkInput(White, piece, square);
        removed[Black][removedCount++] = networkInput(Black, piece, square);
    }
    void add(PieceCode piece, int square) {
        added[White][addedCount] = networkInput(White, piece, square);
        added[Black][addedCount++] = networkInput(Black, piece, square);
    }
};

struct Position {
    Board board;
    Occupancy occupied;
    Placement placement;
    const Network* net = nullptr;  // none: the hand-made evaluation
    Accumulator accumulator;       // with a network
    uint64_t key;
    int halfMoves;  // since the last capture or pawn move

    Position() = default;
    // A root: everything worked out from the board.
    Position(const Board& root, int halfMoveClock, const Network* network = nullptr)
        : board(root), occupied(root), placement(root), net(network), key(positionKey(root)), halfMoves(halfMoveClock) {
        if (net) accumulator.refresh(*net, board);
    }

    void play(const Position& parent, const GeneratedMove& m) {
        MoveEffect e;
        describeMove(parent.board, m.from, m.to, m.promotion, e);
        makeCandidate(parent.board, parent.occupied, m.info(), e, board, occupied);
        placement = parent.placement;
        placement.apply(e);
        net = parent.net;
        if (net) {
            InputChanges changes;
            e.applyTo(changes);
            accumulator.update(*net, parent.accumulator, changes.removed, changes.removedCount, changes.added, changes.addedCount);
        }
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
    // What is kept up to date equals what the board gives when worked out afresh. The network's
    // sums, which cost far more to work out afresh, are compared in one position of 64 (by its
    // key): each position's sums start from its parent's, so a fault in an update stays in every
    // position after it.
    bool consistent() const {
        const Occupancy fresh(board);
        Accumulator sums;
        const bool checkSums = net && key % 64 == 0;
        if (checkSums) sums.refresh(*net, board);
        return key == positionKey(board) && placement == Placement(board) && fresh.bySide[0] == occupied.bySide[0] &&
               fresh.bySide[1] == occupied.bySide[1] && (!checkSums || sums == accumulator);
    }
    // The evaluation for the side to move by the network (with one).
    int networkScore() const { return accumulator.evaluate(*net, side()); }

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
