// The deep search's evaluation, its own and not the window engine's: a score for the middlegame and
// one for the endgame, weighed by the pieces left, from terms that strong classical engines share:
// material and the squares the pieces stand on, mobility, pawn structure and passed pawns, king
// safety, threats, rooks on open files, the bishop pair, outposts and the move. The weights are in
// weights.cpp, set by hand; tools/tune.cpp fits them to the engine's own games and writes a file of
// the same shape. Scores in hundredths of a pawn.
#pragma once

#include <utility>
#include <vector>

#include "../../rules/move_generator.h"

namespace deep {

// A term's weight, or a sum of them, in the middlegame and in the endgame.
struct Score {
    int32_t mg = 0, eg = 0;

    Score operator+(Score o) const { return Score{mg + o.mg, eg + o.eg}; }
    Score operator-(Score o) const { return Score{mg - o.mg, eg - o.eg}; }
    Score operator*(int n) const { return Score{mg * n, eg * n}; }
    Score& operator+=(Score o) { return *this = *this + o; }
    bool operator==(Score o) const { return mg == o.mg && eg == o.eg; }
};

// The weights of every term, for White; Black's squares are read with the ranks mirrored.
struct Weights {
    Score material[6];      // by kind: pawn, rook, knight, bishop, queen, king (none)
    Score squares[6][64];   // by kind and square
    Score mobility[4][28];  // rook, knight, bishop, queen: by the squares reached that are neither
                            // held by its own side nor attacked by an enemy pawn
    Score doubled, isolated, backward;
    Score connected[8];     // a pawn beside or defended by one of its own, by its rank from its side
    Score passed[8];        // a passed pawn by its rank, more with nothing in its way, and per square
    Score passedFree[8];    // of distance from its own king and from the enemy king to the square
    Score passedOwnKing[8]; // in front of it
    Score passedEnemyKing[8];
    Score bishopPair, rookOpenFile, rookHalfOpenFile;
    Score outpost[2];       // a knight or bishop that no enemy pawn can drive away, defended by a pawn
    Score threatByPawn, threatByMinor[6], threatByRook[6], hanging;  // by the kind threatened
    Score shelter[8], storm[8];  // by the distance of the nearest own / enemy pawn on the king's files
    Score tempo;                 // the side to move
    // King danger, in units of its own (the middlegame half of each weight): each piece attacking
    // the squares around the king, by kind, each such attack, each safe check by kind, and no enemy
    // queen. A danger d costs d * d / 256 in the middlegame and d / 16 in the endgame.
    Score dangerAttacker[6], dangerZoneAttack, dangerSafeCheck[6], dangerNoQueen;
};
extern const Weights weights;
const int weightCount = sizeof(Weights) / sizeof(Score);
// The index of a weight among all of them, as the tuner numbers them.
inline int weightIndex(const Score& w) { return static_cast<int>(&w - &weights.material[0]); }

// The phase of a piece kind: 24 with all the pieces on the board, 0 with kings and pawns only.
const int phaseWeight[6] = {0, 2, 1, 1, 4, 0};

// Material and squares as running sums for White, kept up to date move by move, with the phase.
struct Placement {
    Score sum;
    int32_t phase = 0;
    int8_t kingSquare[2] = {64, 64};  // 64: none

    Placement() = default;
    explicit Placement(const Board& board);
    void add(PieceCode piece, int square) { change(piece, square, 1); }
    void remove(PieceCode piece, int square) { change(piece, square, -1); }
    void apply(const MoveEffect& effect) { effect.applyTo(*this); }
    bool operator==(const Placement& o) const {
        return sum == o.sum && phase == o.phase && kingSquare[0] == o.kingSquare[0] && kingSquare[1] == o.kingSquare[1];
    }
    // The sums weighed by the phase, for the side to move.
    int32_t score(int sideToMove) const { return taper(sum, sideToMove); }
    int32_t taper(Score s, int sideToMove) const {
        const int32_t weight = phase > 24 ? 24 : phase;
        const int32_t sum = (s.mg * weight + s.eg * (24 - weight)) / 24;
        return sideToMove == White ? sum : -sum;
    }

private:
    void change(PieceCode piece, int square, int by);
};

// A term's square for a piece of a colour: White's own, Black's mirrored.
inline int seenFrom(int colour, int square) { return colour == White ? square : square ^ 56; }

// The pawns' structure of positions already evaluated, by where the pawns stand: a search's own.
struct PawnEntry {
    SquareSet pawns[2];
    Score score;         // for White
    SquareSet passed[2];
};
struct PawnCache {
    static const uint32_t mask = (1 << 14) - 1;
    PawnEntry entries[mask + 1] = {};
};

// The rest of the evaluation, as the sum of its terms (terms.cpp). The sink takes each term:
// add(weight, colour, count) for a linear one of that colour's, danger(weight, colour, count) for
// one of the danger to that colour's king. Evaluation sums them; Trace, for the tuner, counts them,
// the material and squares too.
template <class Sink>
void evaluateTerms(const Board& board, const Occupancy& occupied, Sink& sink, PawnCache* cache = nullptr);

struct Evaluation {
    static const bool countsPlacement = false;  // the running sums hold material and squares
    Score total;                                // for White
    int32_t dangers[2] = {0, 0};                // to each king
    void add(const Score& w, int colour, int count = 1) { total += colour == White ? w * count : w * -count; }
    void add(Score forWhite) { total += forWhite; }  // a sum of terms, as the pawn cache keeps it
    void danger(const Score& w, int colour, int count = 1) { dangers[colour] += w.mg * count; }
    // The total with what the dangers cost, for White.
    Score withDangers() const;
};

// A danger's cost to its king's side.
inline Score dangerCost(int32_t danger) { return danger > 0 ? Score{-danger * danger / 256, -danger / 16} : Score{}; }

// The terms' counts of one position: per weight, White's less Black's, and the danger terms per king.
struct Trace {
    static const bool countsPlacement = true;
    std::vector<std::pair<int16_t, int16_t>> linear, dangers[2];  // weight index, count
    void add(const Score& w, int colour, int count = 1) {
        if (count) linear.emplace_back(static_cast<int16_t>(weightIndex(w)), static_cast<int16_t>(colour == White ? count : -count));
    }
    void danger(const Score& w, int colour, int count = 1) {
        if (count) dangers[colour].emplace_back(static_cast<int16_t>(weightIndex(w)), static_cast<int16_t>(count));
    }
};

// The whole evaluation for the side to move; cache, when given, keeps and gives the pawns' structure.
int32_t evaluate(const Board& board, const Occupancy& occupied, const Placement& placement, PawnCache* cache = nullptr);

}  // namespace deep
