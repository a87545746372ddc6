// The evaluation's terms kept as running sums, so that a move updates them square by square
// instead of the whole board being scanned again at every leaf.
#pragma once

#include <cstdint>

#include "../rules/board.h"

struct EvaluationTerms {
    int32_t base = 0;            // pawns, piece values and knight placement, from White's view
    int32_t files = 0;           // the file terms (doubled and single pawns, lone rooks), summed
    int16_t fileTerms[8] = {};   // each file's part of that sum
    int32_t toKing[2] = {};      // distances of one colour's rooks, knights, bishops and queens
                                 // to the other colour's king
    uint32_t fileCounts[8] = {}; // per file, four bits each from the lowest: white pawns, black
                                 // pawns, white rooks, black rooks, all pieces (kings and pawns too)
    int8_t rowCount[2][8] = {};  // rooks, knights, bishops and queens per colour and row,
    int8_t colCount[2][8] = {};  // and per colour and column
    int8_t kings[2] = {};        // number of kings per colour
    int8_t kingSquare[2] = {64, 64};  // a colour's king square while it has at most one (64: none)
    bool kingLost = false;       // a colour went from two kings to one: which one is left is unknown
    uint8_t staleFiles = 0;      // files whose terms add and remove have not summed again yet
    uint8_t staleKings = 0;      // colours whose king moved since the distances were summed

    EvaluationTerms() = default;
    explicit EvaluationTerms(const Board& board);

    // A piece comes onto or leaves a square. Call settle() when the move's changes are done.
    void add(PieceCode piece, int square) { change(piece, square, 1); }
    void remove(PieceCode piece, int square) { change(piece, square, -1); }
    // Brings the file terms and king distances up to date after a run of add and remove.
    void settle();

    // True when the running sums hold the score: each colour has at most one king, and its square
    // is known.
    bool known() const { return kings[0] <= 1 && kings[1] <= 1 && !kingLost; }
    // The score for the side to move; meaningful when known() and settled.
    int32_t score(int sideToMove) const {
        const int32_t sum = base + files - toKing[White] + toKing[Black];
        return sideToMove == White ? sum : -sum;
    }
    // The score the position would have after a plain move or capture, for its side to move then,
    // leaving these terms as they are: what a leaf needs of its parent's terms. piece leaves from;
    // arriving (piece, or what a pawn becomes) replaces captured (or the empty square) on to. The
    // terms must be known() and settled; the piece may be a king, captured may not.
    int32_t scoreAfterMove(int from, int to, PieceCode piece, PieceCode captured, PieceCode arriving,
                           int sideToMove) const;

private:
    // Sums the other colour's distances to this colour's king square again.
    void kingMoved(int colour);
    // The distances of a colour's rooks, knights, bishops and queens to a square (64: none).
    int32_t distancesTo(int colour, int square) const;
    void change(PieceCode piece, int square, int by);
};
