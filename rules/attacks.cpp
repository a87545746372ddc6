#include "attacks.h"

Occupancy::Occupancy(const Board& b) {
    for (int s = 0; s < 64; ++s)
        if (pieceSide(b.squares[s]) < 2) bySide[pieceColour(b.squares[s])].add(s);
}

SquareSet pseudoTargets(const Board& b, const Occupancy& o, int from) {
    const Geometry& g = geometry;
    const PieceCode piece = b.squares[from];
    const int colour = pieceColour(piece), kind = pieceKind(piece);
    const SquareSet own = o.bySide[colour], all = o.all();
    if (kind == Knight) return g.knightJumps[from] & ~own;
    if (kind == King) {
        SquareSet t = g.kingSteps[from] & ~own;
        for (int right = 2 * colour; right < 2 * colour + 2; ++right) {
            const Castling c = castlingOf(b, right);
            if (c.kingFrom == from && castlingAllowed(b, c)) t.add(c.moveTo);
        }
        return t;
    }
    if (kind == Pawn) {
        SquareSet t = g.pawnSteps[colour][from] & ~all;
        if (!t.empty()) t = t | (g.pawnDoubleSteps[colour][from] & ~all);
        t = t | (g.pawnCaptures[colour][from] & o.bySide[1 - colour]);
        if (from >> 3 == enPassantFromRow[colour])
            for (SquareSet s = g.pawnCaptures[colour][from] & ~all; !s.empty();) {
                const int to = s.takeLowest();
                if (enPassantVictim(b, from, to) >= 0) t.add(to);
            }
        return t;
    }
    SquareSet t;
    for (int d = 0; d < 8; ++d)
        if (slides(kind, d)) t = t | g.reach(from, d, all);
    return t & ~own;
}

bool hasPseudoMove(const Board& b) {
    if (b.sideToMove != White && b.sideToMove != Black) return false;
    const Occupancy o(b);
    for (SquareSet own = o.bySide[b.sideToMove]; !own.empty();)
        if (!pseudoTargets(b, o, own.takeLowest()).empty()) return true;
    return false;
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

bool castlingAllowed(const Board& b, const Castling& c) {
    if (b.castlingRights[c.right] != 1 || b.squares[c.kingFrom] != c.king || b.squares[c.rookFrom] != c.rook) return false;
    const auto span = [](int from, int to) { return between(from, to) | SquareSet::of(from) | SquareSet::of(to); };
    const SquareSet kingPath = span(c.kingFrom, c.kingTo);
    for (SquareSet s = kingPath | span(c.rookFrom, c.rookTo); !s.empty();) {
        const int square = s.takeLowest();
        if (square != c.kingFrom && square != c.rookFrom && b.squares[square] != EmptySquare) return false;
    }
    SquareSet occupied = Occupancy(b).all();  // as it is once both have left their squares
    occupied.remove(c.kingFrom), occupied.remove(c.rookFrom);
    for (SquareSet s = kingPath; !s.empty();)
        if (attackedBy(b, occupied, s.takeLowest(), opponent(pieceColour(c.king)))) return false;
    return true;
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
