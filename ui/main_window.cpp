// Program start, the main window and its commands.
#include <process.h>

#include <cstdio>

#include "../engine/window/move_choice.h"
#include "resources/resource_ids.h"
#include "win_ui.h"

HINSTANCE appInstance = nullptr;
HWND mainWindow = nullptr;
BoardGeometry boardGeometry;
HBITMAP pieceBitmaps[squareBitmapCount] = {};

namespace {

const char* const windowClassName = "VimoChessClass";
const char* const windowTitle = "VimoChess 0.01a";
const DWORD windowStyle = WS_SYSMENU | WS_MINIMIZEBOX;  // 0xA0000: no sizing border, no maximize box
const int windowWidth = 278;
const int windowHeight = 370;

// Set when a square picture is missing: the program then ends once the window exists.
bool bitmapsMissing = false;

void drawBoardInMainWindow(const Board& board) { drawBoard(board, mainWindow); }

// Once the game has released its session the window is repainted: the empty board, no frames.
void __cdecl gameThreadEntry(void*) {
    gameThreadMain();
    InvalidateRect(mainWindow, nullptr, TRUE);
}

void startNewGame(HWND window) {
    if (gameRunning) {
        MessageBoxA(window, "Can't start a new game while playing.", "", MB_OK);
        return;
    }
    gameRunning = true;
    if (_beginthread(gameThreadEntry, 0, nullptr) == uintptr_t(-1)) {
        gameRunning = false;
        MessageBoxA(window, "The game could not be started.", "Error", MB_OK | MB_ICONEXCLAMATION);
    }
}

// Paints the board of the game in progress, or an empty board when there is none. The game
// thread releases the session only after clearing currentSession under sessionGuard, so the
// board read here stays alive while it is drawn.
void paintBoard(HWND window) {
    std::lock_guard<std::mutex> hold(sessionGuard);
    GameSession* session = currentSession;
    if (session)
        drawBoard(*session->board, window);
    else
        drawBoard(Board(), window);
}

}  // namespace

void showDrawing() {
    if (GetWindowThreadProcessId(mainWindow, nullptr) != GetCurrentThreadId())
        PostMessageA(mainWindow, WM_NULL, 0, 0);
}

int loadPieceBitmaps(HWND window) {
    for (int i = 0; i < squareBitmapCount; ++i) pieceBitmaps[i] = LoadBitmapA(appInstance, squareBitmapName(i));
    for (int i = 0; i < squareBitmapCount; ++i) {
        if (!pieceBitmaps[i]) {
            char text[64];
            std::sprintf(text, "Resource error: %d", i);
            MessageBoxA(window, text, "Error", MB_OK | MB_ICONEXCLAMATION);
            return 1;
        }
    }
    BITMAP info;
    GetObjectA(pieceBitmaps[0], sizeof info, &info);
    boardGeometry.squareWidth = info.bmWidth;
    boardGeometry.squareHeight = info.bmHeight;
    return 0;
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            if (loadPieceBitmaps(window) != 0) bitmapsMissing = true;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT paint;
            BeginPaint(window, &paint);
            paintBoard(window);
            EndPaint(window, &paint);
            return 0;
        }
        case WM_DESTROY:
            // A running game's session belongs to the game thread, which may be using it right
            // now; the process ends with that thread still in its game.
            PostQuitMessage(0);
            return 0;
        case WM_COMMAND:
            switch (LOWORD(wParam)) {
                case IDM_NEW_GAME: startNewGame(window); break;
                case IDM_EXIT: PostMessageA(window, WM_CLOSE, 0, 0); break;
                case IDM_ABOUT: DialogBoxParamA(appInstance, "ABOUT1", window, aboutDialogProc, 0); break;
                default: break;  // other commands are ignored
            }
            return 0;
        case WM_LBUTTONDOWN:
            onBoardClick(window, LOWORD(lParam), HIWORD(lParam), uint32_t(GetMessageTime()));
            return 0;
        default:
            return DefWindowProcA(window, message, wParam, lParam);
    }
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    appInstance = instance;
    gameUi.askGameMode = askGameMode;
    gameUi.drawBoard = drawBoardInMainWindow;
    gameUi.drawDepthAndValue = drawDepthAndValue;
    gameUi.getHumanMove = getHumanMove;
    gameUi.reportIllegalMove = reportIllegalMove;
    gameUi.announceResult = announceResult;
    gameUi.moveBeep = moveBeep;
    gameSearch.showPanelText = showPanelTextInWindow;

    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconA(instance, "IKONKA");
    windowClass.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszMenuName = "MAINMENU";
    windowClass.lpszClassName = windowClassName;
    if (!RegisterClassExA(&windowClass)) return 0;

    mainWindow = CreateWindowExA(0, windowClassName, windowTitle, windowStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                 windowWidth, windowHeight, nullptr, nullptr, instance, nullptr);
    // Without its square pictures the board can be neither drawn nor clicked: the box that
    // names the missing one has been shown, and the program ends.
    if (bitmapsMissing) return 1;
    ShowWindow(mainWindow, showCommand);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    // A game thread still in its game may be using the process's static objects; ending the
    // process at once stops it before anything is torn down under it.
    if (gameRunning) ExitProcess(UINT(msg.wParam));
    return int(msg.wParam);
}
