// The platform-free part of the window: square pictures, geometry, click mapping, promotion
// choices, game modes and the About box's Julia picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ui/board_view.h"

namespace {

BoardGeometry programGeometry() {
    BoardGeometry g;
    g.squareWidth = squarePixels;
    g.squareHeight = squarePixels;
    return g;
}

void expectRect(const Rect& r, int left, int top, int right, int bottom) {
    EXPECT_EQ(r.left, left);
    EXPECT_EQ(r.top, top);
    EXPECT_EQ(r.right, right);
    EXPECT_EQ(r.bottom, bottom);
}

// ---- square pictures ----

TEST(SquarePictures, IndexOfEveryPieceCodeOnLightAndDarkSquares) {
    const int light[13] = {0, 12, 2, 14, 4, 16, 6, 18, 8, 20, 10, 22, 24};
    for (int code = 0; code <= 12; ++code) {
        EXPECT_EQ(bitmapIndex(PieceCode(code), false), light[code]) << "code " << code;
        EXPECT_EQ(bitmapIndex(PieceCode(code), true), light[code] + 1) << "code " << code;
    }
}

TEST(SquarePictures, NoPictureForBytesThatAreNoPieceCode) {
    for (int code : {-1, 13, 100, -128}) EXPECT_EQ(bitmapIndex(PieceCode(code), false), -1) << code;
}

TEST(SquarePictures, NamesInResourceOrder) {
    const struct {
        int index;
        const char* name;
    } cases[] = {{0, "R_B_PION_B"},    {1, "R_B_PION_C"},   {3, "R_B_WIEZA_C"},   {4, "R_B_SKOCZEK_B"},
                 {7, "R_B_GONIEC_C"},  {8, "R_B_HETMAN_B"}, {11, "R_B_KROL_C"},   {12, "R_C_PION_B"},
                 {14, "R_C_WIEZA_B"},  {17, "R_C_SKOCZEK_C"}, {21, "R_C_HETMAN_C"}, {23, "R_C_KROL_C"},
                 {24, "R_B_PUSTE"},    {25, "R_C_PUSTE"}};
    for (const auto& c : cases) EXPECT_STREQ(squareBitmapName(c.index), c.name) << c.index;
    EXPECT_EQ(squareBitmapName(-1), nullptr);
    EXPECT_EQ(squareBitmapName(26), nullptr);
}

TEST(SquarePictures, ContentsAgreeWithNameAndIndex) {
    const char* kinds[6] = {"PION", "WIEZA", "SKOCZEK", "GONIEC", "HETMAN", "KROL"};
    for (int i = 0; i < squareBitmapCount; ++i) {
        const SquareBitmap b = squareBitmapContents(i);
        const std::string name = squareBitmapName(i);
        if (b.kind < 0) {
            EXPECT_EQ(name.substr(0, 4) == "R_C_", b.dark) << name;
            EXPECT_NE(name.find("PUSTE"), std::string::npos) << name;
            EXPECT_EQ(bitmapIndex(EmptySquare, b.dark), i);
        } else {
            EXPECT_EQ(name.back() == 'C', b.dark) << name;
            EXPECT_EQ(name.substr(0, 4), b.colour == White ? "R_B_" : "R_C_") << name;
            EXPECT_NE(name.find(kinds[b.kind]), std::string::npos) << name;
            EXPECT_EQ(bitmapIndex(pieceCode(b.kind, b.colour), b.dark), i) << name;
        }
    }
}

TEST(SquarePictures, EmptyBoardAlternatesWithLightTopLeft) {
    const Board empty;
    for (int column = 0; column < 8; ++column)
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(bitmapIndexAt(empty, column, row), (column + row) % 2 == 0 ? 24 : 25) << column << "," << row;
    EXPECT_FALSE(isDarkScreenSquare(0, 0));  // A8
    EXPECT_TRUE(isDarkScreenSquare(0, 7));   // A1
    EXPECT_FALSE(isDarkScreenSquare(7, 7));  // H1
    EXPECT_TRUE(isDarkScreenSquare(7, 0));   // H8
}

TEST(SquarePictures, StartPositionHasWhiteAtTheBottom) {
    Board b;
    b.setStartPosition();
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 0, 7)), "R_B_WIEZA_C");  // A1
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 0, 0)), "R_C_WIEZA_B");  // A8
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 4, 7)), "R_B_KROL_C");   // E1
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 3, 0)), "R_C_HETMAN_C"); // D8
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 4, 6)), "R_B_PION_B");   // E2
    EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, 7, 0)), "R_C_WIEZA_C");  // H8
}

// ---- geometry ----

