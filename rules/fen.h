// Positions as FEN records, and moves as square names (E2-E4, E7-E8Q, and e2e4 as UCI writes
// them): how the tool, the UCI engine, the developer tools and the tests read and write them.
#pragma once

#include <string>
#include <vector>

#include "board.h"

// Reads a FEN record into board. On failure returns false and describes the fault in error. For
// Chess960 the castling field may also name the rooks' files, as Shredder-FEN does (HAha) or X-FEN
// for a rook that is not the outermost (KQkq otherwise), and castling is then written as the king
// taking its own rook.
bool readFen(const std::string& fen, Board& board, std::string& error, bool chess960 = false);

// Why the engine cannot play from a position, or "" when it can: it needs exactly one king a side,
// no pawn on the first or last rank, and no king that the side to move could take. The developer
// tool and the UCI engine refuse such positions with this reason.
std::string positionFault(const Board& board);

// Reads a move such as "E2-E4" or "e7-e8q"; a promotion letter means that piece in the colour
// of the side to move. On failure returns false and describes the fault in error.
bool readMove(const std::string& text, int sideToMove, MoveInfo& move, std::string& error);

// "E2-E4", with Q, R, B or N appended when the promotion field holds a piece.
std::string moveName(const MoveInfo& move);

// A move in UCI's coordinate notation: "e2e4", "e7e8q"; castling as the king's move "e1g1".
std::string uciMoveName(const MoveInfo& move);

// The words of a line, as UCI and FEN separate them: by any run of spaces and tabs.
std::vector<std::string> words(const std::string& line);
