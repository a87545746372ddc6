// Drawing the board: labels, the double frame, the 64 square pictures and the frames of the
// move being entered or just made.
#include <cstdio>

#include "win_ui.h"

namespace {

// A red or blue dotted frame on the square at (row, column), when both lie on the board.
void frameSquare(HDC dc, const BoardGeometry& g, int row, int column) {
    if (row < 0 || row > 7 || column < 0 || column > 7) return;
    const Rect r = g.squareRect(row, column);
    Rectangle(dc, r.left, r.top, r.right, r.bottom);
}

}  // namespace

void drawBoard(const Board& board, HWND window) {
    const BoardGeometry& g = boardGeometry;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);

    // Labels on the window's own background colour.
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    for (int i = 0; i < 8; ++i) {
        char text[8];
        std::sprintf(text, "%c", fileLabel(i));
        const Point file = g.fileLabelOrigin(i);
        TextOutA(dc, file.x, file.y, text, 1);
        std::sprintf(text, "%c", rankLabel(i));
        const Point rank = g.rankLabelOrigin(i);
        TextOutA(dc, rank.x, rank.y, text, 1);
    }

    HPEN thin = CreatePen(PS_SOLID, 1, RGB(1, 0, 0));
    HPEN thick = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    HPEN fromPen = CreatePen(PS_DOT, 2, RGB(255, 0, 0));
    HPEN toPen = CreatePen(PS_DOT, 2, RGB(0, 0, 255));

    HGDIOBJ oldPen = SelectObject(dc, thick);
    const Rect outer = g.outerFrame();
    Rectangle(dc, outer.left, outer.top, outer.right, outer.bottom);
    SelectObject(dc, thin);
    const Rect inner = g.innerFrame();
    Rectangle(dc, inner.left, inner.top, inner.right, inner.bottom);

    HGDIOBJ oldBitmap = nullptr;
    for (int column = 0; column < 8; ++column) {
        for (int screenRow = 0; screenRow < 8; ++screenRow) {
            const int index = bitmapIndexAt(board, column, screenRow);
            if (index < 0) continue;  // not a piece code: leave the square as it is
            HGDIOBJ previous = SelectObject(memory, pieceBitmaps[index]);
            if (!oldBitmap) oldBitmap = previous;
            const Point at = g.squareOrigin(column, screenRow);
            BitBlt(dc, at.x, at.y, g.squareWidth, g.squareHeight, memory, 0, 0, SRCCOPY);
        }
    }

    const MoveInfo move = currentMove.load();
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    SelectObject(dc, fromPen);
    frameSquare(dc, g, move.fromRow, move.fromCol);
    SelectObject(dc, toPen);
    frameSquare(dc, g, move.toRow, move.toCol);

    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    if (oldBitmap) SelectObject(memory, oldBitmap);
    DeleteObject(thin);
    DeleteObject(thick);
    DeleteObject(fromPen);
    DeleteObject(toPen);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    showDrawing();
}
