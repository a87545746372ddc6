// A human's move: two clicks on the board, the promotion piece, and the box that refuses a move.
#include "win_ui.h"

std::atomic<bool> acceptClicks{false};
std::atomic<bool> firstClickDone{false};
std::atomic<uint32_t> moveAskedAt{0};

namespace {

// The piece chosen in the promotion dialog: 0 rook, 1 knight, 2 bishop, 3 queen; -1 none.
std::atomic<int> promotionChoice{-1};

// The last press taken for a move, kept on the user-interface thread to know the second press of
// a double-click.
struct TakenPress {
    bool any;
    uint32_t time;
    int row, column;
};
TakenPress lastPress = {false, 0, -1, -1};

bool squareMissing(const SharedMove& m) {
    return m.fromRow == -1 || m.fromCol == -1 || m.toRow == -1 || m.toCol == -1;
}

}  // namespace

// Runs on the user-interface thread. A move takes the presses made after it was asked for: a
// press stamped before then (one queued while a dialog closed, say) is not part of it. The
// first press names the from-square, the second the to-square, and then presses are not taken
// until the next move is asked for; the second press of a double-click on the square just taken
// is no new press. The column is stored before the row, and the game thread looks for the row,
// so it never takes a square whose column has not arrived yet.
void onBoardClick(HWND window, int x, int y, uint32_t time) {
    if (!acceptClicks || int32_t(time - moveAskedAt) < 0) return;
    const BoardGeometry& g = boardGeometry;
    const Click click = clickAt(g, x, y);
    if (click.target == ClickSquare) {
        if (lastPress.any && lastPress.row == click.row && lastPress.column == click.column &&
            time - lastPress.time <= GetDoubleClickTime())
            return;
        lastPress = TakenPress{true, time, click.row, click.column};
        if (!firstClickDone) {
            currentMove.fromCol = click.column;
            currentMove.fromRow = click.row;
            firstClickDone = true;
        } else {
            currentMove.toCol = click.column;
            currentMove.toRow = click.row;
            firstClickDone = false;
            acceptClicks = false;
        }
    }
    // Clicks on the frame's strips right of and below the squares name no square; like any
    // other click they still have the board redrawn.
    const Rect frame = g.outerFrame();
    const RECT area = {frame.left, frame.top, frame.right, frame.bottom};
    InvalidateRect(window, &area, TRUE);
}

MoveInfo getHumanMove(const Board& board) {
    // Asking starts a fresh pair of presses, stamped on the clock of the system's messages.
    currentMove.reset();
    firstClickDone = false;
    moveAskedAt = GetTickCount();
    acceptClicks = true;
    do {
        Sleep(100);
    } while (squareMissing(currentMove));
    acceptClicks = false;

    if (asksForPromotion(board, currentMove.load())) {
        promotionChoice = -1;
        DialogBoxParamA(appInstance, "PRZEMIANA", mainWindow, promotionDialogProc, 0);
        const PieceCode piece = promotionPiece(promotionChoice, board.sideToMove);
        if (piece != NoPromotion) currentMove.promotion = piece;
    }
    return currentMove.load();
}

void reportIllegalMove(const char* text) { MessageBoxA(mainWindow, text, "Illegal move!", MB_OK | MB_ICONEXCLAMATION); }

void moveBeep() { MessageBeep(0); }

void drawPromotionChoices(HDC dc) {
    const BoardGeometry& g = boardGeometry;
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ oldBitmap = nullptr;
    for (int k = 0; k < 4; ++k) {
        HGDIOBJ previous = SelectObject(memory, pieceBitmaps[promotionPictureIndex(k)]);
        if (!oldBitmap) oldBitmap = previous;
        const Point at = promotionPictureOrigin(k, g.squareWidth);
        BitBlt(dc, at.x, at.y, g.squareWidth, g.squareHeight, memory, 0, 0, SRCCOPY);
    }
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(255, 0, 0));
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    const int choice = promotionChoice;
    if (choice >= 0 && choice <= 3) {
        const Point at = promotionPictureOrigin(choice, g.squareWidth);
        Rectangle(dc, at.x, at.y, at.x + g.squareWidth, at.y + g.squareHeight);
    }
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
    DeleteObject(pen);
    if (oldBitmap) SelectObject(memory, oldBitmap);
    DeleteDC(memory);
}

// There is no way out but OK, so every promotion gets a piece; the queen is chosen at first.
INT_PTR CALLBACK promotionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG:
            promotionChoice = 3;
            return TRUE;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(dialog, &paint);
            drawPromotionChoices(dc);
            EndPaint(dialog, &paint);
            return TRUE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK) return FALSE;
            EndDialog(dialog, 0);
            return TRUE;
        case WM_LBUTTONDOWN: {
            const int k = promotionChoiceAt(LOWORD(lParam), HIWORD(lParam), boardGeometry.squareWidth,
                                            boardGeometry.squareHeight);
            if (k >= 0) {
                promotionChoice = k;
                HDC dc = GetDC(dialog);
                drawPromotionChoices(dc);
                ReleaseDC(dialog, dc);
            }
            return TRUE;
        }
        default:
            return FALSE;
    }
}
