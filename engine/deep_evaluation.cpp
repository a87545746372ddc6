#include "deep_evaluation.h"

#include <algorithm>
#include <cstdlib>

namespace {

// The game's phase: 24 with all the pieces on the board, 0 with none but kings and pawns.
const int phaseWeight[6] = {0, 2, 1, 1, 4, 0};
// Per piece kind: the value of a square it reaches, and the number of squares that counts as
// average.
const int mobilityWeight[6] = {0, 2, 4, 3, 1, 0}, mobilityAverage[6] = {0, 7, 4, 6, 13, 0};
// A passed pawn by the rows it has come, while the opponent has all his pieces and once he has none.
const int passedEarly[8] = {0, 0, 5, 10, 20, 35, 60, 0}, passedLate[8] = {0, 0, 10, 20, 40, 70, 110, 0};

int squaresReached(const Occupancy& o, int square, int kind, int colour) {
    const Geometry& g = geometry;
    if (kind == Knight) return (g.knightJumps[square] & ~o.bySide[colour]).count();
    SquareSet reached;
    for (int d = 0; d < 8; ++d)
        if (slides(kind, d)) reached = reached | g.reach(square, d, o.all());
    return (reached & ~o.bySide[colour]).count();
}

// The king's shelter while the opponent can still attack: its own pawns in front of it, a king
// that stays on its first rows and away from the middle files.
int shelter(const Board& b, int king, int colour) {
    const int forward = colour == White ? 1 : -1, row = king / 8, col = king % 8;
    const int advanced = colour == White ? row : 7 - row;
    int score = -12 * std::min(advanced, 4);
    if (col == 3 || col == 4) score -= 15;
    if (advanced > 1) return score;
    for (int c = std::max(col - 1, 0); c <= std::min(col + 1, 7); ++c) {
        const int one = (row + forward) * 8 + c, two = (row + 2 * forward) * 8 + c;
        const PieceCode pawn = pieceCode(Pawn, colour);
        if (b.squares[one] == pawn)
            score += 10;
        else if (two >= 0 && two < 64 && b.squares[two] == pawn)
            score += 5;
        else
            score -= 12;
    }
    return score;
}

}  // namespace

int32_t positionalTerms(const Board& b, const Occupancy& o) {
    int lowestWhitePawn[8], highestBlackPawn[8];  // by file: the row, 8 or -1 for none
    std::fill(lowestWhitePawn, lowestWhitePawn + 8, 8);
    std::fill(highestBlackPawn, highestBlackPawn + 8, -1);
    int phase = 0, bishops[2] = {0, 0}, kings[2] = {-1, -1};
    int32_t score[2] = {0, 0};
    for (SquareSet s = o.all(); !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        const int kind = pieceKind(p), colour = pieceColour(p), row = square / 8, col = square % 8;
        phase += phaseWeight[kind];
        if (kind == Pawn && colour == White) lowestWhitePawn[col] = std::min(lowestWhitePawn[col], row);
        if (kind == Pawn && colour == Black) highestBlackPawn[col] = std::max(highestBlackPawn[col], row);
        if (kind == Bishop) ++bishops[colour];
        if (kind == King) kings[colour] = square;
        if (kind != Pawn && kind != King)
            score[colour] += mobilityWeight[kind] * (squaresReached(o, square, kind, colour) - mobilityAverage[kind]);
    }
    phase = std::min(phase, 24);
    for (int colour = White; colour <= Black; ++colour) {
        if (bishops[colour] >= 2) score[colour] += 30;
        const int king = kings[colour];
        if (king < 0) continue;
        score[colour] += shelter(b, king, colour) * phase / 24;
        const int centre = 6 - (3 - std::min(king % 8, 7 - king % 8)) - (3 - std::min(king / 8, 7 - king / 8));
        score[colour] += 5 * centre * (24 - phase) / 24;
    }
    // Passed pawns: no enemy pawn ahead on their own file or the files beside.
    for (SquareSet s = o.all(); !s.empty();) {
        const int square = s.takeLowest();
        const PieceCode p = b.squares[square];
        if (pieceKind(p) != Pawn) continue;
        const int colour = pieceColour(p), row = square / 8, col = square % 8;
        bool passed = true;
        for (int c = std::max(col - 1, 0); c <= std::min(col + 1, 7); ++c)
            passed = passed && (colour == White ? highestBlackPawn[c] <= row : lowestWhitePawn[c] >= row);
        if (!passed) continue;
        const int come = colour == White ? row : 7 - row;
        score[colour] += (passedEarly[come] * phase + passedLate[come] * (24 - phase)) / 24;
    }
    const int32_t sum = score[White] - score[Black];
    return b.sideToMove == White ? sum : -sum;
}
