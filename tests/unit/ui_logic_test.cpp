// The platform-free part of the window: square pictures, geometry, click mapping, promotion
// choices, game modes and the About box's Julia picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/board_view.h"

namespace {

using Ints = std::vector<int>;

const BoardGeometry g{10, 15, squarePixels, squarePixels};  // the program's board

Ints edges(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

// ---- square pictures ----

TEST(SquarePictures, IndexNameAndContentsOfEveryPieceCode) {
    const int light[13] = {0, 12, 2, 14, 4, 16, 6, 18, 8, 20, 10, 22, 24};
    const char* kinds[6] = {"PION", "WIEZA", "SKOCZEK", "GONIEC", "HETMAN", "KROL"};
    for (int code = 0; code <= 12; ++code)
        for (bool dark : {false, true}) {
            const int i = bitmapIndex(PieceCode(code), dark);
            EXPECT_EQ(i, light[code] + dark) << code;
            const std::string name = code == 12 ? (dark ? "R_C_PUSTE" : "R_B_PUSTE")
                                                : std::string(code % 2 ? "R_C_" : "R_B_") + kinds[code / 2] +
                                                      (dark ? "_C" : "_B");
            EXPECT_STREQ(squareBitmapName(i), name.c_str());
            const SquareBitmap b = squareBitmapContents(i);
            const int kind = code == 12 ? -1 : code / 2, colour = code == 12 ? White : code % 2;
            EXPECT_EQ(Ints({b.kind, b.colour, b.dark}), Ints({kind, colour, dark})) << name;
        }
    for (int code : {-1, 13, 100, -128}) EXPECT_EQ(bitmapIndex(PieceCode(code), false), -1) << code;
    EXPECT_TRUE(squareBitmapName(-1) == nullptr && squareBitmapName(26) == nullptr);
}

TEST(SquarePictures, BoardsDrawnWithLightA8AndWhiteAtTheBottom) {
    const Board empty;
    for (int column = 0; column < 8; ++column)
        for (int row = 0; row < 8; ++row)
            EXPECT_EQ(bitmapIndexAt(empty, column, row), (column + row) % 2 ? 25 : 24) << column << "," << row;
    Board b;
    b.setStartPosition();
    const char* cases[][2] = {{"A1", "R_B_WIEZA_C"},  {"A8", "R_C_WIEZA_B"}, {"E1", "R_B_KROL_C"},
                              {"D8", "R_C_HETMAN_C"}, {"E2", "R_B_PION_B"},  {"H8", "R_C_WIEZA_C"}};
    for (const auto& c : cases)
        EXPECT_STREQ(squareBitmapName(bitmapIndexAt(b, c[0][0] - 'A', '8' - c[0][1])), c[1]) << c[0];
}

// ---- geometry ----

TEST(BoardGeometryTest, FramesSquaresAndLabels) {
    EXPECT_EQ(Ints({BoardGeometry().boardLeft, BoardGeometry().boardTop}), Ints({10, 15}));  // where the program draws
    EXPECT_EQ(edges(g.outerFrame()), Ints({10, 15, 260, 265}));
    EXPECT_EQ(edges(g.innerFrame()), Ints({13, 18, 257, 262}));
    EXPECT_EQ(edges(g.panelFrame()), Ints({10, 265, 260, 320}));
    // Squares start five pixels inside the frame, row 7 on top.
    const int squares[][4] = {{7, 0, 15, 20}, {0, 0, 15, 230}, {0, 7, 225, 230}, {7, 7, 225, 20}, {3, 4, 135, 140}};
    for (const auto& s : squares) {
        EXPECT_EQ(edges(g.squareRect(s[0], s[1])), Ints({s[2], s[3], s[2] + 30, s[3] + 30}));
        const Point o = g.squareOrigin(s[1], 7 - s[0]);
        EXPECT_EQ(Ints({o.x, o.y}), Ints({s[2], s[3]}));
    }
    std::string labels;
    for (int i = 0; i < 8; ++i) labels = labels + fileLabel(i) + rankLabel(i);
    EXPECT_EQ(labels, "A8B7C6D5E4F3G2H1");
    const Point a = g.fileLabelOrigin(0), h = g.fileLabelOrigin(7);
    const Point r8 = g.rankLabelOrigin(0), r1 = g.rankLabelOrigin(7);
    EXPECT_EQ(Ints({a.x, a.y, h.x, h.y, r8.x, r8.y, r1.x, r1.y}), Ints({25, 0, 235, 0, 0, 27, 0, 237}));
}

TEST(BoardGeometryTest, PanelTextPlaces) {
    const BoardGeometry::TextPlace places[] = {g.depthTextPlace(),           g.valueTextPlace(),
                                               g.panelTextPlace(ProgressText), g.panelTextPlace(BestMoveText),
                                               g.panelTextPlace(NodesText),    g.panelTextPlace(SpeedText)};
    const int want[][3] = {{25, 267, 0}, {245, 267, 1}, {25, 282, 0}, {245, 282, 1}, {25, 297, 0}, {245, 297, 1}};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Ints({places[i].x, places[i].y, places[i].rightAligned}), Ints(want[i], want[i] + 3)) << i;
}

// ---- clicks ----

TEST(ClickMapping, PointsOnAndAroundTheBoard) {
    const int S = ClickSquare, T = ClickStrip, O = ClickOutside;
    const int cases[][5] = {
        {30, 35, S, 7, 0},   {15, 20, S, 7, 0},  {44, 49, S, 7, 0},  // middle, first and last pixel of A8
        {45, 50, S, 6, 1},   {254, 259, S, 0, 7},                    // first pixel of B7, last of H1
        {11, 100, S, 5, 0},  {100, 16, S, 7, 2},                     // left and top strips: column 0, row 7
        {255, 100, T},       {259, 100, T},      {100, 260, T}, {100, 264, T},  // right and bottom strips
        {10, 100, O},        {260, 100, O},      {100, 15, O},  {100, 265, O},  // the frame's edges
        {5, 5, O},           {130, 300, O},                                     // outside, the panel
    };
    for (const auto& c : cases) {
        const Click click = clickAt(g, c[0], c[1]);
        const bool sq = click.target == S;  // row and column tell only for a square
        EXPECT_EQ(Ints({click.target, sq ? click.row : 0, sq ? click.column : 0}), Ints(c + 2, c + 5))
            << c[0] << "," << c[1];
    }
    for (int i = 0; i < 64; ++i) {  // every square's middle maps back to it
        const Rect r = g.squareRect(i / 8, i % 8);
        const Click click = clickAt(g, r.left + 15, r.top + 15);
        EXPECT_EQ(Ints({click.target, click.row, click.column}), Ints({S, i / 8, i % 8}));
    }
    EXPECT_EQ(clickAt(BoardGeometry(), 12, 17).target, ClickOutside);  // no pictures, no squares
}

// ---- promotion ----

TEST(PromotionChoices, PicturesHitTestAndPieces) {
    const char* names[4] = {"R_B_WIEZA_B", "R_B_SKOCZEK_B", "R_B_GONIEC_B", "R_B_HETMAN_B"};
    for (int k = 0; k < 4; ++k) {
        const Point o = promotionPictureOrigin(k, 30);
        EXPECT_EQ(Ints({o.x, o.y}), Ints({20 + 40 * k, 30}));
        EXPECT_STREQ(squareBitmapName(promotionPictureIndex(k)), names[k]);
        EXPECT_EQ(Ints({promotionPiece(k, White), promotionPiece(k, Black)}),
                  Ints({pieceCode(Rook + k, White), pieceCode(Rook + k, Black)}));
    }
    EXPECT_EQ(Ints({promotionPiece(-1, White), promotionPiece(4, Black)}), Ints({NoPromotion, NoPromotion}));
    // Each picture's cell takes the 10-pixel gap right of it; cell edges and rows 30 and 60 are out.
    const int hits[][3] = {{21, 31, 0},  {35, 45, 0},  {59, 45, 0},   {20, 45, -1}, {60, 45, -1},
                           {61, 45, 1},  {95, 45, 1},  {120, 45, 2},  {179, 45, 3}, {180, 45, -1},
                           {10, 45, -1}, {35, 30, -1}, {35, 60, -1},  {35, 59, 0},  {35, 75, -1}};
    for (const auto& h : hits) EXPECT_EQ(promotionChoiceAt(h[0], h[1], 30, 30), h[2]) << h[0] << "," << h[1];
}

TEST(PromotionChoices, OnlyAPawnOfItsColourReachingTheLastRankAsks) {
    const int wp = pieceCode(Pawn, White), bp = pieceCode(Pawn, Black);
    const int cases[][6] = {
        {wp, 6, 4, 7, 4, 1}, {wp, 6, 4, 7, 5, 1}, {wp, 6, 4, 7, 7, 1},  // straight, capturing, illegal
        {bp, 1, 3, 0, 3, 1}, {bp, 1, 3, 0, 2, 1},
        {pieceCode(Rook, White), 6, 4, 7, 4, 0}, {pieceCode(Queen, Black), 1, 3, 0, 3, 0},
        {bp, 6, 4, 7, 4, 0}, {wp, 1, 3, 0, 3, 0}, {wp, 5, 4, 6, 4, 0}, {wp, 6, 4, 6, 5, 0},
    };
    for (const auto& c : cases) {
        Board b;
        b.set(c[1], c[2], PieceCode(c[0]));
        EXPECT_EQ(asksForPromotion(b, MoveInfo(c[1], c[2], c[3], c[4])), bool(c[5]))
            << c[0] << " " << c[1] << c[2] << "-" << c[3] << c[4];
    }
    EXPECT_FALSE(asksForPromotion(Board(), MoveInfo(6, -1, 7, 0)));
}

// ---- game modes ----

TEST(GameModes, FlagsAndLabels) {
    const char* labels[4] = {"Human vs human", "Human vs VimoChess", "VimoChess vs human", "VimoChess vs VimoChess"};
    const int flags[4][2] = {{0, 0}, {0, 1}, {1, 0}, {1, 1}};
    for (int i = 0; i < 4; ++i) {
        int32_t white = -1, black = -1;
        EXPECT_TRUE(modeFlags(1100 + i, white, black));
        EXPECT_EQ(Ints({white, black}), Ints(flags[i], flags[i] + 2)) << i;
        EXPECT_STREQ(modeLabel(1100 + i), labels[i]);
    }
    int32_t white = 7, black = 7;
    EXPECT_FALSE(modeFlags(1099, white, black) || modeFlags(1104, white, black) || white != 7);
    EXPECT_EQ(modeLabel(1), nullptr);
}

// ---- the About picture ----

TEST(AboutFractal, IterationCountsAndColours) {
    const int32_t cases[][5] = {
        {-2000, -2000, 0, 600, 0},  // a corner lies outside at once
        {2000, 0, 0, 0, 0},         // u^2 + v^2 = 4 000 000 is outside
        {1999, 0, 0, 0, 1},         // 3 996 001 iterates once: 1999^2 >> 10 = 3902
        {1500, 0, 0, 0, 1},  {1300, 0, 0, 0, 2},  {0, 0, 0, 0, 31},  {1000, 0, 0, 0, 31},
        // Orbits that need the shift to round toward minus infinity (truncating gives 31 and 19).
        {-2000 + 40 * 37, -2000 + 80 * 25, 0, 600, 15},
        {-2000 + 40 * 26, -2000 + 80 * 30, 0, 600, 15},
    };
    for (const auto& c : cases) EXPECT_EQ(fractalIterations(c[0], c[1], c[2], c[3]), c[4]) << c[0] << "," << c[1];
    EXPECT_EQ(fractalColour(1), (Colour{8, 6, 253}));
    EXPECT_EQ(fractalPixel(0, 0, 0, 600), (Colour{0, 0, 255}));           // corner start point, n = 0
    EXPECT_EQ(fractalPixel(99, 49, -600, -600), (Colour{0, 0, 255}));
    EXPECT_EQ(fractalPixel(50, 25, 0, 0), (Colour{248, 186, 193}));      // u = v = 0 never escapes
    EXPECT_EQ(fractalPixel(37, 25, 0, 600), fractalColour(15));           // (-520, 0), as above
}

TEST(AboutFractal, WithoutCThePictureIsTheUnitDiskAndEveryCountFits) {
    for (int j = 0; j < fractalWidth; ++j)
        for (int k = 0; k < fractalHeight; ++k) {
            const int u = -2000 + 40 * j, v = -2000 + 80 * k, r2 = u * u + v * v;
            const bool inside = fractalPixel(j, k, 0, 0) == Colour{248, 186, 193};
            EXPECT_TRUE(inside == (r2 < 1000 * 1000) || (r2 >= 1000 * 1000 && r2 <= 1100 * 1100)) << j << "," << k;
            // The largest c keeps every product within 32 bits (the sanitizer watches).
            for (int32_t cx : {-600, 600})
                for (int32_t cy : {-600, 600}) ASSERT_LE(unsigned(fractalIterations(u, v, cx, cy)), 31u);
        }
}

TEST(AboutFractal, AnimationTicks) {
    AboutAnimation a, b;
    b.angleA = 3.3;  // 600 sin 3.3 = -94.65, 600 cos 1.6 = -17.52: truncated toward zero
    b.angleB = 1.6;
    int32_t c[6];
    a.tick(c[0], c[1]);
    a.tick(c[2], c[3]);  // 600 sin 0.027 = 16.19, 600 cos 0.033 = 599.67
    b.tick(c[4], c[5]);
    EXPECT_EQ(Ints(c, c + 6), Ints({0, 600, 16, 599, -94, -17}));
    EXPECT_EQ(std::vector<double>({b.angleA, b.angleB}), std::vector<double>({3.3 + 0.027, 1.6 + 0.033}));
}

}  // namespace
