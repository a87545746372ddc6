#include "board.h"

namespace {

// The starting array as seen from White's side: Black's back rank first.
const PieceCode initialPosition[8][8] = {
    {3, 5, 7, 9, 11, 7, 5, 3},
    {1, 1, 1, 1, 1, 1, 1, 1},
    {12, 12, 12, 12, 12, 12, 12, 12},
    {12, 12, 12, 12, 12, 12, 12, 12},
    {12, 12, 12, 12, 12, 12, 12, 12},
    {12, 12, 12, 12, 12, 12, 12, 12},
    {0, 0, 0, 0, 0, 0, 0, 0},
    {2, 4, 6, 8, 10, 6, 4, 2},
};

int findFirst(const Board& b, PieceCode code) {
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] == code) return s;
    return -1;
}

}  // namespace

Board::Board() : lastMove(0, 0, 0, 0, NoPromotion, 0) {
    for (PieceCode& s : squares) s = EmptySquare;
}

void Board::setStartPosition() {
    lastMove.fromRow = -10;
    lastMove.fromCol = -1;
    lastMove.toRow = -1;
    lastMove.toCol = -1;
    sideToMove = White;
    plyCount = 0;
    for (uint8_t& r : castlingRights) r = 1;
    quietMoveCount = 0;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) set(r, c, initialPosition[7 - r][c]);
}

void Board::switchSide() { sideToMove = sideToMove == White ? Black : White; }

int Board::findKing(bool ownSide) const {
    bool white = (sideToMove == White && ownSide) || (sideToMove == Black && !ownSide);
    return findFirst(*this, white ? 10 : 11);
}

int Board::findKingOfColour(int colour) const { return findFirst(*this, colour == White ? 10 : 11); }

void makeMove(Board& b, MoveInfo m) {
    const int from = m.fromRow * 8 + m.fromCol;
    const int to = m.toRow * 8 + m.toCol;
    const PieceCode piece = b.squares[from];

    b.plyCount += 1;
    if (b.squares[to] == EmptySquare)
        b.quietMoveCount += 1;
    else
        b.quietMoveCount = 0;

    // En passant: only right after the captured pawn's double step past the capturer.
    const bool whiteTakes = piece == 0 && m.toRow == 5;
    const bool blackTakes = piece == 1 && m.toRow == 2;
    if (whiteTakes || blackTakes) {
        const int xRow = whiteTakes ? 4 : 3;
        const PieceCode enemyPawn = whiteTakes ? 1 : 0;
        const int doubleStepFrom = whiteTakes ? 6 : 1;
        const MoveInfo& last = b.lastMove;
        if (b.at(xRow, m.toCol) == enemyPawn && last.fromCol == m.toCol && last.toCol == m.toCol &&
            last.toRow == m.fromRow && last.fromRow == doubleStepFrom)
            b.set(xRow, m.toCol, EmptySquare);
    }

    b.lastMove.fromRow = m.fromRow;
    b.lastMove.fromCol = m.fromCol;
    b.lastMove.toRow = m.toRow;
    b.lastMove.toCol = m.toCol;

    b.squares[to] = piece;
    b.squares[from] = EmptySquare;

    if (m.promotion != NoPromotion && promotesPawn(piece, m)) b.squares[to] = m.promotion;

    if (m.fromCol == 4 && ((m.fromRow == 0 && piece == 10) || (m.fromRow == 7 && piece == 11))) {
        const PieceCode rook = piece == 10 ? 2 : 3;
        if (m.toCol == 2) {
            b.set(m.fromRow, 3, rook);
            b.set(m.fromRow, 0, EmptySquare);
        } else if (m.toCol == 6) {
            b.set(m.fromRow, 5, rook);
            b.set(m.fromRow, 7, EmptySquare);
        }
    }

    // Rights go when the king or a rook leaves home, or when a rook's home corner is entered
    // (a capture there removes that rook for good).
    uint8_t* rights = b.castlingRights;
    if (piece == 10 && from == 4) rights[WhiteKingSide] = rights[WhiteQueenSide] = 0;
    if (piece == 2 && from == 0) rights[WhiteQueenSide] = 0;
    if (piece == 2 && from == 7) rights[WhiteKingSide] = 0;
    if (piece == 11 && from == 60) rights[BlackKingSide] = rights[BlackQueenSide] = 0;
    if (piece == 3 && from == 56) rights[BlackQueenSide] = 0;
    if (piece == 3 && from == 63) rights[BlackKingSide] = 0;
    if (to == 0) rights[WhiteQueenSide] = 0;
    if (to == 7) rights[WhiteKingSide] = 0;
    if (to == 56) rights[BlackQueenSide] = 0;
    if (to == 63) rights[BlackKingSide] = 0;
}