TEST(BoardGeometryTest, FramesOfThirtyPixelSquares) {
    const BoardGeometry g = programGeometry();
    expectRect(g.outerFrame(), 10, 15, 260, 265);
    expectRect(g.innerFrame(), 13, 18, 257, 262);
    expectRect(g.panelFrame(), 10, 265, 260, 320);
}

TEST(BoardGeometryTest, SquaresStartFiveInsideTheFrameWithRowSevenOnTop) {
    const BoardGeometry g = programGeometry();
    const struct {
        int row, column, left, top;
    } cases[] = {{7, 0, 15, 20}, {0, 0, 15, 230}, {0, 7, 225, 230}, {7, 7, 225, 20}, {3, 4, 135, 140}};
    for (const auto& c : cases) {
        const Rect r = g.squareRect(c.row, c.column);
        expectRect(r, c.left, c.top, c.left + 30, c.top + 30);
        const Point o = g.squareOrigin(c.column, 7 - c.row);
        EXPECT_EQ(o.x, c.left);
        EXPECT_EQ(o.y, c.top);
    }
}

TEST(BoardGeometryTest, LabelsAboveAndLeftOfTheBoard) {
    const BoardGeometry g = programGeometry();
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(g.fileLabelOrigin(i).x, 25 + 30 * i);
        EXPECT_EQ(g.fileLabelOrigin(i).y, 0);
        EXPECT_EQ(g.rankLabelOrigin(i).x, 0);
        EXPECT_EQ(g.rankLabelOrigin(i).y, 27 + 30 * i);
    }
    std::string files, ranks;
    for (int i = 0; i < 8; ++i) {
        files += fileLabel(i);
        ranks += rankLabel(i);
    }
    EXPECT_EQ(files, "ABCDEFGH");
    EXPECT_EQ(ranks, "87654321");
}

TEST(BoardGeometryTest, PanelTextPlaces) {
    const BoardGeometry g = programGeometry();
    const struct {
        BoardGeometry::TextPlace place;
        int x, y;
        bool right;
    } cases[] = {{g.depthTextPlace(), 25, 267, false},
                 {g.valueTextPlace(), 245, 267, true},
                 {g.panelTextPlace(ProgressText), 25, 282, false},
                 {g.panelTextPlace(BestMoveText), 245, 282, true},
                 {g.panelTextPlace(NodesText), 25, 297, false},
                 {g.panelTextPlace(SpeedText), 245, 297, true}};
    for (const auto& c : cases) {
        EXPECT_EQ(c.place.x, c.x);
        EXPECT_EQ(c.place.y, c.y);
        EXPECT_EQ(c.place.rightAligned, c.right);
    }
    // The engine's root lines: y = boardTop + 8h + 27, right edge boardLeft + 8w - 5.
    EXPECT_EQ(g.panelTextPlace(ProgressText).y, g.top + 8 * g.squareHeight + 27);
    EXPECT_EQ(g.panelTextPlace(BestMoveText).x, g.left + 8 * g.squareWidth - 5);
}

// ---- clicks ----

TEST(ClickMapping, PointsOnAndAroundTheBoard) {
    const BoardGeometry g = programGeometry();
    const struct {
        int x, y;
        ClickTarget target;
        int row, column;
    } cases[] = {
        {30, 35, ClickSquare, 7, 0},       // middle of A8
        {15, 20, ClickSquare, 7, 0},       // first pixel of A8
        {44, 49, ClickSquare, 7, 0},       // last pixel of A8
        {45, 50, ClickSquare, 6, 1},       // first pixel of B7
        {254, 259, ClickSquare, 0, 7},     // last pixel of H1
        {11, 100, ClickSquare, 5, 0},      // left strip: column 0
        {100, 16, ClickSquare, 7, 2},      // top strip: row 7
        {255, 100, ClickStrip, -1, -1},    // right strip: column 8
        {259, 100, ClickStrip, -1, -1},
        {100, 260, ClickStrip, -1, -1},    // bottom strip: row -1
        {100, 264, ClickStrip, -1, -1},
        {10, 100, ClickOutside, -1, -1},   // the frame's own edges are excluded
        {260, 100, ClickOutside, -1, -1},
        {100, 15, ClickOutside, -1, -1},
        {100, 265, ClickOutside, -1, -1},
        {5, 5, ClickOutside, -1, -1},
        {130, 300, ClickOutside, -1, -1},  // the panel
    };
    for (const auto& c : cases) {
        const Click click = clickAt(g, c.x, c.y);
        EXPECT_EQ(click.target, c.target) << c.x << "," << c.y;
        if (c.target == ClickSquare) {
            EXPECT_EQ(click.row, c.row) << c.x << "," << c.y;
            EXPECT_EQ(click.column, c.column) << c.x << "," << c.y;
        }
    }
}

