#include "board.h"

#include <algorithm>

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
    const Board standard;
    std::copy(standard.castlingKingFile, standard.castlingKingFile + 2, castlingKingFile);
    std::copy(standard.castlingRookFile, standard.castlingRookFile + 4, castlingRookFile);
    chess960 = false;
    for (int r = 0; r < 8; ++r)
        for (int c = 0; c < 8; ++c) set(r, c, initialPosition[7 - r][c]);
}

void Board::switchSide() { sideToMove = opponent(sideToMove); }

int Board::findKing(bool ownSide) const {
    const bool white = (sideToMove == White && ownSide) || (sideToMove == Black && !ownSide);
    return findFirst(*this, white ? WhiteKing : BlackKing);
}

int Board::findKingOfColour(int colour) const { return findFirst(*this, colour == White ? WhiteKing : BlackKing); }

int enPassantVictim(const Board& b, int from, int to) {
    const PieceCode piece = b.squares[from];
    if (piece != WhitePawn && piece != BlackPawn) return -1;
    const int colour = pieceColour(piece), enemy = opponent(colour);
    if (to >> 3 != enPassantFromRow[colour] + (colour == White ? 1 : -1)) return -1;
    const int column = to & 7, victim = enPassantFromRow[colour] * 8 + column;
    const MoveInfo& last = b.lastMove;
    if (b.squares[victim] != pieceCode(Pawn, enemy) || last.fromCol != column || last.toCol != column ||
        last.toRow != from >> 3 || last.fromRow != pawnStartRow[enemy])
        return -1;
    return victim;
}

int enPassantFile(const Board& b) {
    const MoveInfo& last = b.lastMove;
    if (!last.onBoard() || last.fromCol != last.toCol || (last.toRow - last.fromRow != 2 && last.fromRow - last.toRow != 2))
        return 8;
    const int colour = b.sideToMove == White ? White : Black, forward = colour == White ? 1 : -1;
    const int to = (last.toRow + forward) * 8 + last.toCol;
    for (int side = -1; side <= 1; side += 2) {
        const int col = last.toCol + side;
        if (col >= 0 && col < 8 && b.squares[last.toRow * 8 + col] == pieceCode(Pawn, colour) &&
            enPassantVictim(b, last.toRow * 8 + col, to) >= 0)
            return last.toCol;
    }
    return 8;
}

void describeUnusualMove(const Board& b, int from, int to, PieceCode promotion, MoveEffect& e) {
    const PieceCode piece = b.squares[from];
    e.piece = e.arriving = piece;
    e.captured = b.squares[to];
    Castling c;
    if (castlingBy(b, piece, from, to, c)) {
        // Both leave their squares, then both arrive: in Chess960 the squares may coincide.
        e.captured = EmptySquare;
        e.changes[0] = SquareChange{c.kingFrom, c.king, EmptySquare};
        e.changes[1] = SquareChange{c.rookFrom, c.rook, EmptySquare};
        const PieceCode atKingTo = c.kingTo == c.kingFrom || c.kingTo == c.rookFrom ? EmptySquare : b.squares[c.kingTo];
        const PieceCode atRookTo = c.rookTo == c.kingFrom || c.rookTo == c.rookFrom ? EmptySquare : b.squares[c.rookTo];
        e.changes[2] = SquareChange{c.kingTo, atKingTo, c.king};
        e.changes[3] = SquareChange{c.rookTo, atRookTo, c.rook};
        e.count = 4;
        return;
    }
    if (promotion != NoPromotion && promotesPawn(piece, from >> 3, to >> 3)) e.arriving = promotion;
    int n = 0;
    const int victim = enPassantVictim(b, from, to);
    if (victim >= 0) e.changes[n++] = SquareChange{static_cast<int8_t>(victim), b.squares[victim], EmptySquare};
    e.changes[n++] = SquareChange{static_cast<int8_t>(from), piece, EmptySquare};
    e.changes[n++] = SquareChange{static_cast<int8_t>(to), e.captured, e.arriving};
    e.count = static_cast<uint8_t>(n);
}

void makeMove(Board& b, MoveInfo m) {
    MoveEffect effect;
    describeMove(b, m.fromRow * 8 + m.fromCol, m.toRow * 8 + m.toCol, m.promotion, effect);
    makeMove(b, m, effect);
}

void makeMove(Board& b, const MoveInfo& m, const MoveEffect& effect) {
    const int from = m.fromRow * 8 + m.fromCol;
    const int to = m.toRow * 8 + m.toCol;
    b.plyCount += 1;
    b.quietMoveCount = effect.captured == EmptySquare ? b.quietMoveCount + 1 : 0;
    for (int i = 0; i < effect.count; ++i) b.squares[effect.changes[i].square] = effect.changes[i].now;
    b.lastMove.fromRow = m.fromRow;
    b.lastMove.fromCol = m.fromCol;
    b.lastMove.toRow = m.toRow;
    b.lastMove.toCol = m.toCol;

    // A right goes when its king or rook leaves home, or when the rook's corner is entered (a
    // capture there removes that rook for good).
    for (int right = 0; right < 4; ++right) {
        if (!b.castlingRights[right]) continue;
        const int colour = right / 2, rank = colour == White ? 0 : 56, rookFrom = rank + b.castlingRookFile[right];
        if ((effect.piece == pieceCode(King, colour) && from == rank + b.castlingKingFile[colour]) ||
            (effect.piece == pieceCode(Rook, colour) && from == rookFrom) || to == rookFrom)
            b.castlingRights[right] = 0;
    }
}
