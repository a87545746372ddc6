// The platform-free part of the window: square pictures, geometry, clicks, promotion choices,
// game modes and the About box's Julia picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/board_view.h"

using Ints = std::vector<int>;

using Named = std::vector<std::tuple<const char*, Ints, Ints>>;  // what, the values got, the values expected

TEST(BoardView, PicturesGeometryAndLabels) {
    for (int code = 0; code <= 12; ++code)  // the pictures' contents are checked against the committed files
        for (bool dark : {false, true}) {
            const SquareBitmap b = squareBitmapContents(bitmapIndex(PieceCode(code), dark));
            EXPECT_EQ(Ints({b.kind, b.colour, b.dark}), Ints({code == 12 ? -1 : code / 2, code % 12 % 2, dark}))
                << "piece " << code;
        }
    Board b;
    b.setStartPosition();  // a8 light, White at the bottom
    const BoardGeometry g{10, 15, squarePixels, squarePixels};
    const Rect o = g.outerFrame(), i = g.innerFrame(), p = g.panelFrame(), e4 = g.squareRect(3, 4);
    const Point s = g.squareOrigin(7, 7), f = g.fileLabelOrigin(7), r = g.rankLabelOrigin(7);
    const auto at = [](BoardGeometry::TextPlace t) { return Ints{t.x, t.y, t.rightAligned}; };
    for (const auto& [what, got, expected] : Named{
             {"outer frame", {o.left, o.top, o.right, o.bottom}, {10, 15, 260, 265}},
             {"inner frame", {i.left, i.top, i.right, i.bottom}, {13, 18, 257, 262}},
             {"panel frame", {p.left, p.top, p.right, p.bottom}, {10, 265, 260, 320}},
             {"e4", {e4.left, e4.top, e4.right, e4.bottom}, {135, 140, 165, 170}},
             {"origins of h1, label H, label 1", {s.x, s.y, f.x, f.y, r.x, r.y}, {225, 230, 235, 0, 0, 237}},
             {"labels H, 1; default origin",
              {fileLabel(7), rankLabel(7), BoardGeometry().boardLeft, BoardGeometry().boardTop}, {'H', '1', 10, 15}},
             {"pictures of pieces -1, 13; of a1, h1 empty; of h1, a4 at the start",
              {bitmapIndex(-1, 0), bitmapIndex(13, 1), bitmapIndexAt(Board(), 0, 0), bitmapIndexAt(Board(), 0, 7),
               bitmapIndexAt(b, 0, 7), bitmapIndexAt(b, 3, 0)}, {-1, -1, 24, 25, 3, 21}},
             {"no names for pictures 26, -1",
              {squareBitmapName(26) == nullptr, squareBitmapName(-1) == nullptr}, {1, 1}},
             {"depth text", at(g.depthTextPlace()), {25, 267, 0}},
             {"value text", at(g.valueTextPlace()), {245, 267, 1}},
             {"progress", at(g.panelTextPlace(ProgressText)), {25, 282, 0}},
             {"best move", at(g.panelTextPlace(BestMoveText)), {245, 282, 1}},
             {"nodes", at(g.panelTextPlace(NodesText)), {25, 297, 0}},
             {"speed", at(g.panelTextPlace(SpeedText)), {245, 297, 1}}})
        EXPECT_EQ(got, expected) << what;
}

