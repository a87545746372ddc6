#include "move_picker.h"

#include "exchange.h"

namespace deep {

int listMoves(const Position& p, ScoredMove* list, const OrderHints& hints, bool capturesOnly) {
    SquareSet only = ~SquareSet();
    if (capturesOnly) {
        only = p.occupied.bySide[opponent(p.side())];
        for (int c = 0; c < 8; ++c) only.add(8 * (p.side() == White ? 7 : 0) + c);
        const int file = enPassantFile(p.board);
        if (file < 8) only.add(8 * (p.side() == White ? 5 : 2) + file);
    }
    MoveWalk walk(p.board, p.occupied, true, only);
    int n = 0;
    const Move* counter = counterSlot(hints.memory, p);
    const Move counterMove = counter ? *counter : Move();
    for (GeneratedMove m; walk.next(m);) {
        const PieceCode piece = p.board.squares[m.from];
        // In Chess960 castling is the king's move onto its own rook: no capture.
        const PieceCode victim = pieceSide(p.board.squares[m.to]) == p.side() ? EmptySquare : p.board.squares[m.to];
        const bool capture = victim != EmptySquare || (pieceKind(piece) == Pawn && (m.from & 7) != (m.to & 7));
        const bool queening = m.promotion != NoPromotion && pieceKind(m.promotion) == Queen;
        if (capturesOnly && !capture && !queening) continue;
        const bool losing = capture && !queening && exchangeBelow(p.board, p.occupied, m.from, m.to, 0);
        if (capturesOnly && losing) continue;  // a capture that loses material is no way to quiet a position
        const Move move(m);
        // The most valuable victim first, then the least valuable taker.
        const int byVictim = 16 * (victim == EmptySquare ? (queening ? 800 : 100) : exchangeValue(pieceKind(victim))) -
                             exchangeValue(pieceKind(piece)) / 100 + (queening ? 1000 : 0);
        int order;
        if (move == hints.tableMove && !hints.tableMove.none())
            order = tableMoveFirst;
        else if ((capture || queening) && !losing)
            order = goodCapture + byVictim;
        else if (capture)
            order = losingCapture + byVictim;
        else if (m.promotion != NoPromotion)
            order = underpromotion;
        else if (move == hints.killers[0])
            order = killer + 1;
        else if (move == hints.killers[1])
            order = killer;
        else if (move == counterMove && !counterMove.none())
            order = killer - 1;
        else
            order = quietMove + hints.memory.history[piece][m.to] + continuationOf(hints.memory, hints.playedAt, hints.ply, piece * 64 + m.to);
        list[n++] = ScoredMove{m, order, capture || m.promotion != NoPromotion};
    }
    return n;
}

}  // namespace deep
