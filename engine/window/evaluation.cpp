#include "evaluation.h"

#include "engine.h"

namespace {

int distance(int a, int b) { return a > b ? a - b : b - a; }

// A missing king (square 64) reads as row 0, column -1.
int kingRow(int square) { return square == 64 ? 0 : square / 8; }
int kingCol(int square) { return square == 64 ? -1 : square % 8; }

}  // namespace

EvaluationTables::EvaluationTables() {
    static const int values[6] = {0, 512, 310, 308, 914, 0};
    for (int p = 0; p < 13; ++p)
        for (int s = 0; s < 64; ++s) {
            const int r = s / 8, c = s % 8, sign = pieceColour(p) == White ? 1 : -1;
            int v = p == EmptySquare ? 0 : values[pieceKind(p)];
            if (p == WhitePawn) v = 100 + 2 * r;
            if (p == BlackPawn) v = 100 + 2 * (7 - r);
            // Knights away from the sixteen centre squares.
            if (p != EmptySquare && pieceKind(p) == Knight && !(r >= 2 && r <= 5 && c >= 2 && c <= 5)) v -= 15;
            base[p][s] = static_cast<int16_t>(sign * v);
        }
    for (int w = 0; w < 16; ++w)
        for (int b = 0; b < 16; ++b) {
            // Doubled pawns, and a single pawn facing no pawn.
            int t = (w > 1 ? -20 : 0) + (b > 1 ? 20 : 0);
            if (w == 1 && b == 0) t += 30;
            if (b == 1 && w == 0) t -= 30;
            pawnTerms[w + 16 * b] = static_cast<int8_t>(t);
            // Rooks alone on a file; the two sides' weights differ.
            for (int all = 0; all < 16; ++all)
                rookTerms[w + 16 * b + 256 * all] =
                    static_cast<int16_t>((w > 0 && all == w ? 50 * w : 0) - (b > 0 && all == b ? 30 * b : 0));
        }
    for (int p = 0; p < 13; ++p) {
        // Pawns and rooks count per colour in the file's first four fields; every piece counts in the fifth.
        const bool pawnOrRook = p != EmptySquare && (pieceKind(p) == Pawn || pieceKind(p) == Rook);
        fileCount[p] = p == EmptySquare ? 0 : (pawnOrRook ? 1u << (4 * p) : 0) + (1u << 16);
        const bool attracted = p != EmptySquare && pieceKind(p) != Pawn && pieceKind(p) != King;
        toKingSign[p] = static_cast<int8_t>(!attracted ? 0 : pieceColour(p) == White ? -1 : 1);
    }
    for (int k = 0; k <= 64; ++k)
        for (int s = 0; s < 64; ++s) {
            distance[k][s] = static_cast<uint8_t>(::distance(s / 8, kingRow(k)) + ::distance(s % 8, kingCol(k)));
            for (int p = 0; p < 13; ++p)
                weight[k][p][s] = static_cast<int16_t>(base[p][s] + toKingSign[p] * distance[k][s]);
        }
}

const EvaluationTables evaluationTables;

namespace {
const EvaluationTables& tables = evaluationTables;
}  // namespace

EvaluationTerms::EvaluationTerms(const Board& b) {
    for (int s = 0; s < 64; ++s)
        if (b.squares[s] != EmptySquare) add(b.squares[s], s);
    settle();
}

void EvaluationTerms::settle() {
    for (; staleFiles; staleFiles &= static_cast<uint8_t>(staleFiles - 1)) {
        const int c = __builtin_ctz(staleFiles);
        files -= fileTerms[c];
        fileTerms[c] = static_cast<int16_t>(tables.fileTerm(fileCounts[c]));
        files += fileTerms[c];
    }
    if (staleKings & 1) kingMoved(White);
    if (staleKings & 2) kingMoved(Black);
    staleKings = 0;
}

// Every rook, knight, bishop and queen loses a point per step to the enemy king: when a king's
// square changes, the other colour's distances are summed again from its row and column counts.
void EvaluationTerms::kingMoved(int colour) { toKing[1 - colour] = distancesTo(1 - colour, kingSquare[colour]); }

int32_t EvaluationTerms::distancesTo(int colour, int square) const {
    const int r = kingRow(square), c = kingCol(square);
    int32_t sum = 0;
    for (int i = 0; i < 8; ++i) sum += rowCount[colour][i] * distance(i, r) + colCount[colour][i] * distance(i, c);
    return sum;
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
