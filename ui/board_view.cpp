#include "board_view.h"

#include <cmath>

static const char* const bitmapNames[squareBitmapCount] = {
    "R_B_PION_B",    "R_B_PION_C",    "R_B_WIEZA_B",  "R_B_WIEZA_C",  "R_B_SKOCZEK_B", "R_B_SKOCZEK_C",
    "R_B_GONIEC_B",  "R_B_GONIEC_C",  "R_B_HETMAN_B", "R_B_HETMAN_C", "R_B_KROL_B",    "R_B_KROL_C",
    "R_C_PION_B",    "R_C_PION_C",    "R_C_WIEZA_B",  "R_C_WIEZA_C",  "R_C_SKOCZEK_B", "R_C_SKOCZEK_C",
    "R_C_GONIEC_B",  "R_C_GONIEC_C",  "R_C_HETMAN_B", "R_C_HETMAN_C", "R_C_KROL_B",    "R_C_KROL_C",
    "R_B_PUSTE",     "R_C_PUSTE"};

SquareBitmap squareBitmapContents(int index) {
    if (index >= emptyLightBitmap) return SquareBitmap{-1, White, index == emptyLightBitmap + 1};
    return SquareBitmap{(index % 12) / 2, index / 12, index % 2 == 1};
}

const char* squareBitmapName(int index) {
    return index >= 0 && index < squareBitmapCount ? bitmapNames[index] : nullptr;
}

int bitmapIndex(PieceCode code, bool darkSquare) {
    int index;
    if (code == EmptySquare)
        index = emptyLightBitmap;
    else if (code >= 0 && code < 12)
        index = 12 * pieceColour(code) + 2 * pieceKind(code);
    else
        return -1;
    return index + (darkSquare ? 1 : 0);
}

Rect BoardGeometry::outerFrame() const {
    return Rect{boardLeft, boardTop, boardLeft + 8 * squareWidth + 10, boardTop + 8 * squareHeight + 10};
}

Rect BoardGeometry::innerFrame() const {
    return Rect{boardLeft + 3, boardTop + 3, boardLeft + 8 * squareWidth + 7, boardTop + 8 * squareHeight + 7};
}

Point BoardGeometry::squareOrigin(int column, int screenRow) const {
    return Point{boardLeft + 5 + squareWidth * column, boardTop + 5 + squareHeight * screenRow};
}

Rect BoardGeometry::squareRect(int row, int column) const {
    const Point o = squareOrigin(column, 7 - row);
    return Rect{o.x, o.y, o.x + squareWidth, o.y + squareHeight};
}

Point BoardGeometry::fileLabelOrigin(int i) const { return Point{boardLeft + 15 + squareWidth * i, 0}; }

Point BoardGeometry::rankLabelOrigin(int i) const { return Point{0, boardTop + 12 + squareHeight * i}; }

Rect BoardGeometry::panelFrame() const {
    const Rect board = outerFrame();
    return Rect{board.left, board.bottom, board.right, board.bottom + 55};
}

BoardGeometry::TextPlace BoardGeometry::depthTextPlace() const {
    const Rect p = panelFrame();
    return TextPlace{p.left + 15, p.top + 2, false};
}

BoardGeometry::TextPlace BoardGeometry::valueTextPlace() const {
    const Rect p = panelFrame();
    return TextPlace{p.right - 15, p.top + 2, true};
}

BoardGeometry::TextPlace BoardGeometry::panelTextPlace(PanelText which) const {
    const Rect p = panelFrame();
    switch (which) {
        case ProgressText: return TextPlace{p.left + 15, p.top + 17, false};
        case BestMoveText: return TextPlace{p.right - 15, p.top + 17, true};
        case NodesText: return TextPlace{p.left + 15, p.top + 32, false};
        case SpeedText: break;
    }
    return TextPlace{p.right - 15, p.top + 32, true};
}

bool isDarkScreenSquare(int column, int screenRow) { return (column + screenRow) % 2 == 1; }

int bitmapIndexAt(const Board& board, int column, int screenRow) {
    return bitmapIndex(board.at(7 - screenRow, column), isDarkScreenSquare(column, screenRow));
}

