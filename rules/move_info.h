// The move record shared by the rules, the engine and the user interface.
#pragma once

#include <cstdint>

// One square's content: 2 x kind + colour, or EmptySquare.
typedef int8_t PieceCode;

enum PieceKind { Pawn = 0, Rook = 1, Knight = 2, Bishop = 3, Queen = 4, King = 5 };
enum Side { White = 0, Black = 1 };

const PieceCode WhitePawn = 0, BlackPawn = 1, WhiteRook = 2, BlackRook = 3, WhiteKnight = 4, BlackKnight = 5,
                WhiteBishop = 6, BlackBishop = 7, WhiteQueen = 8, BlackQueen = 9, WhiteKing = 10, BlackKing = 11;
const PieceCode EmptySquare = 12;   // also "no promotion" in a MoveInfo
const PieceCode NoPromotion = 12;

inline PieceCode pieceCode(int kind, int colour) { return static_cast<PieceCode>(2 * kind + colour); }
// The kind and colour of a piece (codes 0 to 11).
inline int pieceKind(PieceCode piece) { return piece >> 1; }
inline int pieceColour(PieceCode piece) { return piece & 1; }
inline int opponent(int side) { return side == White ? Black : White; }
// A piece a pawn may become: a rook, knight, bishop or queen of either colour.
inline bool isPromotionPiece(PieceCode p) { return p >= WhiteRook && p <= BlackQueen; }

// Thrown when a MoveInfo is built from a square name that is not two characters long.
struct EMoveInfo_BADINITIALIZATION {};

struct MoveInfo {
    int32_t fromRow = 0;
    int32_t fromCol = 0;
    int32_t toRow = 0;
    int32_t toCol = 0;
    PieceCode promotion = NoPromotion;
    int32_t value = 0;

    MoveInfo() = default;
    MoveInfo(int32_t fr, int32_t fc, int32_t tr, int32_t tc, PieceCode promo = NoPromotion,
             int32_t val = 0)
        : fromRow(fr), fromCol(fc), toRow(tr), toCol(tc), promotion(promo), value(val) {}
    // From two square names such as "E2" and "E4": file letter then rank digit.
    MoveInfo(const char* from, const char* to);

    bool sameSquares(const MoveInfo& o) const {
        return fromRow == o.fromRow && fromCol == o.fromCol && toRow == o.toRow && toCol == o.toCol;
    }
    // True when all four coordinates lie on the board.
    bool onBoard() const;
};