TEST(ClickMapping, EverySquareCentreMapsBackToItsSquare) {
    const BoardGeometry g = programGeometry();
    for (int row = 0; row < 8; ++row)
        for (int column = 0; column < 8; ++column) {
            const Rect r = g.squareRect(row, column);
            const Click click = clickAt(g, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
            EXPECT_EQ(click.target, ClickSquare);
            EXPECT_EQ(click.row, row);
            EXPECT_EQ(click.column, column);
        }
}

TEST(ClickMapping, NoSquareWithoutPictures) {
    BoardGeometry g;  // squares of size 0: the pictures did not load
    EXPECT_EQ(clickAt(g, 12, 17).target, ClickOutside);
}

// ---- promotion ----

TEST(PromotionChoices, PicturesAtTwentySixtyHundredHundredForty) {
    const int xs[4] = {20, 60, 100, 140};
    const int pictures[4] = {2, 4, 6, 8};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(promotionPictureOrigin(k, 30).x, xs[k]);
        EXPECT_EQ(promotionPictureOrigin(k, 30).y, 30);
        EXPECT_EQ(promotionPictureIndex(k), pictures[k]);
    }
}

TEST(PromotionChoices, HitTest) {
    const struct {
        int x, y, choice;
    } cases[] = {
        {21, 31, 0},  {35, 45, 0},  {59, 45, 0},  // the rook and the gap right of it
        {20, 45, -1}, {60, 45, -1},                // cell edges are excluded
        {61, 45, 1},  {95, 45, 1},                 // the knight's gap
        {120, 45, 2}, {179, 45, 3},
        {180, 45, -1}, {10, 45, -1},
        {35, 30, -1}, {35, 60, -1}, {35, 59, 0},   // above and below the band
        {35, 75, -1},
    };
    for (const auto& c : cases) EXPECT_EQ(promotionChoiceAt(c.x, c.y, 30, 30), c.choice) << c.x << "," << c.y;
}

TEST(PromotionChoices, PieceTakesTheSidesColour) {
    const int white[4] = {2, 4, 6, 8}, black[4] = {3, 5, 7, 9};
    for (int k = 0; k < 4; ++k) {
        EXPECT_EQ(promotionPiece(k, White), white[k]);
        EXPECT_EQ(promotionPiece(k, Black), black[k]);
    }
    EXPECT_EQ(promotionPiece(-1, White), NoPromotion);
    EXPECT_EQ(promotionPiece(4, Black), NoPromotion);
}

TEST(PromotionChoices, OnlyAPawnOfItsColourReachingTheLastRankAsks) {
    const struct {
        int piece, fromRow, fromCol, toRow, toCol;
        bool asks;
    } cases[] = {
        {pieceCode(Pawn, White), 6, 4, 7, 4, true},    // straight
        {pieceCode(Pawn, White), 6, 4, 7, 5, true},    // capturing
        {pieceCode(Pawn, White), 6, 4, 7, 7, true},    // illegal, still asks
        {pieceCode(Pawn, Black), 1, 3, 0, 3, true},
        {pieceCode(Pawn, Black), 1, 3, 0, 2, true},
        {pieceCode(Rook, White), 6, 4, 7, 4, false},
        {pieceCode(Queen, Black), 1, 3, 0, 3, false},
        {pieceCode(Pawn, Black), 6, 4, 7, 4, false},   // a black pawn going up
        {pieceCode(Pawn, White), 1, 3, 0, 3, false},
        {pieceCode(Pawn, White), 5, 4, 6, 4, false},
        {pieceCode(Pawn, White), 6, 4, 6, 5, false},
    };
    for (const auto& c : cases) {
        Board b;
        b.set(c.fromRow, c.fromCol, PieceCode(c.piece));
        EXPECT_EQ(asksForPromotion(b, MoveInfo(c.fromRow, c.fromCol, c.toRow, c.toCol)), c.asks)
            << c.piece << " " << c.fromRow << c.fromCol << "-" << c.toRow << c.toCol;
    }
    EXPECT_FALSE(asksForPromotion(Board(), MoveInfo(6, -1, 7, 0)));
}

// ---- game modes ----

