// The position: squares, side to move, castling rights, counters and the last move; and what a
// move does to it.
#pragma once

#include "geometry.h"
#include "move_info.h"

struct Board {
    PieceCode squares[64];      // index row * 8 + column; row 0 is White's first rank
    MoveInfo lastMove;
    int32_t sideToMove = White;
    int32_t plyCount = 0;
    uint8_t castlingRights[4] = {0, 0, 0, 0};  // White K-side, White Q-side, Black K-side, Black Q-side
    int32_t quietMoveCount = 0;
    // Where castling starts: the files of the two kings and of the rooks of the four rights (the e-,
    // h- and a-files in standard chess, any in Chess960), and whether castling is written as the
    // king taking its own rook (Chess960) rather than as the king's two-square move.
    int8_t castlingKingFile[2] = {4, 4};
    int8_t castlingRookFile[4] = {7, 0, 7, 0};
    bool chess960 = false;

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

// A castling: the king from its start square to the g- or c-file, the rook from its start square
// to the f- or d-file; written as the king's move to `moveTo`, the king's destination in standard
// chess, the rook's square in Chess960. In standard chess the king starts on the e-file and the
// rooks on the a- and h-files, and the king moves two squares.
struct Castling {
    PieceCode king, rook;
    int8_t kingFrom, kingTo, rookFrom, rookTo, moveTo;
    int8_t right;  // CastlingRight
};

// The castling of a right on the board, whether or not it may be played.
inline Castling castlingOf(const Board& b, int right) {
    const int colour = right / 2, rank = colour == White ? 0 : 56;
    const bool kingSide = right % 2 == 0;
    Castling c{pieceCode(King, colour), pieceCode(Rook, colour), static_cast<int8_t>(rank + b.castlingKingFile[colour]),
               static_cast<int8_t>(rank + (kingSide ? 6 : 2)), static_cast<int8_t>(rank + b.castlingRookFile[right]),
               static_cast<int8_t>(rank + (kingSide ? 5 : 3)), 0, static_cast<int8_t>(right)};
    c.moveTo = b.chess960 ? c.rookFrom : c.kingTo;
    return c;
}

// Whether the piece's move from `from` to `to` is a castling on the board, and which. In Chess960
// only the king taking its own rook is: its step onto an empty square is a plain move.
inline bool castlingBy(const Board& b, PieceCode piece, int from, int to, Castling& c) {
    if (piece != WhiteKing && piece != BlackKing) return false;
    const int colour = pieceColour(piece), rank = colour == White ? 0 : 56;
    if (from != rank + b.castlingKingFile[colour]) return false;
    if (b.chess960 ? b.squares[to] != pieceCode(Rook, colour) : to != rank + 6 && to != rank + 2) return false;
    c = castlingOf(b, 2 * colour + (to > from ? 0 : 1));
    return c.moveTo == to;
}

// 0 for a white piece, 1 for a black one, 2 for an empty square or any other byte.
inline int pieceSide(PieceCode code) { return code < 0 || code > 11 ? 2 : code % 2; }

// True when the move takes a white pawn from row 6 to row 7 or a black pawn from row 1 to row 0:
// a promotion. Only the rows and the piece on the origin count, not whether the move is legal.
inline bool promotesPawn(PieceCode piece, int fromRow, int toRow) {
    return (piece == WhitePawn && fromRow == 6 && toRow == 7) || (piece == BlackPawn && fromRow == 1 && toRow == 0);
}
inline bool promotesPawn(PieceCode piece, const MoveInfo& m) { return promotesPawn(piece, m.fromRow, m.toRow); }
inline bool isPromotion(const Board& board, const MoveInfo& m) {
    return promotesPawn(board.at(m.fromRow, m.fromCol), m);
}

// The square of the pawn that a pawn's move from `from` to `to` takes en passant, or -1: the enemy
// pawn beside the origin in the destination's column, right after its double step past the mover.
int enPassantVictim(const Board& board, int from, int to);
// The file on which the side to move may take en passant, or 8 when it may not.
int enPassantFile(const Board& board);

// What a move does to the squares, in the order they change: the pawn taken en passant, the
// origin, the destination, and for castling the rook's two squares.
struct SquareChange {
    int8_t square;
    PieceCode was, now;
};
struct MoveEffect {
    PieceCode piece, captured, arriving;  // on the origin, on the destination, arriving there
    uint8_t count;                        // squares changed: 2, 3 (en passant) or 4 (castling)
    SquareChange changes[4];

    // Tells sums that follow the pieces (the squares occupied, an evaluation's terms) each piece
    // the move takes off a square and each it puts on one, in the order the squares change.
    template <class Sums>
    void applyTo(Sums& sums) const {
        for (int i = 0; i < count; ++i) {
            const SquareChange& c = changes[i];
            if (c.was != EmptySquare) sums.remove(c.was, c.square);
            if (c.now != EmptySquare) sums.add(c.now, c.square);
        }
    }
    // Standard chess's half-move clock after the move: it counts the moves since the last capture
    // or pawn move.
    int halfMoveClockAfter(int before) const {
        return captured != EmptySquare || pieceKind(piece) == Pawn ? 0 : before + 1;
    }
};

// True when a move of the piece may change more than its two squares: a pawn arriving where it may
// take en passant or promote, or a king leaving the square it castles from.
inline bool mayChangeMore(const Board& b, PieceCode piece, int from, int to) {
    return (piece == WhitePawn && to >> 3 >= 5) || (piece == BlackPawn && to >> 3 <= 2) ||
           (piece == WhiteKing && from == b.castlingKingFile[White]) || (piece == BlackKing && from == 56 + b.castlingKingFile[Black]);
}
void describeUnusualMove(const Board& board, int from, int to, PieceCode promotion, MoveEffect& effect);
// What the move from `from` to `to` does, a pawn reaching the last rank becoming `promotion` unless
// that is NoPromotion.
inline void describeMove(const Board& board, int from, int to, PieceCode promotion, MoveEffect& effect) {
    if (mayChangeMore(board, board.squares[from], from, to)) return describeUnusualMove(board, from, to, promotion, effect);
    effect.piece = effect.arriving = board.squares[from];
    effect.captured = board.squares[to];
    effect.count = 2;
    effect.changes[0] = SquareChange{static_cast<int8_t>(from), effect.piece, EmptySquare};
    effect.changes[1] = SquareChange{static_cast<int8_t>(to), effect.captured, effect.piece};
}

// Plays a move without checking it: captures (en passant included), promotion, the rook of a
// castling king, castling rights, counters and the last-move record. The side to move is kept.
void makeMove(Board& board, MoveInfo move);
// The same, with what describeMove said the move does.
void makeMove(Board& board, const MoveInfo& move, const MoveEffect& effect);