char fileLabel(int i) { return char('A' + i); }
char rankLabel(int i) { return char('8' - i); }

Click clickAt(const BoardGeometry& g, int x, int y) {
    const Rect frame = g.outerFrame();
    if (!(frame.left < x && x < frame.right && frame.top < y && y < frame.bottom) || g.squareWidth <= 0 ||
        g.squareHeight <= 0)
        return Click{ClickOutside, -1, -1};
    // Integer division truncates toward zero, so the strips left of and above the squares
    // join column 0 and row 7; those right of and below them give column 8 and row -1.
    const int column = (x - g.boardLeft - 5) / g.squareWidth;
    const int row = 7 - (y - g.boardTop - 5) / g.squareHeight;
    if (column > 7 || row < 0) return Click{ClickStrip, -1, -1};
    return Click{ClickSquare, row, column};
}

Point promotionPictureOrigin(int choice, int squareWidth) { return Point{20 + choice * (squareWidth + 10), 30}; }

int promotionPictureIndex(int choice) { return 2 + 2 * choice; }

int promotionChoiceAt(int x, int y, int squareWidth, int squareHeight) {
    if (!(30 < y && y < 30 + squareHeight)) return -1;
    for (int k = 0; k < 4; ++k)
        if (20 + k * (squareWidth + 10) < x && x < 20 + (k + 1) * (squareWidth + 10)) return k;
    return -1;
}

PieceCode promotionPiece(int choice, int side) {
    if (choice < 0 || choice > 3) return NoPromotion;
    return pieceCode(Rook + choice, side);
}

bool asksForPromotion(const Board& board, const MoveInfo& move) {
    // Only a move from the seventh or second rank can promote; the check keeps the board read on it.
    const bool onPawnRank = move.fromRow == 6 || move.fromRow == 1;
    return onPawnRank && move.fromCol >= 0 && move.fromCol <= 7 && isPromotion(board, move);
}

const char* modeLabel(int id) {
    static const char* const labels[4] = {"Human vs human", "Human vs VimoChess", "VimoChess vs human",
                                          "VimoChess vs VimoChess"};
    return id >= firstModeId && id <= lastModeId ? labels[id - firstModeId] : nullptr;
}

bool modeFlags(int id, int32_t& whiteIsEngine, int32_t& blackIsEngine) {
    if (id < firstModeId || id > lastModeId) return false;
    whiteIsEngine = (id == IDC_ENGINE_VS_HUMAN || id == IDC_ENGINE_VS_ENGINE) ? 1 : 0;
    blackIsEngine = (id == IDC_HUMAN_VS_ENGINE || id == IDC_ENGINE_VS_ENGINE) ? 1 : 0;
    return true;
}

// The sampled points start within |u|, |v| < 2000 and keep u^2 + v^2 under 4 000 000 before
// each step, so with |cx|, |cy| <= 600 every product stays within 32 bits. The shifts are
// arithmetic (toward minus infinity), as the picture is defined.
int fractalIterations(int32_t u, int32_t v, int32_t cx, int32_t cy) {
    const int32_t escape = 3999999;
    int n = 0;
    if (u * u + v * v > escape) return 0;
    do {
        ++n;
        const int32_t nu = cx + ((u * u - v * v) >> 10);
        const int32_t nv = cy + ((u * v) >> 9);
        u = nu;
        v = nv;
    } while (u * u + v * v <= escape && n <= 30);
    return n;
}

Colour fractalColour(int n) { return Colour{8 * n, 6 * n, 255 - 2 * n}; }

Colour fractalPixel(int j, int k, int32_t cx, int32_t cy) {
    return fractalColour(fractalIterations(-2000 + 40 * j, -2000 + 80 * k, cx, cy));
}

void AboutAnimation::tick(int32_t& cx, int32_t& cy) {
    cx = int32_t(std::sin(angleA) * 600.0);
    cy = int32_t(std::cos(angleB) * 600.0);
    angleA += 0.027;
    angleB += 0.033;
}
