// The panel under the board: its frame, the depth and value line, and the engine's texts.
#include "../engine/window/move_choice.h"
#include "../engine/window/panel.h"
#include "../engine/window/engine.h"
#include "win_ui.h"

namespace {

void writeText(HDC dc, const BoardGeometry::TextPlace& place, const char* text) {
    SetTextAlign(dc, (place.rightAligned ? TA_RIGHT : TA_LEFT) | TA_TOP);
    TextOutA(dc, place.x, place.y, text, int(lstrlenA(text)));
}

}  // namespace

void drawDepthAndValue(const Board& board, const MoveTable&) {
    Engine engine;
    const BoardGeometry& g = boardGeometry;
    HDC dc = GetDC(mainWindow);
    HPEN pen = CreatePen(PS_SOLID, 3, RGB(0, 0, 0));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    HGDIOBJ oldPen = SelectObject(dc, pen);

    const Rect frame = g.panelFrame();
    Rectangle(dc, frame.left, frame.top, frame.right, frame.bottom);
    char text[64];
    formatDepth(text, maxDepth);
    writeText(dc, g.depthTextPlace(), text);
    formatValue(text, engine.evaluate(board));
    writeText(dc, g.valueTextPlace(), text);

    SelectObject(dc, oldPen);
    SelectObject(dc, oldBrush);
    DeleteObject(pen);
    ReleaseDC(mainWindow, dc);
    showDrawing();
}

// Each text is written on the window's background colour, so its spaces paint over what a
// longer earlier text left behind.
void showPanelTextInWindow(PanelText which, const char* text) {
    HDC dc = GetDC(mainWindow);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    writeText(dc, boardGeometry.panelTextPlace(which), text);
    ReleaseDC(mainWindow, dc);
    showDrawing();
}
