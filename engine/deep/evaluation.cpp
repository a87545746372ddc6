#include "evaluation.h"

#include <algorithm>

namespace deep {

namespace {

const int phaseWeight[6] = {0, 2, 1, 1, 4, 0};

// The value of a square for a piece of each kind, from White's side: the first row is the eighth
// rank, as a board is seen. Black's pieces read the table upside down.
const int8_t squareValue[7][64] = {
    {  // pawn
          0,   0,   0,   0,   0,   0,   0,   0,
         50,  50,  50,  50,  50,  50,  50,  50,
         10,  10,  20,  30,  30,  20,  10,  10,
          5,   5,  10,  25,  25,  10,   5,   5,
          0,   0,   0,  20,  20,   0,   0,   0,
          5,  -5, -10,   0,   0, -10,  -5,   5,
          5,  10,  10, -20, -20,  10,  10,   5,
          0,   0,   0,   0,   0,   0,   0,   0,
    },
    {  // rook
          0,   0,   0,   0,   0,   0,   0,   0,
          5,  10,  10,  10,  10,  10,  10,   5,
         -5,   0,   0,   0,   0,   0,   0,  -5,
         -5,   0,   0,   0,   0,   0,   0,  -5,
         -5,   0,   0,   0,   0,   0,   0,  -5,
         -5,   0,   0,   0,   0,   0,   0,  -5,
         -5,   0,   0,   0,   0,   0,   0,  -5,
          0,   0,   0,   5,   5,   0,   0,   0,
    },
    {  // knight
        -50, -40, -30, -30, -30, -30, -40, -50,
        -40, -20,   0,   0,   0,   0, -20, -40,
        -30,   0,  10,  15,  15,  10,   0, -30,
        -30,   5,  15,  20,  20,  15,   5, -30,
        -30,   0,  15,  20,  20,  15,   0, -30,
        -30,   5,  10,  15,  15,  10,   5, -30,
        -40, -20,   0,   5,   5,   0, -20, -40,
        -50, -40, -30, -30, -30, -30, -40, -50,
    },
    {  // bishop
        -20, -10, -10, -10, -10, -10, -10, -20,
        -10,   0,   0,   0,   0,   0,   0, -10,
        -10,   0,   5,  10,  10,   5,   0, -10,
        -10,   5,   5,  10,  10,   5,   5, -10,
        -10,   0,  10,  10,  10,  10,   0, -10,
        -10,  10,  10,  10,  10,  10,  10, -10,
        -10,   5,   0,   0,   0,   0,   5, -10,
        -20, -10, -10, -10, -10, -10, -10, -20,
    },
    {  // queen
        -20, -10, -10,  -5,  -5, -10, -10, -20,
        -10,   0,   0,   0,   0,   0,   0, -10,
        -10,   0,   5,   5,   5,   5,   0, -10,
         -5,   0,   5,   5,   5,   5,   0,  -5,
          0,   0,   5,   5,   5,   5,   0,  -5,
        -10,   5,   5,   5,   5,   5,   0, -10,
        -10,   0,   5,   0,   0,   0,   0, -10,
        -20, -10, -10,  -5,  -5, -10, -10, -20,
    },
    {  // king, middlegame
        -30, -40, -40, -50, -50, -40, -40, -30,
        -30, -40, -40, -50, -50, -40, -40, -30,
        -30, -40, -40, -50, -50, -40, -40, -30,
        -30, -40, -40, -50, -50, -40, -40, -30,
        -20, -30, -30, -40, -40, -30, -30, -20,
        -10, -20, -20, -20, -20, -20, -20, -10,
         20,  20,   0,   0,   0,   0,  20,  20,
         20,  30,  10,   0,   0,  10,  30,  20,
    },
    {  // king, endgame
        -50, -40, -30, -20, -20, -30, -40, -50,
        -30, -20, -10,   0,   0, -10, -20, -30,
        -30, -10,  20,  30,  30,  20, -10, -30,
        -30, -10,  30,  40,  40,  30, -10, -30,
        -30, -10,  30,  40,  40,  30, -10, -30,
        -30, -10,  20,  30,  30,  20, -10, -30,
        -30, -30,   0,   0,   0,   0, -30, -30,
        -50, -30, -30, -30, -30, -30, -30, -50,
    },
};

// The table's entry for a piece on a board square (row 0 is White's first rank).
int tableEntry(int table, int colour, int square) {
    const int row = square / 8, col = square % 8;
    const int seenRow = colour == White ? 7 - row : row;  // the table's first row is the far rank
    return squareValue[table][seenRow * 8 + col];
}

// Per kind: what a square reached is worth, and how many squares count as average.
const int mobilityWeight[6] = {0, 2, 4, 3, 1, 0}, mobilityAverage[6] = {0, 7, 4, 6, 13, 0};
// A passed pawn by the rows it has come, while pieces are on the board and once they are gone.
const int passedEarly[8] = {0, 0, 5, 10, 20, 35, 60, 0}, passedLate[8] = {0, 0, 10, 20, 40, 70, 110, 0};

int shelter(const Board& b, int king, int colour) {
    const int forward = colour == White ? 1 : -1, row = king / 8, col = king % 8;
    if ((colour == White ? row : 7 - row) > 1) return -20;
    int score = 0;
    for (int c = std::max(col - 1, 0); c <= std::min(col + 1, 7); ++c) {
        const int one = (row + forward) * 8 + c, two = one + 8 * forward;
        const PieceCode pawn = pieceCode(Pawn, colour);
        if (b.squares[one] == pawn)
            score += 10;
        else if (two >= 0 && two < 64 && b.squares[two] == pawn)
            score += 4;
        else
            score -= 10;
    }
    return score;
}

}  // namespace

Placement::Placement(const Board& b) {
    for (int s = 0; s < 64; ++s)
        if (pieceSide(b.squares[s]) < 2) add(b.squares[s], s);
}

void Placement::change(PieceCode p, int s, int by) {
    const int kind = pieceKind(p), colour = pieceColour(p), sign = (colour == White ? 1 : -1) * by;
    phase += phaseWeight[kind] * by;
    if (kind == King) {
        middlegame += sign * tableEntry(5, colour, s);
        endgame += sign * tableEntry(6, colour, s);
        kingSquare[colour] = static_cast<int8_t>(by > 0 ? s : 64);
        return;
    }
    const int value = pieceValue[kind] + tableEntry(kind, colour, s);
    middlegame += sign * value;
    endgame += sign * value;
}

int32_t structureTerms(const Board& b, const Occupancy& o, const Placement& placement) {
    int pawns[2][8] = {};
    int lowestWhitePawn[8], highestBlackPawn[8];  // by file: the row, 8 or -1 for none
    std::fill(lowestWhitePawn, lowestWhitePawn + 8, 8);
    std::fill(highestBlackPawn, highestBlackPawn + 8, -1);
    int bishops[2] = {0, 0};
    int32_t score[2] = {0, 0};
    const Geometry& g = geometry;
    for (SquareSet s = o.all(); !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), colour = pieceColour(p), row = square / 8, col = square % 8;
        if (kind == Pawn) {
            ++pawns[colour][col];
            if (colour == White) lowestWhitePawn[col] = std::min(lowestWhitePawn[col], row);
            if (colour == Black) highestBlackPawn[col] = std::max(highestBlackPawn[col], row);
            continue;
        }
        if (kind == Bishop) ++bishops[colour];
        if (kind == King) continue;
        SquareSet reached = kind == Knight ? g.knightJumps[square] : SquareSet();
        for (int d = 0; kind != Knight && d < 8; ++d)
            if (slides(kind, d)) reached = reached | g.reach(square, d, o.all());
        score[colour] += mobilityWeight[kind] * ((reached & ~o.bySide[colour]).count() - mobilityAverage[kind]);
    }
    const int phase = std::min<int>(placement.phase, 24);
    for (int colour = White; colour <= Black; ++colour) {
        if (bishops[colour] >= 2) score[colour] += 30;
        for (int col = 0; col < 8; ++col) {
            const int here = pawns[colour][col];
            if (here > 1) score[colour] -= 12 * (here - 1);
            const bool neighbours = (col > 0 && pawns[colour][col - 1]) || (col < 7 && pawns[colour][col + 1]);
            if (here && !neighbours) score[colour] -= 12 * here;
        }
        const int king = placement.kingSquare[colour];
        if (king < 64) score[colour] += shelter(b, king, colour) * phase / 24;
    }
    for (SquareSet s = o.all(); !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), colour = pieceColour(p), row = square / 8, col = square % 8;
        if (kind == Rook && !pawns[colour][col])  // an open file, or one without pawns of its own
            score[colour] += pawns[1 - colour][col] ? 10 : 20;
        if (kind != Pawn) continue;
        bool passed = true;  // no enemy pawn ahead on its own file or the files beside
        for (int c = std::max(col - 1, 0); c <= std::min(col + 1, 7); ++c)
            passed = passed && (colour == White ? highestBlackPawn[c] <= row : lowestWhitePawn[c] >= row);
        const int come = colour == White ? row : 7 - row;
        if (passed) score[colour] += (passedEarly[come] * phase + passedLate[come] * (24 - phase)) / 24;
    }
    const int32_t sum = score[White] - score[Black];
    return b.sideToMove == White ? sum : -sum;
}

}  // namespace deep
