#include "move_generator.h"

KingGuard::KingGuard(const Board& b, const Occupancy& o) {
    const Geometry& g = geometry;
    const int side = b.sideToMove, enemy = opponent(side);
    const PieceCode ownKing = pieceCode(King, side);
    int kings = 0;
    for (SquareSet s = o.bySide[side]; !s.empty();) {
        const int square = s.takeLowest();
        if (b.squares[square] == ownKing && kings++ == 0) king = square;
    }
    if (kings != 1) {
        king = -1;
        return;
    }
    const auto check = [&](SquareSet from, int kind) {
        for (; !from.empty();) {
            const int square = from.takeLowest();
            if (b.squares[square] == pieceCode(kind, enemy)) ++checkers, evasions.add(square);
        }
    };
    check(g.pawnAttackers[enemy][king], Pawn);
    check(g.knightJumps[king], Knight);
    check(g.kingSteps[king], King);
    const SquareSet all = o.all();
    for (int d = 0; d < 8; ++d) {
        const int first = g.firstBlocker(king, d, all);
        if (first < 0) continue;
        const PieceCode p = b.squares[first];
        if (pieceColour(p) == enemy) {
            if (slides(pieceKind(p), d)) ++checkers, evasions = evasions | (g.rays[king][d] & ~g.rays[first][d]);
            continue;
        }
        const int second = g.firstBlocker(first, d, all);
        if (second < 0) continue;
        const PieceCode q = b.squares[second];
        if (pieceColour(q) == enemy && slides(pieceKind(q), d)) {
            pinned.add(first);
            pinnedSquare[pins] = static_cast<int8_t>(first);
            pinningSquare[pins] = static_cast<int8_t>(second);
            pinDirection[pins++] = static_cast<int8_t>(d);
        }
    }
}

SquareSet KingGuard::legal(const Board& b, const Occupancy& o, int from, SquareSet targets) const {
    const PieceCode piece = b.squares[from];
    // Moves this guard cannot judge from the pins and checks: the rule checker's test decides.
    SquareSet asked, safe;
    if (king < 0) {
        asked = targets;
        targets = SquareSet();
    } else if (from == king) {
        SquareSet without = o.all();
        without.remove(king);
        const int enemy = opponent(b.sideToMove);
        for (SquareSet s = targets; !s.empty();) {
            const int to = s.takeLowest();
            Castling c;
            if (castlingBy(b, piece, from, to, c))
                asked.add(to);
            else if (!attackedBy(b, without, to, enemy))
                safe.add(to);
        }
        targets = SquareSet();
    } else {
        if (pieceKind(piece) == Pawn && from >> 3 == enPassantFromRow[pieceColour(piece)])
            for (SquareSet s = targets & geometry.pawnCaptures[pieceColour(piece)][from]; !s.empty();) {
                const int to = s.takeLowest();
                if (enPassantVictim(b, from, to) >= 0) asked.add(to), targets.remove(to);
            }
        if (checkers > 1) targets = SquareSet();
        if (checkers == 1) targets = targets & evasions;
        if (pinned.has(from))
            for (int i = 0; i < pins; ++i)
                if (pinnedSquare[i] == from) {
                    const int d = pinDirection[i];
                    targets = targets & geometry.rays[king][d] & ~geometry.rays[pinningSquare[i]][d];
                }
    }
    for (; !asked.empty();) {
        const int to = asked.takeLowest();
        if (!leavesKingCapturable(b, MoveInfo(from >> 3, from & 7, to >> 3, to & 7))) safe.add(to);
    }
    return targets | safe;
}

MoveWalk::MoveWalk(const Board& b, const Occupancy& o, bool safety, SquareSet only)
    : board(b), occupied(o), wanted(only), kingSafety(safety), white(b.sideToMove == White), side(b.sideToMove) {
    if (side != White && side != Black) return;
    origins = o.bySide[side];
    if (kingSafety) guard = KingGuard(b, o);
}

void MoveWalk::nextPiece() {
    from = white ? origins.takeHighest() : origins.takeLowest();
    targets = pseudoTargets(board, occupied, from) & wanted;
    if (kingSafety) targets = guard.legal(board, occupied, from, targets);
    lastRow = promotesPawn(board.squares[from], from >> 3, promotionRow[side]) ? promotionRow[side] : -1;
}

int countLegalMoves(const Board& b, const Occupancy& o) {
    const int side = b.sideToMove;
    if (side != White && side != Black) return 0;
    const KingGuard guard(b, o);
    int n = 0;
    for (SquareSet own = o.bySide[side]; !own.empty();) {
        const int from = own.takeLowest();
        const int count = guard.legal(b, o, from, pseudoTargets(b, o, from)).count();
        n += promotesPawn(b.squares[from], from >> 3, promotionRow[side]) ? 4 * count : count;
    }
    return n;
}

uint64_t perft(const Board& board, const Occupancy& occupied, int depth) {
    if (depth == 0) return 1;
    if (depth == 1) return countLegalMoves(board, occupied);
    uint64_t n = 0;
    MoveWalk walk(board, occupied, true);
    Board child;
    Occupancy childOccupied;
    for (GeneratedMove m; walk.next(m);) {
        makeCandidate(board, occupied, m, child, childOccupied);
        n += perft(child, childOccupied, depth - 1);
    }
    return n;
}

bool hasLegalMove(const Board& b) {
    const Occupancy o(b);
    GeneratedMove m;
    return MoveWalk(b, o, true).next(m);
}
