// Training positions as the generator writes them and the trainer reads them: a file is a plain run
// of 32-byte records, little-endian, with no header, so that a generator can append to it and a
// reader can take any part of it.
//
//   bytes  0-7    the occupied squares, bit i for square i (row * 8 + column, a1 = 0, h8 = 63)
//   bytes  8-23   the piece on each occupied square, in the order of the squares, four bits each
//                 (the low half of a byte first): 2 x kind + colour as in rules/move_info.h
//                 (White pawn 0 ... Black king 11); unused halves 0
//   bytes 24-25   the search's score of the position from White's side, in centipawns (int16)
//   byte  26      the game's result from White's side: 1 a win, 0 a draw, -1 a loss (int8)
//   byte  27      bit 0 the side to move (1: Black), bit 1 set on the last record of its game
//   bytes 28-31   the number of the game (uint32), from 0
//
// Castling rights, en passant and the move counters are left out: what is learned from a position
// is its pieces, the side to move, the score and the result.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "rules/board.h"

namespace training {

const int recordSize = 32;

struct Record {
    Board board;       // the pieces and the side to move; the rest as an empty Board has it
    int score = 0;     // White's side, centipawns
    int result = 0;    // White's side: 1, 0 or -1
    bool lastOfGame = false;
    uint32_t game = 0;
};

void pack(const Record& record, unsigned char out[recordSize]);
// False, with the reason, when the bytes are no record: more than 32 pieces, a piece code beyond
// 11, a result other than 1, 0 or -1, flags beyond the two, or not one king a side.
bool unpack(const unsigned char in[recordSize], Record& record, std::string& error);

// Reads a whole file; false, with the reason (naming the record), when it cannot be read or holds
// a damaged record or a length that is no whole number of records.
bool readFile(const std::string& path, std::vector<Record>& records, std::string& error);

}  // namespace training
