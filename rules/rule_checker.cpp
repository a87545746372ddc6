#include "rule_checker.h"

#include <cstring>

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

    // Chess960 writes castling as the king taking its own rook.
    Castling c;
    if (b.chess960 && d == pieceCode(Rook, pieceColour(p)) && castlingBy(b, p, from, to, c)) {
        if (!castlingAllowed(b, c)) return c.right % 2 == 0 ? CastleKingSideRefused : CastleQueenSideRefused;
        return kingSafety && leavesKingCapturable(b, MoveInfo(from >> 3, from & 7, to >> 3, to & 7)) ? KingInJeopardy : Legal;
    }

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

    if (kind == King && (f == CastleKingSide || f == CastleQueenSide)) {
        if (!castlingBy(b, p, from, to, c)) return AgainstRules;  // not how Chess960 writes castling
        if (!castlingAllowed(b, c)) return f == CastleKingSide ? CastleKingSideRefused : CastleQueenSideRefused;
    }

    if (kingSafety && leavesKingCapturable(b, MoveInfo(from >> 3, from & 7, to >> 3, to & 7))) return KingInJeopardy;
    return Legal;
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
