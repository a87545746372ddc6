// The position: squares, side to move, castling rights, counters and the last move.
#pragma once

#include "move_info.h"

struct Board {
    PieceCode squares[64];      // index row * 8 + column; row 0 is White's first rank
    MoveInfo lastMove;
    int32_t sideToMove = White;
    int32_t plyCount = 0;
    uint8_t castlingRights[4] = {0, 0, 0, 0};  // White K-side, White Q-side, Black K-side, Black Q-side
    int32_t quietMoveCount = 0;

    // An empty board.
    Board();

    PieceCode at(int row, int col) const { return squares[row * 8 + col]; }
    void set(int row, int col, PieceCode p) { squares[row * 8 + col] = p; }

    void setStartPosition();
    void switchSide();
    // The square of the king of the side to move (ownSide true) or of the other side; -1 if none.
    int findKing(bool ownSide) const;
    // The square of the white king (colour 0) or the black king (any other colour); -1 if none.
    int findKingOfColour(int colour) const;
};

enum CastlingRight { WhiteKingSide = 0, WhiteQueenSide = 1, BlackKingSide = 2, BlackQueenSide = 3 };

// 0 for a white piece, 1 for a black one, 2 for an empty square or any other byte.
inline int pieceSide(PieceCode code) { return code < 0 || code > 11 ? 2 : code % 2; }

// True when the move takes a white pawn from row 6 to row 7 or a black pawn from row 1 to row 0:
// a promotion. Only the rows and the piece on the origin count, not whether the move is legal.
inline bool promotesPawn(PieceCode piece, const MoveInfo& m) {
    return (piece == 0 && m.fromRow == 6 && m.toRow == 7) || (piece == 1 && m.fromRow == 1 && m.toRow == 0);
}
inline bool isPromotion(const Board& board, const MoveInfo& m) {
    return promotesPawn(board.at(m.fromRow, m.fromCol), m);
}

// Plays a move without checking it: captures (en passant included), promotion, the rook of a
// castling king, castling rights, counters and the last-move record. The side to move is kept.
void makeMove(Board& board, MoveInfo move);
