// The single authority on whether a move may be made, and the texts of its refusals.
#pragma once

#include "attacks.h"
#include "board.h"
#include "move_table.h"

enum RuleError : int32_t {
    Legal = 0,
    NoPiece = 1,
    WrongSide = 2,
    AgainstRules = 3,
    DestinationOccupied = 4,
    OwnPieceCaptured = 5,
    EmptySquareCaptured = 6,
    PathBlocked = 7,
    CastleKingSideRefused = 8,
    CastleQueenSideRefused = 9,
    KingInJeopardy = 10,
    EnPassantRefused = 11
};

// ownSide: the piece must belong to the side to move (true) or to the other side (false).
// kingSafety: also refuse a move that leaves the mover's own king capturable.
// The four coordinates of the move must lie in 0 to 7.
RuleError checkMove(const Board& board, MoveInfo move, const MoveTable& table, bool ownSide, bool kingSafety);
// The same for the move between two square indices, with no promotion.
RuleError checkMoveBetween(const Board& board, int from, int to, const MoveTable& table, bool ownSide,
                           bool kingSafety);

// Writes the text of a refusal (code 1 to 11) into buffer; other codes write nothing.
// The longest text takes 34 bytes with its terminating zero.
void moveErrorText(int code, char* buffer);
