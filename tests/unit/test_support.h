// What the unit tests share: positions from FEN and the move table.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "fen.h"
#include "rules/board.h"
#include "rules/move_table.h"

const char startFen[] = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";
const char kiwipete[] = "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1";

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
