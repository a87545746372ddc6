// The single authority on whether a move may be made, and the texts of its refusals; and the
// attack test that castling, check and king safety rest on.
#pragma once

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

// True when a piece of the colour could capture onto the square, whatever stands there: a pawn
// diagonally forward, the other pieces as they move. Only the squares in `occupied` block a ray.
bool attackedBy(const Board& board, const SquareSet& occupied, int square, int colour);
// True when a piece of the side not to move attacks the square.
bool squareAttacked(const Board& board, int row, int col);

// The castling's conditions but king safety: the squares between king and rook empty, the king's
// square and the two it crosses and lands on not attacked, the rook in its corner, the right kept.
bool castlingAllowed(const Board& board, const Castling& castling);

// Writes the text of a refusal (code 1 to 11) into buffer; other codes write nothing.
// The longest text takes 34 bytes with its terminating zero.
void moveErrorText(int code, char* buffer);

// True when the king of the mover (the side to move on board) could be captured after the move.
bool leavesKingCapturable(const Board& board, MoveInfo move);