TEST(GameModes, FlagsAndLabels) {
    const struct {
        int id;
        const char* label;
        int white, black;
    } cases[] = {{1100, "Human vs human", 0, 0},
                 {1101, "Human vs VimoChess", 0, 1},
                 {1102, "VimoChess vs human", 1, 0},
                 {1103, "VimoChess vs VimoChess", 1, 1}};
    for (const auto& c : cases) {
        int32_t white = -1, black = -1;
        EXPECT_TRUE(modeFlags(c.id, white, black));
        EXPECT_EQ(white, c.white) << c.id;
        EXPECT_EQ(black, c.black) << c.id;
        EXPECT_STREQ(modeLabel(c.id), c.label);
    }
    int32_t white = 7, black = 7;
    EXPECT_FALSE(modeFlags(1099, white, black));
    EXPECT_FALSE(modeFlags(1104, white, black));
    EXPECT_EQ(white, 7);
    EXPECT_EQ(modeLabel(1), nullptr);
}

// ---- the About picture ----

TEST(AboutFractal, IterationCounts) {
    const struct {
        int32_t u, v, cx, cy;
        int n;
    } cases[] = {
        {-2000, -2000, 0, 600, 0},  // a corner lies outside at once
        {2000, 0, 0, 0, 0},         // u^2 + v^2 = 4 000 000 is outside
        {1999, 0, 0, 0, 1},         // 3 996 001 iterates once: 1999^2 >> 10 = 3902
        {1500, 0, 0, 0, 1},
        {1300, 0, 0, 0, 2},         // 1650, then 2658
        {0, 0, 0, 0, 31},           // never escapes
        {1000, 0, 0, 0, 31},        // inside the unit disk for c = 0
        // Points whose orbits depend on the shift rounding toward minus infinity: with the
        // quotient truncated toward zero they would give 31 and 19.
        {-2000 + 40 * 37, -2000 + 80 * 25, 0, 600, 15},
        {-2000 + 40 * 26, -2000 + 80 * 30, 0, 600, 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(fractalIterations(c.u, c.v, c.cx, c.cy), c.n) << c.u << "," << c.v << " c " << c.cx << "," << c.cy;
}

TEST(AboutFractal, Colours) {
    EXPECT_EQ(fractalColour(0), (Colour{0, 0, 255}));
    EXPECT_EQ(fractalColour(31), (Colour{248, 186, 193}));
    EXPECT_EQ(fractalColour(1), (Colour{8, 6, 253}));
    EXPECT_EQ(fractalPixel(0, 0, 0, 600), (Colour{0, 0, 255}));
    EXPECT_EQ(fractalPixel(99, 49, -600, -600), (Colour{0, 0, 255}));
    EXPECT_EQ(fractalPixel(50, 25, 0, 0), (Colour{248, 186, 193}));  // u = v = 0
}

TEST(AboutFractal, WithoutCThePictureIsTheUnitDisk) {
    for (int j = 0; j < fractalWidth; ++j)
        for (int k = 0; k < fractalHeight; ++k) {
            const int u = -2000 + 40 * j, v = -2000 + 80 * k;
            const int r2 = u * u + v * v;
            const bool inside = fractalPixel(j, k, 0, 0) == fractalColour(31);
            if (r2 < 1000 * 1000) {
                EXPECT_TRUE(inside) << j << "," << k;
            } else if (r2 > 1100 * 1100) {
                EXPECT_FALSE(inside) << j << "," << k;
            }
        }
}

TEST(AboutFractal, LargestCStaysWithin32Bits) {
    // |cx|, |cy| <= 600 keep every product in range; every pixel still gets a count of 0 to 31.
    for (int32_t cx : {-600, 600})
        for (int32_t cy : {-600, 600})
            for (int j = 0; j < fractalWidth; ++j)
                for (int k = 0; k < fractalHeight; ++k) {
                    const int n = fractalIterations(-2000 + 40 * j, -2000 + 80 * k, cx, cy);
                    ASSERT_GE(n, 0);
                    ASSERT_LE(n, 31);
                }
}

TEST(AboutFractal, AnimationTicks) {
    AboutAnimation a;
    int32_t cx = -1, cy = -1;
    a.tick(cx, cy);
    EXPECT_EQ(cx, 0);
    EXPECT_EQ(cy, 600);
    a.tick(cx, cy);
    EXPECT_EQ(cx, 16);   // 600 sin 0.027 = 16.19...
    EXPECT_EQ(cy, 599);  // 600 cos 0.033 = 599.67...
    // Truncation toward zero, also for negative values: 600 sin 3.2 = -35.02...
    AboutAnimation b;
    b.angleA = 3.2;
    b.angleB = 1.6;  // 600 cos 1.6 = -17.52...
    b.tick(cx, cy);
    EXPECT_EQ(cx, -35);
    EXPECT_EQ(cy, -17);
    EXPECT_DOUBLE_EQ(b.angleA, 3.2 + 0.027);
    EXPECT_DOUBLE_EQ(b.angleB, 1.6 + 0.033);
}

}  // namespace
