#include "evaluation.h"

#include "engine.h"

namespace {

int distance(int a, int b) { return a > b ? a - b : b - a; }

// A missing king (square 64) reads as row 0, column -1.
int kingRow(int square) { return square == 64 ? 0 : square / 8; }
int kingCol(int square) { return square == 64 ? -1 : square % 8; }

// What a piece on a square adds to the base sum, from White's view, and the distance between a
// king's square (64: missing) and any square.
struct Tables {
    int16_t base[12][64];
    uint8_t distance[65][64];
    int8_t pawnFile[9][9];  // a file's pawn terms by the number of white and of black pawns on it

    Tables() {
        static const int values[6] = {0, 512, 310, 308, 914, 0};
        for (int p = 0; p < 12; ++p)
            for (int s = 0; s < 64; ++s) {
                const int r = s / 8, c = s % 8, sign = p % 2 == White ? 1 : -1;
                int v = values[p / 2];
                if (p == 0) v = 100 + 2 * r;
                if (p == 1) v = 100 + 2 * (7 - r);
                // Knights away from the sixteen centre squares.
                if (p / 2 == Knight && !(r >= 2 && r <= 5 && c >= 2 && c <= 5)) v -= 15;
                base[p][s] = static_cast<int16_t>(sign * v);
            }
        for (int w = 0; w <= 8; ++w)
            for (int b = 0; b <= 8; ++b) {
                // Doubled pawns, and a single pawn facing no pawn.
                int t = (w > 1 ? -20 : 0) + (b > 1 ? 20 : 0);
                if (w == 1 && b == 0) t += 30;
                if (b == 1 && w == 0) t -= 30;
                pawnFile[w][b] = static_cast<int8_t>(t);
            }
        for (int k = 0; k <= 64; ++k)
            for (int s = 0; s < 64; ++s)
                distance[k][s] = static_cast<uint8_t>(::distance(s / 8, kingRow(k)) + ::distance(s % 8, kingCol(k)));
    }
};
const Tables tables;

// A file's terms from its counts: doubled and single pawns, and lone rooks (the sides' weights differ).
int32_t fileTermOf(int whitePawns, int blackPawns, int whiteRooks, int blackRooks, int pieces) {
    int32_t t = tables.pawnFile[whitePawns][blackPawns];
    if (whiteRooks > 0 && pieces == whiteRooks) t += 50 * whiteRooks;
    if (blackRooks > 0 && pieces == blackRooks) t -= 30 * blackRooks;
    return t;
}

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
        fileTerms[c] = static_cast<int16_t>(fileTerm(c));
        files += fileTerms[c];
    }
    if (staleKings & 1) kingMoved(White);
    if (staleKings & 2) kingMoved(Black);
    staleKings = 0;
}

int32_t EvaluationTerms::fileTerm(int c) const {
    return fileTermOf(pawns[White][c], pawns[Black][c], rooks[White][c], rooks[Black][c], pieces[c]);
}

int32_t EvaluationTerms::scoreAfter(const SquareChange* changes, int count, int sideToMove) const {
    int32_t sum = base + files - toKing[White] + toKing[Black];
    // The counts of the files the move touches (at most three), as the move leaves them.
    int file[4], n = 0;
    int8_t counts[4][5];  // white pawns, black pawns, white rooks, black rooks, pieces
    for (int i = 0; i < count; ++i) {
        const int s = changes[i].square, c = s & 7;
        int k = 0;
        while (k < n && file[k] != c) ++k;
        if (k == n) {
            file[n++] = c;
            counts[k][0] = pawns[White][c], counts[k][1] = pawns[Black][c];
            counts[k][2] = rooks[White][c], counts[k][3] = rooks[Black][c], counts[k][4] = pieces[c];
        }
        for (int side = 0; side < 2; ++side) {
            const PieceCode p = side ? changes[i].now : changes[i].was;
            if (p == EmptySquare) continue;
            const int by = side ? 1 : -1, colour = p & 1;
            sum += by * tables.base[p][s];
            counts[k][4] += by;
            if (p >> 1 == Pawn) {
                counts[k][colour] += by;
                continue;
            }
            if (p >> 1 == Rook) counts[k][2 + colour] += by;
            const int toKingNow = by * tables.distance[kingSquare[1 - colour]][s];
            sum += colour == White ? -toKingNow : toKingNow;
        }
    }
    for (int k = 0; k < n; ++k)
        sum += fileTermOf(counts[k][0], counts[k][1], counts[k][2], counts[k][3], counts[k][4]) - fileTerms[file[k]];
    return sideToMove == White ? sum : -sum;
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
    const unsigned r = static_cast<unsigned>(s) >> 3, c = static_cast<unsigned>(s) & 7;
    const unsigned colour = static_cast<unsigned>(p) & 1;
    staleFiles |= static_cast<uint8_t>(1u << c);
    pieces[c] += by;
    base += by * tables.base[p][s];
    switch (p >> 1) {
        case Pawn: pawns[colour][c] += by; break;
        case King:
            kings[colour] += by;
            if (by < 0 && kings[colour] == 1) kingLost = true;
            kingSquare[colour] = static_cast<int8_t>(kings[colour] == 0 ? 64 : s);
            staleKings |= static_cast<uint8_t>(1u << colour);
            break;
        default:
            if (p >> 1 == Rook) rooks[colour][c] += by;
            rowCount[colour][r] += by;
            colCount[colour][c] += by;
            toKing[colour] += by * tables.distance[kingSquare[1 - colour]][s];
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
