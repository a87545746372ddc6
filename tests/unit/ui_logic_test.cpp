// The platform-free part of the window: square pictures, geometry, clicks, promotion choices,
// game modes and the About box's Julia picture.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ui/board_view.h"

using Ints = std::vector<int>;

TEST(BoardView, PicturesGeometryAndLabels) {
    for (int code = 0; code <= 12; ++code)  // the pictures' contents are checked against the committed files
        for (bool dark : {false, true}) {
            const SquareBitmap b = squareBitmapContents(bitmapIndex(PieceCode(code), dark));
            EXPECT_EQ(Ints({b.kind, b.colour, b.dark}), Ints({code == 12 ? -1 : code / 2, code % 12 % 2, dark}));
        }
    Board b;
    b.setStartPosition();  // a8 light, White at the bottom
    const BoardGeometry g{10, 15, squarePixels, squarePixels};
    const Rect o = g.outerFrame(), i = g.innerFrame(), p = g.panelFrame(), e4 = g.squareRect(3, 4);
    const Point s = g.squareOrigin(7, 7), f = g.fileLabelOrigin(7), r = g.rankLabelOrigin(7);
    Ints got = {o.left, o.top, o.right, o.bottom, i.left, i.top, i.right, i.bottom, p.left, p.top, p.right, p.bottom,
                e4.left, e4.top, e4.right, e4.bottom, s.x, s.y, f.x, f.y, r.x, r.y, fileLabel(7), rankLabel(7),
                BoardGeometry().boardLeft, BoardGeometry().boardTop, bitmapIndex(-1, 0), bitmapIndex(13, 1),
                bitmapIndexAt(Board(), 0, 0), bitmapIndexAt(Board(), 0, 7), bitmapIndexAt(b, 0, 7),
                bitmapIndexAt(b, 3, 0), squareBitmapName(26) == nullptr, squareBitmapName(-1) == nullptr};
    for (const auto& t : {g.depthTextPlace(), g.valueTextPlace(), g.panelTextPlace(ProgressText),
                          g.panelTextPlace(BestMoveText), g.panelTextPlace(NodesText), g.panelTextPlace(SpeedText)})
        got.insert(got.end(), {t.x, t.y, t.rightAligned});
    EXPECT_EQ(got, Ints({10, 15, 260, 265, 13, 18, 257, 262, 10, 265, 260, 320, 135, 140, 165, 170, 225, 230, 235, 0,
                         0, 237, 'H', '1', 10, 15, -1, -1, 24, 25, 3, 21, 1, 1, 25, 267, 0, 245, 267, 1, 25, 282, 0,
                         245, 282, 1, 25, 297, 0, 245, 297, 1}));
}

TEST(BoardView, ClicksPromotionChoicesAndModes) {
    const BoardGeometry g{10, 15, squarePixels, squarePixels};
    const Point o = promotionPictureOrigin(3, 30);
    Ints got = {clickAt(BoardGeometry{10, 15, 0, 30}, 12, 17).target,  // no pictures, no squares
                clickAt(BoardGeometry{10, 15, 30, 0}, 12, 17).target, o.x, o.y, promotionPictureIndex(3),
                promotionPiece(0, Black), promotionPiece(3, White), promotionPiece(-1, White),
                promotionPiece(4, Black)};
    // Squares, strips right of and below them, the frame; the squares take the strips left and above.
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{15, 20}, {44, 49}, {45, 50}, {254, 259}, {11, 100},
                                                               {100, 16}, {255, 100}, {100, 264}, {10, 100}, {260, 100},
                                                               {100, 15}, {100, 265}}) {
        const Click k = clickAt(g, x, y);
        got.insert(got.end(), {k.target, k.row, k.column});
    }
    for (const auto& [x, y] : std::vector<std::pair<int, int>>{{21, 31}, {59, 59}, {20, 45}, {60, 45}, {61, 45},
                                                               {179, 45}, {180, 45}, {200, 45}, {35, 30}, {35, 60}})
        got.push_back(promotionChoiceAt(x, y, 30, 30));
    for (const auto& c : std::vector<Ints>{{0, 6, 7, 7, 6}, {1, 1, 0, 0, 0}, {2, 6, 4, 7, 4}, {1, 6, 4, 7, 4},
                                           {0, 1, 3, 0, 3}, {0, 5, 4, 6, 4}}) {  // piece, move
        Board b;
        b.set(c[1], c[2], PieceCode(c[0]));
        got.push_back(asksForPromotion(b, MoveInfo(c[1], c[2], c[3], c[4])));
    }
    std::string labels;
    for (int id = 1099; id <= 1104; ++id) {
        int32_t white = 7, black = 7;
        got.insert(got.end(), {modeFlags(id, white, black), white, black});
        labels += std::string(modeLabel(id) ? modeLabel(id) : "-") + "|";
    }
    const int S = ClickSquare, T = ClickStrip, O = ClickOutside, N = NoPromotion;
    EXPECT_EQ(got, Ints({O, O, 140, 30, 8, 3, 8, N, N, S, 7, 0, S, 7, 0, S, 6, 1, S, 0, 7, S, 5, 0, S, 7, 2, T, -1, -1,
                         T, -1, -1, O, -1, -1, O, -1, -1, O, -1, -1, O, -1, -1, 0, 0, -1, -1, 1, 3, -1, -1, -1, -1, 1,
                         1, 0, 0, 0, 0, 0, 7, 7, 1, 0, 0, 1, 0, 1, 1, 1, 0, 1, 1, 1, 0, 7, 7}));
    EXPECT_EQ(labels, "-|Human vs human|Human vs VimoChess|VimoChess vs human|VimoChess vs VimoChess|-|");
}

TEST(BoardView, AboutPicture) {
    Ints got;  // a corner, outside at once, once, twice, never escaping; orbits that need the shifts to round down
    for (const auto& [u, v, c] : std::vector<std::tuple<int, int, int>>{{-2000, -2000, 600}, {2000, 0, 0}, {1999, 0, 0},
                                                                        {1300, 0, 0}, {0, 0, 0}, {-520, 0, 600},
                                                                        {-960, 400, 600}})
        got.push_back(fractalIterations(u, v, 0, c));
    const Colour pixel = fractalPixel(37, 25, 0, 600);  // (-520, 0)
    AboutAnimation a;
    a.angleA = 3.3;  // 600 sin 3.3 = -94.65, truncated toward zero
    int32_t cx, cy;
    a.tick(cx, cy);
    got.insert(got.end(), {pixel.red, pixel.green, pixel.blue, cx, cy});
    EXPECT_EQ(got, Ints({0, 0, 1, 2, 31, 15, 15, 120, 90, 225, -94, 600}));
    EXPECT_EQ(std::vector<double>({a.angleA, a.angleB}), std::vector<double>({3.3 + 0.027, 0.033}));
    // Every pixel with the largest c keeps every product within 32 bits (the sanitizer watches).
    for (int i = 0; i < fractalWidth * fractalHeight * 4; ++i)
        ASSERT_LE(unsigned(fractalIterations(-2000 + 40 * (i / 4 % 100), -2000 + 80 * (i / 400), i & 1 ? 600 : -600,
                                             i & 2 ? 600 : -600)), 31u);
}
