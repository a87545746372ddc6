// What the window shows and where, without any platform call: the board's geometry, the square
// pictures, the labels, the mapping of mouse clicks to squares, the promotion choices, the
// panel under the board and the About box's picture. The Win32 code draws what this computes.
#pragma once

#include <cstdint>

#include "../engine/window/context.h"
#include "../rules/board.h"
#include "resources/resource_ids.h"

// The program's square pictures are 30 x 30 pixels.
const int squarePixels = 30;

// The 26 square pictures: index 12 x colour + 2 x kind for a piece on a light square, one more
// on a dark square; 24 and 25 the empty light and dark squares.
const int squareBitmapCount = 26;
const int emptyLightBitmap = 24;

struct SquareBitmap {
    int kind;    // PieceKind, or -1 for an empty square
    int colour;  // Side of the piece (White for an empty square)
    bool dark;
};
SquareBitmap squareBitmapContents(int index);
// The resource name of picture index: "R_" + piece colour + "_" + kind + "_" + square colour.
// Null outside 0 to 25.
const char* squareBitmapName(int index);
// The picture of a square holding code (0 to 11, or EmptySquare); -1 for any other byte.
int bitmapIndex(PieceCode code, bool darkSquare);

struct Point {
    int x, y;
};
struct Rect {
    int left, top, right, bottom;  // right and bottom excluded
};

// The board as drawn: its outer frame's top-left corner and the size of one square.
struct BoardGeometry {
    int boardLeft = 10;
    int boardTop = 15;
    int squareWidth = 0;
    int squareHeight = 0;

    Rect outerFrame() const;
    Rect innerFrame() const;
    // Screen column c and screen row j count from the top left, 0 to 7.
    Point squareOrigin(int column, int screenRow) const;
    // The square of board row (0 = White's first rank, drawn at the bottom) and column.
    Rect squareRect(int row, int column) const;
    Point fileLabelOrigin(int i) const;   // "A" + i above the board
    Point rankLabelOrigin(int i) const;   // "8" - i left of the board

    // The panel under the board.
    Rect panelFrame() const;
    // Where a panel text goes: its left edge (left-aligned) or right edge (right-aligned), and its top.
    struct TextPlace {
        int x, y;
        bool rightAligned;
    };
    TextPlace depthTextPlace() const;  // line 1, left
    TextPlace valueTextPlace() const;  // line 1, right
    TextPlace panelTextPlace(PanelText which) const;
};

// A screen square is dark when its screen column plus screen row is odd: a8 and h1 are light.
bool isDarkScreenSquare(int column, int screenRow);
// The picture index drawn at a screen square for the board.
int bitmapIndexAt(const Board& board, int column, int screenRow);

// Label texts: "A" to "H" and "8" to "1".
char fileLabel(int i);
char rankLabel(int i);

// Where a click on the main window lands.
enum ClickTarget {
    ClickOutside,  // outside the board's frame
    ClickStrip,    // on the frame's strips right of or below the squares: no square
    ClickSquare    // on a square (the strips left of and above the squares count as column 0 and row 7)
};
struct Click {
    ClickTarget target;
    int row, column;  // board coordinates, for ClickSquare
};
Click clickAt(const BoardGeometry& g, int x, int y);

// The four pictures of the promotion dialog: rook, knight, bishop, queen (choices 0 to 3).
Point promotionPictureOrigin(int choice, int squareWidth);
int promotionPictureIndex(int choice);  // the white piece on a light square: 2, 4, 6, 8
// The choice whose cell holds the click (its picture and the 10-pixel gap right of it), or -1.
int promotionChoiceAt(int x, int y, int squareWidth, int squareHeight);
// The piece a choice promotes to for the side: rook 2 or 3, knight 4 or 5, bishop 6 or 7,
// queen 8 or 9; NoPromotion for a choice outside 0 to 3.
PieceCode promotionPiece(int choice, int side);
// True when the move takes a pawn of its colour from the seventh to the eighth rank (or the
// second to the first for Black); only the rows and the piece on the from-square count.
bool asksForPromotion(const Board& board, const MoveInfo& move);

// The game modes of the game-mode dialog: the identifiers of its check boxes.
const int firstModeId = IDC_HUMAN_VS_HUMAN;
const int lastModeId = IDC_ENGINE_VS_ENGINE;
const char* modeLabel(int id);
// Sets the engine flags of the mode; false for an identifier that is no mode.
bool modeFlags(int id, int32_t& whiteIsEngine, int32_t& blackIsEngine);

// The About box's picture: the filled Julia set of z -> z^2 + c, c = (cx + i cy) / 1024, in
// fixed point with 1024 for 1.0, 100 x 50 pixels from (10, 26) of the box.
const int fractalWidth = 100;
const int fractalHeight = 50;
const Point fractalOrigin = {10, 26};
struct Colour {
    int red, green, blue;
    bool operator==(const Colour& o) const { return red == o.red && green == o.green && blue == o.blue; }
};
// Iterations (0 to 31) before the point escapes, from the start point (u, v).
int fractalIterations(int32_t u, int32_t v, int32_t cx, int32_t cy);
Colour fractalColour(int iterations);
// The colour of the picture's column j (0 to 99) and row k (0 to 49).
Colour fractalPixel(int j, int k, int32_t cx, int32_t cy);

// The animation's phases: each tick takes c from them and then advances them.
struct AboutAnimation {
    double angleA = 0.0;
    double angleB = 0.0;
    // The c of this tick (600 sin A, 600 cos B, truncated toward zero); advances the phases.
    void tick(int32_t& cx, int32_t& cy);
};
