#include "rule_checker.h"

#include <cstring>

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

bool isEmpty(const Board& b, int row, int col) { return b.at(row, col) == EmptySquare; }

bool isPawn(PieceCode p) { return p == 0 || p == 1; }

// Castling on the king's row: the squares between king and rook empty, the king's square and the
// squares it crosses and lands on not attacked, the rook in its corner, and the right kept.
bool castlingAllowed(const Board& b, const MoveTable& t, int row, int col, bool kingSide, PieceCode king) {
    const int dir = kingSide ? 1 : -1;
    const int emptyCount = kingSide ? 2 : 3;
    for (int i = 1; i <= emptyCount; ++i)
        if (!isEmpty(b, row, col + dir * i)) return false;
    for (int i = 0; i <= 2; ++i)
        if (squareAttacked(b, row, col + dir * i, t)) return false;
    const PieceCode rook = king == 10 ? 2 : 3;
    if (b.at(row, col + dir * (kingSide ? 3 : 4)) != rook) return false;
    const int right = (king == 10 ? 0 : 2) + (kingSide ? 0 : 1);
    return b.castlingRights[right] == 1;
}

}  // namespace

RuleError checkMove(const Board& b, MoveInfo m, const MoveTable& t, bool ownSide, bool kingSafety) {
    const RuleError code =
        checkMoveBetween(b, m.fromRow * 8 + m.fromCol, m.toRow * 8 + m.toCol, t, ownSide, false);
    if (code == Legal && kingSafety && leavesKingCapturable(b, m, t)) return KingInJeopardy;
    return code;
}

RuleError checkMoveBetween(const Board& b, int from, int to, const MoveTable& t, bool ownSide, bool kingSafety) {
    const int fromRow = from >> 3, fromCol = from & 7, toRow = to >> 3, toCol = to & 7;
    const PieceCode p = b.squares[from];
    const PieceCode d = b.squares[to];

    if (p == EmptySquare) return NoPiece;
    const bool moversTurn = (p & 1) == b.sideToMove;
    if (moversTurn != ownSide) return WrongSide;

    const uint8_t f = t.flags[p][from][to];
    if (f == 0) return AgainstRules;
    if (d != EmptySquare && f == MoveToEmpty) return DestinationOccupied;
    if (d == EmptySquare && f == MoveToCapture) return EmptySquareCaptured;
    if (d != EmptySquare && (d & 1) == (p & 1)) return OwnPieceCaptured;

    if (isPawn(p) && (f & EnPassantCandidate) && d == EmptySquare) {
        // Only right after the enemy pawn's double step onto the square beside the capturer.
        const int xRow = toRow == 2 ? 3 : 4;
        const PieceCode enemyPawn = p == 0 ? 1 : 0;
        const int doubleStepFrom = p == 0 ? 6 : 1;
        const MoveInfo& last = b.lastMove;
        if (b.at(xRow, toCol) != enemyPawn || last.fromCol != toCol || last.toCol != toCol ||
            last.toRow != fromRow || (toRow != 2 && toRow != 5) || last.fromRow != doubleStepFrom)
            return EnPassantRefused;
    }

    const int kind = p >> 1;
    if (kind == Pawn || kind == Rook || kind == Bishop || kind == Queen) {
        const int step = 8 * sign(toRow - fromRow) + sign(toCol - fromCol);
        for (int s = from + step; s != to; s += step)
            if (b.squares[s] != EmptySquare) return PathBlocked;
    }

    if (kind == King && f == CastleKingSide && !castlingAllowed(b, t, fromRow, fromCol, true, p))
        return CastleKingSideRefused;
    if (kind == King && f == CastleQueenSide && !castlingAllowed(b, t, fromRow, fromCol, false, p))
        return CastleQueenSideRefused;

    if (kingSafety && leavesKingCapturable(b, MoveInfo(fromRow, fromCol, toRow, toCol), t)) return KingInJeopardy;
    return Legal;
}

// The opponent's replies are the moves the checker accepts for the opponent without the king
// safety test. One of them captures the mover's king exactly when, after it, the mover has no
// king left: with no king at all that is any reply; with one king it is a reply onto its square,
// i.e. the opponent attacks that square; with two or more kings no single reply removes them all.
bool leavesKingCapturable(const Board& board, MoveInfo move, const MoveTable& t) {
    Board after(board);
    makeMove(after, move);
    after.switchSide();

    const PieceCode king = board.sideToMove == White ? 10 : 11;
    int kingSquare = -1, kings = 0;
    for (int s = 0; s < 64; ++s)
        if (after.squares[s] == king && kings++ == 0) kingSquare = s;
    if (kings > 1) return false;

    for (int s = 0; s < 64; ++s) {
        const PieceCode p = after.squares[s];
        if (pieceSide(p) != after.sideToMove) continue;
        if (kings == 0) {
            for (int to = 0; to < 64; ++to)
                if (t.flags[p][s][to] &&
                    checkMoveBetween(after, s, to, t, true, false) == Legal)
                    return true;
        } else if (checkMoveBetween(after, s, kingSquare, t, true, false) == Legal) {
            return true;
        }
    }
    return false;
}

bool squareAttacked(const Board& b, int row, int col, const MoveTable& t) {
    for (int s = 0; s < 64; ++s) {
        const PieceCode p = b.squares[s];
        if (p == EmptySquare || p % 2 == b.sideToMove) continue;
        if (isPawn(p)) {
            const int forward = p == 0 ? 1 : -1;
            if (row == s / 8 + forward && (col == s % 8 - 1 || col == s % 8 + 1)) return true;
            continue;
        }
        if (checkMoveBetween(b, s, row * 8 + col, t, false, false) == Legal) return true;
    }
    return false;
}

void moveErrorText(int code, char* buffer) {
    static const char* const texts[12] = {
        nullptr,
        "There's no piece!",
        "Wrong side!",
        "Against the rules for this piece!",
        "Destination square is ocupied!",
        "Can't grab an own pieces!",
        "Can't grab empty square!",
        "Can't jump over pieces!",
        "Can't do a ?!",
        "Can't do a ?!",
        "King is in jeopardy!",
        "Can't do a ?!",
    };
    if (code < 1 || code > 11) return;
    std::strcpy(buffer, texts[code]);
}
