// The Win32 program's shared state and the operations its parts call on one another.
#pragma once

#include <windows.h>

#include <atomic>

#include "../game/game_control.h"
#include "board_view.h"

extern HINSTANCE appInstance;
extern HWND mainWindow;
// Where the board stands in the main window; the square size comes from the first bitmap.
extern BoardGeometry boardGeometry;
extern HBITMAP pieceBitmaps[squareBitmapCount];

// Move entry by the mouse: clicks count only while getHumanMove waits for them, only those made
// after moveAskedAt (GetTickCount when the move was asked for), and no more once the move's two
// squares are in (the mouse handler then clears acceptClicks itself).
extern std::atomic<bool> acceptClicks;
extern std::atomic<bool> firstClickDone;
extern std::atomic<uint32_t> moveAskedAt;

// Main window (main_window.cpp).
// Called after drawing into the main window from the game thread: Wine puts such drawing on
// the screen only when the window's own thread next waits for a message, so the window's
// thread is woken with an empty message. On Windows the drawing is on the screen already.
void showDrawing();
LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
int loadPieceBitmaps(HWND window);

// Board drawing (board_drawing.cpp).
void drawBoard(const Board& board, HWND window);

// Mouse input and promotion (move_input.cpp).
// A press on the main window at client (x, y), made at time (GetMessageTime).
void onBoardClick(HWND window, int x, int y, uint32_t time);
MoveInfo getHumanMove(const Board& board);
void reportIllegalMove(const char* text);
void moveBeep();
INT_PTR CALLBACK promotionDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void drawPromotionChoices(HDC dc);

// Game mode, result and About (dialogs.cpp).
void askGameMode();
INT_PTR CALLBACK gameModeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void announceResult(int result);
INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
void drawAboutFractal(HWND dialog, int32_t cx, int32_t cy);

// The panel under the board (search_panels.cpp).
void drawDepthAndValue(const Board& board, const MoveTable& table);
void showPanelTextInWindow(PanelText which, const char* text);