TEST(BoardView, ClicksPromotionChoicesAndModes) {
    const BoardGeometry g{10, 15, squarePixels, squarePixels};
    const Point o = promotionPictureOrigin(3, 30);
    const int S = ClickSquare, T = ClickStrip, O = ClickOutside, N = NoPromotion;
    for (const auto& [what, got, expected] : Named{
             {"clicks with no pictures, no squares", {clickAt(BoardGeometry{10, 15, 0, 30}, 12, 17).target,
                                                      clickAt(BoardGeometry{10, 15, 30, 0}, 12, 17).target}, {O, O}},
             {"the queen's picture: origin, index", {o.x, o.y, promotionPictureIndex(3)}, {140, 30, 8}},
             {"promotions to choices 0, 3, -1, 4",
              {promotionPiece(0, Black), promotionPiece(3, White), promotionPiece(-1, White), promotionPiece(4, Black)},
              {3, 8, N, N}}})
        EXPECT_EQ(got, expected) << what;
    // Squares, strips right of and below them, the frame; the squares take the strips left and above.
    for (const Ints& c : std::vector<Ints>{{15, 20, S, 7, 0}, {44, 49, S, 7, 0}, {45, 50, S, 6, 1}, {254, 259, S, 0, 7},
                                           {11, 100, S, 5, 0}, {100, 16, S, 7, 2}, {255, 100, T, -1, -1},
                                           {100, 264, T, -1, -1}, {10, 100, O, -1, -1}, {260, 100, O, -1, -1},
                                           {100, 15, O, -1, -1}, {100, 265, O, -1, -1}}) {  // x, y, target, row, column
        const Click k = clickAt(g, c[0], c[1]);
        EXPECT_EQ(Ints({k.target, k.row, k.column}), Ints(c.begin() + 2, c.end()))
            << "click at " << c[0] << "," << c[1];
    }
    for (const Ints& c : std::vector<Ints>{{21, 31, 0}, {59, 59, 0}, {20, 45, -1}, {60, 45, -1}, {61, 45, 1},
                                           {179, 45, 3}, {180, 45, -1}, {200, 45, -1}, {35, 30, -1}, {35, 60, -1}})
        EXPECT_EQ(promotionChoiceAt(c[0], c[1], 30, 30), c[2]) << "promotion dialog click at " << c[0] << "," << c[1];
    // Piece, move, whether the promotion is asked for.
    for (const Ints& c : std::vector<Ints>{{0, 6, 7, 7, 6, 1}, {1, 1, 0, 0, 0, 1}, {2, 6, 4, 7, 4, 0},
                                           {1, 6, 4, 7, 4, 0}, {0, 1, 3, 0, 3, 0}, {0, 5, 4, 6, 4, 0}}) {
        Board b;
        b.set(c[1], c[2], PieceCode(c[0]));
        EXPECT_EQ(asksForPromotion(b, MoveInfo(c[1], c[2], c[3], c[4])), c[5] == 1)
            << "promotion asked? piece " << c[0] << " on row " << c[1];
    }
    std::string labels;
    for (const Ints& c : std::vector<Ints>{{1099, 0, 7, 7}, {1100, 1, 0, 0}, {1101, 1, 0, 1}, {1102, 1, 1, 0},
                                           {1103, 1, 1, 1}, {1104, 0, 7, 7}}) {  // mode: flags set, White, Black
        int32_t white = 7, black = 7;
        EXPECT_EQ(Ints({modeFlags(c[0], white, black), white, black}), Ints(c.begin() + 1, c.end())) << "mode " << c[0];
        labels += std::string(modeLabel(c[0]) ? modeLabel(c[0]) : "-") + "|";
    }
    EXPECT_EQ(labels, "-|Human vs human|Human vs VimoChess|VimoChess vs human|VimoChess vs VimoChess|-|");
}

TEST(BoardView, AboutPicture) {
    // A corner, outside at once, once, twice, never escaping; orbits that need the shifts to round down.
    for (const Ints& c : std::vector<Ints>{{-2000, -2000, 600, 0}, {2000, 0, 0, 0}, {1999, 0, 0, 1}, {1300, 0, 0, 2},
                                           {0, 0, 0, 31}, {-520, 0, 600, 15}, {-960, 400, 600, 15}})
        EXPECT_EQ(fractalIterations(c[0], c[1], 0, c[2]), c[3]) << "at " << c[0] << "," << c[1] << " c " << c[2];
    const Colour pixel = fractalPixel(37, 25, 0, 600);  // (-520, 0)
    AboutAnimation a;
    a.angleA = 3.3;  // 600 sin 3.3 = -94.65, truncated toward zero
    int32_t cx, cy;
    a.tick(cx, cy);
    EXPECT_EQ(Ints({pixel.red, pixel.green, pixel.blue}), Ints({120, 90, 225})) << "the pixel at (37, 25)";
    EXPECT_EQ(Ints({cx, cy}), Ints({-94, 600})) << "c after a tick";
    EXPECT_EQ(std::vector<double>({a.angleA, a.angleB}), std::vector<double>({3.3 + 0.027, 0.033}));
    // Every pixel with the largest c keeps every product within 32 bits (the sanitizer watches).
    for (int i = 0; i < fractalWidth * fractalHeight * 4; ++i)
        ASSERT_LE(unsigned(fractalIterations(-2000 + 40 * (i / 4 % 100), -2000 + 80 * (i / 400), i & 1 ? 600 : -600,
                                             i & 2 ? 600 : -600)), 31u);
}
