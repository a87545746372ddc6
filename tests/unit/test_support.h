// What the unit tests share (GoogleTest and the standard headers below included): positions from
// FEN, the move table, moves, move lists, fresh tables and random games.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <memory>
#include <map>
#include <random>
#include <string>
#include <tuple>
#include <vector>

#include "engine/move_generation.h"
#include "engine/opening_book.h"
#include "engine/random.h"
#include "fen.h"
#include "rules/board.h"
#include "rules/move_table.h"

const char startFen[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char kiwipete[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char endgame[] = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
const char promotions[] = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
const char bugCatcher[] = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";

// The move table, built once.
inline const MoveTable& table() {
    static MoveTable t;
    static const bool built = (buildMoveTable(t), true);
    (void)built;
    return t;
}

// The position of a FEN record; a bad record fails the test.
inline Board fen(const std::string& text) {
    Board b;
    std::string error;
    EXPECT_TRUE(readFen(text, b, error)) << text << ": " << error;
    return b;
}

// "e2e4" or "E2-E4" -> the move E2 to E4.
inline MoveInfo mv(std::string m, PieceCode promotion = NoPromotion) {
    m.erase(std::remove(m.begin(), m.end(), '-'), m.end());
    return MoveInfo(m[1] - '1', std::tolower(m[0]) - 'a', m[3] - '1', std::tolower(m[2]) - 'a', promotion, 0);
}

// The position after the moves from the start.
inline Board afterMoves(const std::vector<std::string>& moves) {
    Board b;
    b.setStartPosition();
    for (const std::string& m : moves) makeMove(b, mv(m)), b.switchSide();
    return b;
}

// Squares, side to move, counters, rights and last move alike.
inline bool sameBoard(const Board& a, const Board& b) {
    return std::equal(a.squares, a.squares + 64, b.squares) && a.sideToMove == b.sideToMove &&
           a.plyCount == b.plyCount && a.quietMoveCount == b.quietMoveCount &&
           std::equal(a.castlingRights, a.castlingRights + 4, b.castlingRights) &&
           a.lastMove.sameSquares(b.lastMove) && a.lastMove.promotion == b.lastMove.promotion;
}

inline void freeList(MoveList* list) {
    destroyChildren(list);
    delete list;
}

// The children of generateMoves in chain order, each name followed by a space.
inline std::string chain(const Board& b, bool kingSafety) {
    MoveList* list = generateMoves(b, table(), kingSafety);
    std::string names;
    for (PositionNode* c = list->firstChild; c; c = c->nextSibling) {
        // Each child's board shows its move made, a promotion in the mover's colour.
        const MoveInfo& m = c->board->lastMove;
        const PieceCode moved = m.promotion != NoPromotion ? m.promotion : b.at(m.fromRow, m.fromCol);
        EXPECT_TRUE(c->board->at(m.toRow, m.toCol) == moved && pieceSide(moved) == b.sideToMove) << moveName(m);
        names += moveName(m) + " ";
    }
    freeList(list);
    return names;
}

// A table as a game session builds it: keys from the restarted generator, then the book.
inline std::unique_ptr<TranspositionTable> freshTable(int bits = 18) {
    restartRandom();
    std::unique_ptr<TranspositionTable> tt(new TranspositionTable(static_cast<int8_t>(bits)));
    LoadOpeningBook(*tt);
    return tt;
}

// Takes values from the generator until its next one is (or is not) divisible by four, which
// decides think's table clear; drawn: the values taken since the generator was restarted.
inline void arrangeNextDraw(int drawn, bool divisibleByFour) {
    std::minstd_rand peek;
    peek.discard(drawn);
    while ((peek() % 4 == 0) != divisibleByFour) nextRandom();
}

// Positions met along seeded random games from varied starts (no king, two kings, castling under
// pawn attack, a pinned en passant among them), legal and pseudo-legal moves mixed.
inline std::vector<Board> randomPositions(int games, int plies, unsigned seed) {
    const char* starts[] = {startFen, kiwipete, endgame, promotions, bugCatcher,
                            "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",          "r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1",
                            "4k3/8/8/8/8/8/8/R6R w - - 0 1",             "r3k3/8/8/8/8/8/8/K2QK3 w - - 0 1",
                            "8/8/8/4k3/8/8/8/4K2R b K - 0 1",            "rnb1kbnr/8/8/8/8/8/8/RNBQKBNR w KQkq - 0 1"};
    std::mt19937 rng(seed);
    std::vector<Board> out;
    for (int g = 0; g < games; ++g) {
        Board b = fen(starts[g % (sizeof starts / sizeof *starts)]);
        for (int p = 0; p < plies; ++p) {
            out.push_back(b);
            MoveList* list = generateMoves(b, table(), rng() % 4 != 0);
            const int n = childCount(list);
            PositionNode* c = list->firstChild;
            for (int i = n ? static_cast<int>(rng() % n) : 0; i > 0; --i) c = c->nextSibling;
            if (c) b = *c->board;
            freeList(list);
            if (!c) break;
        }
    }
    return out;
}
