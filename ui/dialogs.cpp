// The game-mode dialog, the result box and the About box with its animated Julia set.
#include "win_ui.h"

namespace {

// The mode ticked in the game-mode dialog.
int selectedModeId = firstModeId;

// Kept from one opening of the About box to the next, so the animation goes on where it stopped.
AboutAnimation aboutAnimation;

const UINT_PTR aboutTimer = 1;

void tickMode(HWND dialog, int id) {
    for (int b = firstModeId; b <= lastModeId; ++b)
        SendMessageA(GetDlgItem(dialog, b), BM_SETCHECK, b == id ? BST_CHECKED : BST_UNCHECKED, 0);
    selectedModeId = id;
}

}  // namespace

void askGameMode() { DialogBoxParamA(appInstance, "DIALOG1", mainWindow, gameModeDialogProc, 0); }

// The four modes are plain check boxes ticked by hand here, exactly one at a time. There is
// no cancel: only OK leaves, so every game starts with a mode.
INT_PTR CALLBACK gameModeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        tickMode(dialog, firstModeId);
        return TRUE;
    }
    if (message != WM_COMMAND) return FALSE;
    const int id = LOWORD(wParam);
    if (id == IDOK) {
        int32_t white = 0, black = 0;
        modeFlags(selectedModeId, white, black);
        whiteIsEngine = white;
        blackIsEngine = black;
        EndDialog(dialog, 0);
        return TRUE;
    }
    if (id >= firstModeId && id <= lastModeId) tickMode(dialog, id);
    return FALSE;
}

void announceResult(int result) { MessageBoxA(mainWindow, resultText(result), "Result", MB_OK); }

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
        case WM_INITDIALOG:
            SetTimer(dialog, aboutTimer, 10, nullptr);
            return TRUE;
        case WM_TIMER: {
            int32_t cx, cy;
            aboutAnimation.tick(cx, cy);
            drawAboutFractal(dialog, cx, cy);
            return FALSE;
        }
        case WM_COMMAND:
            if (LOWORD(wParam) != IDOK) return FALSE;
            KillTimer(dialog, aboutTimer);
            EndDialog(dialog, 0);
            return TRUE;
        default:
            return FALSE;
    }
}

void drawAboutFractal(HWND dialog, int32_t cx, int32_t cy) {
    HDC dc = GetDC(dialog);
    for (int j = 0; j < fractalWidth; ++j) {
        for (int k = 0; k < fractalHeight; ++k) {
            const Colour c = fractalPixel(j, k, cx, cy);
            SetPixel(dc, fractalOrigin.x + j, fractalOrigin.y + k, RGB(c.red, c.green, c.blue));
        }
    }
    ReleaseDC(dialog, dc);
}
