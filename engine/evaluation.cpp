#include "evaluation.h"

#include "engine.h"

namespace {

int distance(int a, int b) { return a > b ? a - b : b - a; }

// A missing king (square 64) reads as row 0, column -1.
int kingRow(int square) { return square == 64 ? 0 : square / 8; }
int kingCol(int square) { return square == 64 ? -1 : square % 8; }

// What a piece on a square adds to the base sum, from White's view; the distance between a king's
// square (64: missing) and any square; a file's terms by its packed counts; and what a piece adds
// to its file's packed counts. Row 12 stands for the empty square and adds nothing.
struct Tables {
    int16_t base[13][64];
    // base plus the distance term of a rook, knight, bishop or queen, by the enemy king's square
    int16_t weight[65][13][64];
    uint8_t distance[65][64];
    int8_t pawnTerms[256];     // by white pawns + 16 x black pawns
    int16_t rookTerms[4096];   // by white rooks + 16 x black rooks + 256 x pieces
    uint32_t fileCount[13];
    int8_t toKingSign[13];     // -1 for White's rooks, knights, bishops and queens, +1 for Black's

    Tables() {
        static const int values[6] = {0, 512, 310, 308, 914, 0};
        for (int p = 0; p < 13; ++p)
            for (int s = 0; s < 64; ++s) {
                const int r = s / 8, c = s % 8, sign = p % 2 == White ? 1 : -1;
                int v = p == EmptySquare ? 0 : values[p / 2];
                if (p == 0) v = 100 + 2 * r;
                if (p == 1) v = 100 + 2 * (7 - r);
                // Knights away from the sixteen centre squares.
                if (p / 2 == Knight && !(r >= 2 && r <= 5 && c >= 2 && c <= 5)) v -= 15;
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
            fileCount[p] = p == EmptySquare ? 0 : (p < 4 ? 1u << (4 * p) : 0) + (1u << 16);
            toKingSign[p] = static_cast<int8_t>(p < 2 || p > 9 ? 0 : p % 2 == White ? -1 : 1);
        }
        for (int k = 0; k <= 64; ++k)
            for (int s = 0; s < 64; ++s) {
                distance[k][s] = static_cast<uint8_t>(::distance(s / 8, kingRow(k)) + ::distance(s % 8, kingCol(k)));
                for (int p = 0; p < 13; ++p)
                    weight[k][p][s] = static_cast<int16_t>(base[p][s] + toKingSign[p] * distance[k][s]);
            }
    }
};
const Tables tables;

int32_t fileTermOf(uint32_t counts) { return tables.pawnTerms[counts & 0xff] + tables.rookTerms[(counts >> 8) & 0xfff]; }

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
        fileTerms[c] = static_cast<int16_t>(fileTermOf(fileCounts[c]));
        files += fileTerms[c];
    }
    if (staleKings & 1) kingMoved(White);
    if (staleKings & 2) kingMoved(Black);
    staleKings = 0;
}

int32_t EvaluationTerms::scoreAfterMove(int from, int to, PieceCode piece, PieceCode captured, PieceCode arriving,
                                        int sideToMove) const {
    const int colour = piece & 1;
    const int16_t(*mine)[64] = tables.weight[kingSquare[1 - colour]];
    const int16_t(*theirs)[64] = tables.weight[kingSquare[colour]];
    int32_t sum = base + files - toKing[White] + toKing[Black];
    if (piece >> 1 == King) {
        // The other colour's distances now run to the king's new square, where the piece it takes
        // stood: that piece's distance was counted and is now 0, so only its base value goes.
        const int enemy = 1 - colour;
        const int32_t before = toKing[enemy], after = distancesTo(enemy, to);
        sum += enemy == White ? before - after : after - before;
        sum -= tables.base[captured][to];
    } else {
        sum += mine[arriving][to] - mine[piece][from] - theirs[captured][to];
    }
    const int fromFile = from & 7, toFile = to & 7;
    const uint32_t left = fileCounts[fromFile] - tables.fileCount[piece];
    const uint32_t entered = tables.fileCount[arriving] - tables.fileCount[captured];
    if (fromFile == toFile) {
        sum += fileTermOf(left + entered) - fileTerms[fromFile];
    } else {
        sum += fileTermOf(left) - fileTerms[fromFile];
        sum += fileTermOf(fileCounts[toFile] + entered) - fileTerms[toFile];
    }
    return sideToMove == White ? sum : -sum;
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

void EvaluationTerms::change(PieceCode p, int s, int by) {
    const unsigned r = static_cast<unsigned>(s) >> 3, c = static_cast<unsigned>(s) & 7;
    const unsigned colour = static_cast<unsigned>(p) & 1;
    staleFiles |= static_cast<uint8_t>(1u << c);
    fileCounts[c] += by * tables.fileCount[p];
    base += by * tables.base[p][s];
    switch (p >> 1) {
        case Pawn: break;
        case King:
            kings[colour] += by;
            if (by < 0 && kings[colour] == 1) kingLost = true;
            kingSquare[colour] = static_cast<int8_t>(kings[colour] == 0 ? 64 : s);
            staleKings |= static_cast<uint8_t>(1u << colour);
            break;
        default:
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
