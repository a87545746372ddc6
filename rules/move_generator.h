// The moves of a position, found from the board by the shape of each piece's moves: exactly the
// moves the rule checker accepts for the side to move, with or without its king-safety test, in
// the engine's order. Castling and en passant are the rule checker's and the board's own rules.
#pragma once

#include "attacks.h"
#include "board.h"
#include "square_set.h"

// What keeps the king of the side to move safe, worked out once for a position: the pieces pinned
// to it and the checks on it. With exactly one king most moves are judged from these at once;
// castling, en passant and every move of a side with no king or more than one are played on a
// scratch board and put to the rule checker's own test.
struct KingGuard {
    KingGuard() = default;
    KingGuard(const Board& board, const Occupancy& occupied);
    // Those of the piece's destinations that leave its king safe.
    SquareSet legal(const Board& board, const Occupancy& occupied, int from, SquareSet targets) const;

private:
    int king = -1;       // the king's square; -1 when the side has no king or more than one
    int checkers = 0;    // pieces giving check
    SquareSet evasions;  // with one checker: its square and the squares between it and the king
    SquareSet pinned;    // pieces that may move only along the line to the pinning piece
    int8_t pins = 0;     // how many, and for each the pinned piece's square and the pinning piece's
    int8_t pinnedSquare[8], pinningSquare[8], pinDirection[8];
};

// A move as the generator yields it.
struct GeneratedMove {
    uint8_t from, to;
    PieceCode promotion;

    MoveInfo info() const { return MoveInfo(from >> 3, from & 7, to >> 3, to & 7, promotion, 0); }
};

// The position after a move, as the engine's candidates have it: the move made (what describeMove
// said it does), the turn passed, and the whole move, promotion included, as the last move.
inline void makeCandidate(Board& board, const MoveInfo& move, const MoveEffect& effect) {
    makeMove(board, move, effect);
    board.switchSide();
    board.lastMove = move;
}
// The same on a copy, with the squares then occupied; how every position of a search is made.
inline void makeCandidate(const Board& board, const Occupancy& occupied, const MoveInfo& move, const MoveEffect& effect,
                          Board& after, Occupancy& afterOccupied) {
    after = board;
    makeCandidate(after, move, effect);
    afterOccupied = occupied;
    afterOccupied.apply(effect);
}
inline void makeCandidate(const Board& board, const Occupancy& occupied, const GeneratedMove& move, Board& after,
                          Occupancy& afterOccupied) {
    MoveEffect effect;
    describeMove(board, move.from, move.to, move.promotion, effect);
    makeCandidate(board, occupied, move.info(), effect, after, afterOccupied);
}

// The moves of the side to move, one at a time, in the engine's order: White's pieces from the
// highest square down and each piece's destinations likewise, Black's from the lowest up; a pawn
// reaching the last rank as queen, bishop, knight and rook. A piece's destinations are found when
// the walk reaches it.
struct MoveWalk {
    // `only`: the destinations wanted (all when not given).
    MoveWalk(const Board& board, const Occupancy& occupied, bool kingSafety, SquareSet only = ~SquareSet());

    bool next(GeneratedMove& m) {
        if (promotion >= Rook) {
            m = GeneratedMove{static_cast<uint8_t>(from), static_cast<uint8_t>(promotingTo), pieceCode(promotion--, side)};
            if (promotion < Rook) promotion = -1;
            return true;
        }
        while (targets.empty()) {
            if (origins.empty()) return false;
            nextPiece();
        }
        const int to = white ? targets.takeHighest() : targets.takeLowest();
        m = GeneratedMove{static_cast<uint8_t>(from), static_cast<uint8_t>(to), NoPromotion};
        if (to >> 3 == lastRow) {
            m.promotion = pieceCode(Queen, side);
            promotingTo = to;
            promotion = Bishop;  // then knight and rook
        }
        return true;
    }

private:
    const Board& board;
    const Occupancy& occupied;
    KingGuard guard;
    SquareSet wanted;
    bool kingSafety;
    bool white;
    int side;
    SquareSet origins;  // own pieces not reached yet
    SquareSet targets;  // the current piece's destinations not taken yet
    int from = 0;
    int lastRow = -1;    // the row on which the current piece promotes, -1 for none
    int promotion = -1;  // the next promotion piece kind, -1 when not promoting
    int promotingTo = 0;

    void nextPiece();
};

// The number of legal moves (a promotion counting four), without making them.
int countLegalMoves(const Board& board, const Occupancy& occupied);
// The leaves of the tree of legal moves to depth (perft); the last ply's moves are counted, not made.
uint64_t perft(const Board& board, const Occupancy& occupied, int depth);
// Whether the side to move has a legal move.
bool hasLegalMove(const Board& board);
