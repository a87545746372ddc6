#include "evaluation.h"

#include "engine.h"

namespace {

int distance(int a, int b) { return a > b ? a - b : b - a; }

// A missing king reads as row 0, column -1.
int kingRow(int square) { return square == 64 ? 0 : square / 8; }
int kingCol(int square) { return square == 64 ? -1 : square % 8; }

}  // namespace

EvaluationTerms::EvaluationTerms(const Board& b) {
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) add(b.squares[s], s);
    settle();
}

void EvaluationTerms::settle() {
    for (int c = 0; staleFiles; ++c, staleFiles >>= 1) {
        if (!(staleFiles & 1)) continue;
        files -= fileTerms[c];
        fileTerms[c] = static_cast<int16_t>(fileTerm(c));
        files += fileTerms[c];
    }
    if (staleKings & 1) kingMoved(White);
    if (staleKings & 2) kingMoved(Black);
    staleKings = 0;
}

int32_t EvaluationTerms::fileTerm(int c) const {
    int32_t t = 0;
    if (pawns[White][c] > 1) t -= 20;
    if (pawns[Black][c] > 1) t += 20;
    // Rooks alone on a file; the two sides' weights differ.
    if (rooks[White][c] > 0 && pieces[c] == rooks[White][c]) t += 50 * rooks[White][c];
    if (rooks[Black][c] > 0 && pieces[c] == rooks[Black][c]) t -= 30 * rooks[Black][c];
    // A single pawn facing no pawn on its file.
    if (pawns[White][c] == 1 && pawns[Black][c] == 0) t += 30;
    if (pawns[Black][c] == 1 && pawns[White][c] == 0) t -= 30;
    return t;
}

// Every rook, knight, bishop and queen loses a point per step to the enemy king: when a king's
// square changes, the other colour's distances are summed again from its row and column counts.
void EvaluationTerms::kingMoved(int colour) {
    const int enemy = 1 - colour;
    const int r = kingRow(kingSquare[colour]), c = kingCol(kingSquare[colour]);
    int32_t sum = 0;
    for (int i = 0; i < 8; ++i) sum += rowCount[enemy][i] * distance(i, r) + colCount[enemy][i] * distance(i, c);
    toKing[enemy] = sum;
}

void EvaluationTerms::change(PieceCode p, int s, int by) {
    const int r = s / 8, c = s % 8;
    const int colour = p % 2;
    staleFiles |= static_cast<uint8_t>(1 << c);
    pieces[c] += by;
    switch (p) {
        case 0: base += by * (100 + 2 * r); pawns[White][c] += by; break;
        case 1: base -= by * (100 + 2 * (7 - r)); pawns[Black][c] += by; break;
        case 10:
        case 11:
            kings[colour] += by;
            if (by < 0 && kings[colour] == 1) kingLost = true;
            kingSquare[colour] = static_cast<int8_t>(kings[colour] == 0 ? 64 : s);
            staleKings |= static_cast<uint8_t>(1 << colour);
            break;
        default: {
            static const int values[5] = {0, 512, 310, 308, 914};
            const int sign = colour == White ? 1 : -1;
            base += by * sign * values[p / 2];
            if (p == 2 || p == 3) rooks[colour][c] += by;
            // Knights away from the sixteen centre squares.
            if ((p == 4 || p == 5) && !(r >= 2 && r <= 5 && c >= 2 && c <= 5)) base -= by * sign * 15;
            rowCount[colour][r] += by;
            colCount[colour][c] += by;
            const int k = kingSquare[1 - colour];
            toKing[colour] += by * (distance(r, kingRow(k)) + distance(c, kingCol(k)));
        }
    }
}

int32_t Engine::evaluate(const Board& b) const {
    EvaluationTerms terms(b);
    if (terms.known()) return terms.score(b.sideToMove);
    // More than one king of a colour: the first of each, in square order, counts.
    const int whiteKing = b.findKingOfColour(White), blackKing = b.findKingOfColour(Black);
    terms.kingSquare[White] = static_cast<int8_t>(whiteKing < 0 ? 64 : whiteKing);
    terms.kingSquare[Black] = static_cast<int8_t>(blackKing < 0 ? 64 : blackKing);
    terms.staleKings = 3;
    terms.settle();
    return terms.score(b.sideToMove);
}
