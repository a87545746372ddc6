// The evaluation's terms kept as running sums, so that a move updates them square by square
// instead of the whole board being scanned again at every leaf.
#pragma once

#include <cstdint>

#include "../../rules/board.h"

// What a piece on a square adds to the base sum, from White's view; the same with the distance
// term of a rook, knight, bishop or queen, by the enemy king's square (64: missing); the distance
// between a king's square and any square; a file's terms by its packed counts; and what a piece
// adds to its file's packed counts. Row 12 stands for the empty square and adds nothing.
struct EvaluationTables {
    int16_t base[13][64];
    int16_t weight[65][13][64];
    uint8_t distance[65][64];
    int8_t pawnTerms[256];     // by white pawns + 16 x black pawns
    int16_t rookTerms[4096];   // by white rooks + 16 x black rooks + 256 x pieces
    uint32_t fileCount[13];
    int8_t toKingSign[13];     // -1 for White's rooks, knights, bishops and queens, +1 for Black's

    EvaluationTables();
    int32_t fileTerm(uint32_t counts) const { return pawnTerms[counts & 0xff] + rookTerms[(counts >> 8) & 0xfff]; }
};
extern const EvaluationTables evaluationTables;

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
    // A move's changes of the squares, as describeMove gives them, settled.
    void apply(const MoveEffect& effect) {
        effect.applyTo(*this);
        settle();
    }

    // True when the running sums hold the score: each colour has at most one king, and its square
    // is known.
    bool known() const { return kings[0] <= 1 && kings[1] <= 1 && !kingLost; }
    // The score for the side to move; meaningful when known() and settled.
    int32_t score(int sideToMove) const {
        const int32_t sum = base + files - toKing[White] + toKing[Black];
        return sideToMove == White ? sum : -sum;
    }
    // The distances of a colour's rooks, knights, bishops and queens to a square (64: none).
    int32_t distancesTo(int colour, int square) const;

private:
    // Sums the other colour's distances to this colour's king square again.
    void kingMoved(int colour);
    void change(PieceCode piece, int square, int by);
};

// A piece comes (by 1) or goes (by -1); defined here so that a move's updates compile inline.
inline void EvaluationTerms::change(PieceCode p, int s, int by) {
    const unsigned r = static_cast<unsigned>(s) >> 3, c = static_cast<unsigned>(s) & 7;
    const unsigned colour = static_cast<unsigned>(pieceColour(p));
    staleFiles |= static_cast<uint8_t>(1u << c);
    fileCounts[c] += by * evaluationTables.fileCount[p];
    base += by * evaluationTables.base[p][s];
    switch (pieceKind(p)) {
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
            toKing[colour] += by * evaluationTables.distance[kingSquare[1 - colour]][s];
    }
}

// The scores after a position's plain moves and captures, for the side to move then, from the
// position's terms (known() and settled), which stay as they are: what the leaves need of their
// parent. What all the moves of one colour share is worked out once.
struct MoveScorer {
    const EvaluationTerms& terms;
    const int colour;                 // the mover's
    const int16_t (*const mine)[64];  // base and distance weights of the mover's pieces
    const int16_t (*const theirs)[64];
    const int32_t sum;                // the position's score from White's view

    MoveScorer(const EvaluationTerms& t, int moverColour)
        : terms(t), colour(moverColour), mine(evaluationTables.weight[t.kingSquare[1 - moverColour]]),
          theirs(evaluationTables.weight[t.kingSquare[moverColour]]),
          sum(t.base + t.files - t.toKing[White] + t.toKing[Black]) {}

    // What a piece's leaving its square does to the score, worked out once for all its destinations.
    struct Departure {
        int32_t otherFile;  // the score with the piece gone and its file's terms counted again
        int32_t sameFile;   // the score with the piece gone and its file's terms not counted
        uint32_t left;      // the packed counts of its file without it
        int file;
    };
    Departure depart(int from, PieceCode piece) const {
        const EvaluationTables& t = evaluationTables;
        const int file = from & 7;
        const uint32_t left = terms.fileCounts[file] - t.fileCount[piece];
        const int32_t gone = sum - mine[piece][from] - terms.fileTerms[file];
        return Departure{gone + t.fileTerm(left), gone, left, file};
    }
    // The score after the departed piece's move to to, where arriving (the piece, or what a pawn
    // becomes) replaces captured (or the empty square). The piece must not be a king, captured neither.
    int32_t arrive(const Departure& d, int to, PieceCode captured, PieceCode arriving) const {
        const EvaluationTables& t = evaluationTables;
        const int file = to & 7;
        const uint32_t entered = t.fileCount[arriving] - t.fileCount[captured];
        int32_t s = mine[arriving][to] - theirs[captured][to];
        if (file == d.file)
            s += d.sameFile + t.fileTerm(d.left + entered);
        else
            s += d.otherFile + t.fileTerm(terms.fileCounts[file] + entered) - terms.fileTerms[file];
        return colour == White ? -s : s;
    }
    // Both steps at once: piece leaves from; arriving replaces captured on to. The piece may be a
    // king, captured may not.
    int32_t scoreAfter(int from, int to, PieceCode piece, PieceCode captured, PieceCode arriving) const {
        if (pieceKind(piece) != King) return arrive(depart(from, piece), to, captured, arriving);
        // The other colour's distances now run to the king's new square, where the piece it takes
        // stood: that piece's distance was counted and is now 0, so only its base value goes.
        const EvaluationTables& t = evaluationTables;
        const int enemy = 1 - colour;
        const int32_t before = terms.toKing[enemy], after = terms.distancesTo(enemy, to);
        int32_t s = sum + (enemy == White ? before - after : after - before) - t.base[captured][to];
        const int fromFile = from & 7, toFile = to & 7;
        const uint32_t left = terms.fileCounts[fromFile] - t.fileCount[piece];
        const uint32_t entered = t.fileCount[arriving] - t.fileCount[captured];
        if (fromFile == toFile) {
            s += t.fileTerm(left + entered) - terms.fileTerms[fromFile];
        } else {
            s += t.fileTerm(left) - terms.fileTerms[fromFile];
            s += t.fileTerm(terms.fileCounts[toFile] + entered) - terms.fileTerms[toFile];
        }
        return colour == White ? -s : s;
    }
};
