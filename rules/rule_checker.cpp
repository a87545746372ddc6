#include "rule_checker.h"

#include <cstring>

#include "move_generator.h"

namespace {

int sign(int v) { return (v > 0) - (v < 0); }

SquareSet between(int from, int to) {
    SquareSet s;
    const int step = 8 * sign((to >> 3) - (from >> 3)) + sign((to & 7) - (from & 7));
    for (int x = from + step; x != to; x += step) s.add(x);
    return s;
}

}  // namespace

RuleError checkMove(const Board& b, MoveInfo m, const MoveTable& t, bool ownSide, bool kingSafety) {
    const RuleError code =
        checkMoveBetween(b, m.fromRow * 8 + m.fromCol, m.toRow * 8 + m.toCol, t, ownSide, false);
    if (code == Legal && kingSafety && leavesKingCapturable(b, m)) return KingInJeopardy;
    return code;
}

RuleError checkMoveBetween(const Board& b, int from, int to, const MoveTable& t, bool ownSide, bool kingSafety) {
    const PieceCode p = b.squares[from];
    const PieceCode d = b.squares[to];

    if (p == EmptySquare) return NoPiece;
    const bool moversTurn = pieceColour(p) == b.sideToMove;
    if (moversTurn != ownSide) return WrongSide;

    const uint8_t f = t.flags[p][from][to];
    if (f == 0) return AgainstRules;
    if (d != EmptySquare && f == MoveToEmpty) return DestinationOccupied;
    if (d == EmptySquare && f == MoveToCapture) return EmptySquareCaptured;
    if (d != EmptySquare && pieceColour(d) == pieceColour(p)) return OwnPieceCaptured;

    const int kind = pieceKind(p);
    if (kind == Pawn && (f & EnPassantCandidate) && d == EmptySquare && enPassantVictim(b, from, to) < 0)
        return EnPassantRefused;

    if (kind == Pawn || kind == Rook || kind == Bishop || kind == Queen)
        for (SquareSet path = between(from, to); !path.empty();)
            if (b.squares[path.takeLowest()] != EmptySquare) return PathBlocked;

    if (kind == King && (f == CastleKingSide || f == CastleQueenSide) && !castlingAllowed(b, *castlingBy(p, from, to)))
        return f == CastleKingSide ? CastleKingSideRefused : CastleQueenSideRefused;

    if (kingSafety && leavesKingCapturable(b, MoveInfo(from >> 3, from & 7, to >> 3, to & 7))) return KingInJeopardy;
    return Legal;
}

bool castlingAllowed(const Board& b, const Castling& c) {
    for (SquareSet s = between(c.kingFrom, c.rookFrom); !s.empty();)
        if (b.squares[s.takeLowest()] != EmptySquare) return false;
    const SquareSet occupied = Occupancy(b).all();
    const int enemy = opponent(pieceColour(c.king));
    for (SquareSet s = between(c.kingFrom, c.kingTo) | SquareSet::of(c.kingFrom) | SquareSet::of(c.kingTo); !s.empty();)
        if (attackedBy(b, occupied, s.takeLowest(), enemy)) return false;
    return b.squares[c.rookFrom] == c.rook && b.castlingRights[&c - castlings] == 1;
}

bool attackedBy(const Board& b, const SquareSet& occupied, int square, int colour) {
    const Geometry& g = geometry;
    for (SquareSet s = g.pawnAttackers[colour][square]; !s.empty();)
        if (b.squares[s.takeLowest()] == pieceCode(Pawn, colour)) return true;
    for (SquareSet s = g.knightJumps[square]; !s.empty();)
        if (b.squares[s.takeLowest()] == pieceCode(Knight, colour)) return true;
    for (SquareSet s = g.kingSteps[square]; !s.empty();)
        if (b.squares[s.takeLowest()] == pieceCode(King, colour)) return true;
    for (int d = 0; d < 8; ++d) {
        const int blocker = g.firstBlocker(square, d, occupied);
        if (blocker < 0) continue;
        const PieceCode p = b.squares[blocker];
        if (p != EmptySquare && pieceColour(p) == colour && slides(pieceKind(p), d)) return true;
    }
    return false;
}

bool squareAttacked(const Board& b, int row, int col) {
    return attackedBy(b, Occupancy(b).all(), row * 8 + col, opponent(b.sideToMove));
}

// The opponent's replies are the moves the checker accepts for the opponent without the king
// safety test. One of them captures the mover's king exactly when, after it, the mover has no
// king left: with no king at all that is any reply; with one king it is a reply onto its square,
// i.e. the opponent attacks that square; with two or more kings no single reply removes them all.
bool leavesKingCapturable(const Board& board, MoveInfo move) {
    Board after(board);
    makeMove(after, move);
    after.switchSide();

    const PieceCode king = pieceCode(King, board.sideToMove == White ? White : Black);
    int kingSquare = -1, kings = 0;
    for (int s = 0; s < 64; ++s)
        if (after.squares[s] == king && kings++ == 0) kingSquare = s;
    if (kings > 1) return false;
    if (kings == 1) return attackedBy(after, Occupancy(after).all(), kingSquare, after.sideToMove);
    return hasPseudoMove(after);
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
