// What the unit tests share: positions from FEN, the move table, moves, fresh tables, random
// games, the recorded engine-vs-engine game and running a program.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "engine/window/candidates.h"
#include "rules/move_table.h"
#include "engine/window/opening_book.h"
#include "engine/window/random.h"
#include "rules/fen.h"

const char startFen[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char kiwipete[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";
const char endgame[] = "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1";
const char promotions[] = "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1";
const char bugCatcher[] = "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8";

// The engine against itself from the start, as the game loop plays it: White is mated.
const char engineGame[] =
    "E2-E4 E7-E5 G1-F3 B8-C6 F1-B5 A7-A6 B5-C6 D7-C6 E1-G1 C8-G4 H2-H3 H7-H5 D2-D3 D8-F6 H3-G4 H5-G4 F3-G5 "
    "F6-H6 F2-F4 F8-C5 D3-D4 C5-D4 D1-D4 E5-D4 C2-C3 H6-H1 G1-F2 G4-G3 F2-E1 H1-G2 C3-D4 H8-H2 B1-C3 F7-F6 "
    "G5-E6 A8-C8 E6-G7 E8-F8 G7-E6 F8-F7 E6-C5 F6-F5 E4-F5 C8-E8 C5-E6 G8-H6 C1-E3 H6-F5 E6-G5 F7-G8 G5-E4 "
    "E8-E4 A1-D1 E4-E3 C3-E2 G2-E2";

inline const MoveTable& table() {
    static const MoveTable* t = [] { MoveTable* m = new MoveTable; return buildMoveTable(*m), m; }();
    return *t;
}

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

// A table as a game session builds it: keys from the restarted generator, then the book.
inline std::unique_ptr<TranspositionTable> newGameTable(int bits = 18) {
    return std::unique_ptr<TranspositionTable>(freshTable(static_cast<int8_t>(bits)));
}

// Positions met along seeded random games from varied starts (no king, two kings, castling under
// pawn attack, a pinned en passant among them), legal and pseudo-legal moves mixed.
inline std::vector<Board> randomPositions(int games, int plies, unsigned seed) {
    const char* starts[] = {startFen, kiwipete, endgame, promotions, bugCatcher, "8/8/8/K2pP2r/8/8/8/7k w - d6 0 1",
                            "r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1", "4k3/8/8/8/8/8/8/R6R w - - 0 1",
                            "r3k3/8/8/8/8/8/8/K2QK3 w - - 0 1", "8/8/8/4k3/8/8/8/4K2R b K - 0 1",
                            "rnb1kbnr/8/8/8/8/8/8/RNBQKBNR w KQkq - 0 1"};
    std::mt19937 rng(seed);
    std::vector<Board> out;
    for (int g = 0; g < games; ++g) {
        Board b = fen(starts[g % (sizeof starts / sizeof *starts)]);
        for (int p = 0; p < plies; ++p) {
            out.push_back(b);
            MoveList* list = generateMoves(b, rng() % 4 != 0);
            PositionNode* c = list->firstChild;
            for (int i = c ? static_cast<int>(rng() % childCount(list)) : 0; i > 0; --i) c = c->nextSibling;
            if (c) b = *c->board;
            freeList(list);
            if (!c) break;
        }
    }
    return out;
}

// The values written with a space between them, for comparing many results at once.
template <class... T>
std::string spaced(const T&... values) {
    std::ostringstream out;
    const char* separator = "";
    ((out << separator << values, separator = " "), ...);
    return out.str();
}

// Runs a program with args (shell syntax): its exit status (-1 when it did not exit normally)
// and its standard output, or its standard error when errors is true.
inline std::pair<int, std::string> run(const std::string& program, const std::string& args, bool errors = false) {
    FILE* pipe = popen((program + " " + args + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null")).c_str(), "r");
    std::string out;
    char buffer[4096];
    for (size_t n; pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    const int raw = pipe ? pclose(pipe) : -1;
    return {raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, out};
}
