// End-to-end tests of VimoChess.exe. Starts the program, works it through window messages the
// way a user would (menu commands, clicks on squares, dialog buttons) and checks what a user
// would see: window texts, message boxes, dialog controls and the pixels of the window.
//
//   e2e-driver [--shots DIR]      VimoChess.exe is taken from the driver's own folder
//
// Prints one line per check and a closing "N passed, M failed"; the exit code is 0 only when
// nothing failed. Runs on Windows as well as under Wine.
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../rules/board.h"
#include "../../ui/board_view.h"

namespace {

int passed = 0;
int failed = 0;
std::string shotsDir;
std::string exeDir;

void check(bool ok, const char* name, const char* detailFormat = "", ...) {
    if (ok) {
        ++passed;
        std::printf("ok      %s\n", name);
    } else {
        ++failed;
        char detail[512];
        va_list args;
        va_start(args, detailFormat);
        std::vsnprintf(detail, sizeof detail, detailFormat, args);
        va_end(args);
        std::printf("FAILED  %s%s%s\n", name, detail[0] ? ": " : "", detail);
    }
    std::fflush(stdout);
}

// Waits until the condition holds or the time is up; true when it held.
bool waitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (condition()) return true;
        if (GetTickCount() - start > milliseconds) return false;
        Sleep(50);
    }
}

// ---- pixels ------------------------------------------------------------------------------

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const {
        if (x < 0 || y < 0 || x >= width || y >= height) return 0xFFFFFFFF;
        return pixels[size_t(y) * width + x];
    }
};

const uint32_t black = 0x000000, white = 0xFFFFFF, red = 0xFF0000, blue = 0x0000FF;

// Copies a rectangle of a window's client area as it is on the screen.
Image grab(HWND window, int x, int y, int width, int height) {
    Image image;
    image.width = width;
    image.height = height;
    image.pixels.assign(size_t(width) * height, 0);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = GetDC(window);
    HDC memory = CreateCompatibleDC(dc);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    const uint32_t* p = static_cast<const uint32_t*>(bits);
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = p[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(window, dc);
    return image;
}

Image grabClient(HWND window) {
    RECT r;
    GetClientRect(window, &r);
    return grab(window, 0, 0, r.right, r.bottom);
}

// Saves the whole screen as a BMP file named after the stage (the test script makes PNGs).
void saveShot(const char* stage) {
    if (shotsDir.empty()) return;
    const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
    const Image image = grab(nullptr, 0, 0, w, h);
    const std::string path = shotsDir + "\\" + stage + ".bmp";
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    BITMAPFILEHEADER file = {};
    BITMAPINFOHEADER info = {};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = DWORD(file.bfOffBits + image.pixels.size() * 4);
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(image.pixels.data(), 4, image.pixels.size(), f);
    std::fclose(f);
}

// ---- the program's own square pictures ----------------------------------------------------

Image squarePictures[squareBitmapCount];

bool loadSquarePictures(const std::string& exePath) {
    HMODULE module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return false;
    HDC screen = GetDC(nullptr);
    bool all = true;
    for (int i = 0; i < squareBitmapCount; ++i) {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, squareBitmapName(i), IMAGE_BITMAP, 0, 0, 0));
        if (!bitmap) {
            all = false;
            continue;
        }
        Image& image = squarePictures[i];
        image.width = image.height = squarePixels;
        image.pixels.assign(squarePixels * squarePixels, 0);
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = squarePixels;
        info.bmiHeader.biHeight = -squarePixels;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        GetDIBits(screen, bitmap, 0, squarePixels, image.pixels.data(), &info, DIB_RGB_COLORS);
        for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    FreeLibrary(module);
    return all;
}

BoardGeometry geometry() {
    BoardGeometry g;
    g.squareWidth = g.squareHeight = squarePixels;
    return g;
}

// Whether the square at the screen column and row shows the picture, leaving out a border of
// `inset` pixels where a highlight frame may lie.
bool squareShows(const Image& client, int column, int screenRow, int index, int inset = 3) {
    const Point o = geometry().squareOrigin(column, screenRow);
    const Image& pic = squarePictures[index];
    for (int y = inset; y < squarePixels - inset; ++y)
        for (int x = inset; x < squarePixels - inset; ++x)
            if (client.at(o.x + x, o.y + y) != pic.at(x, y)) return false;
    return true;
}

// The squares whose pictures differ from the board's, as names ("E4 ..."); empty when all agree.
std::string boardDifferences(const Image& client, const Board& board) {
    std::string out;
    for (int column = 0; column < 8; ++column)
        for (int screenRow = 0; screenRow < 8; ++screenRow)
            if (!squareShows(client, column, screenRow, bitmapIndexAt(board, column, screenRow))) {
                out += char('A' + column);
                out += char('8' - screenRow);
                out += ' ';
            }
    return out;
}

bool boardShows(HWND window, const Board& board) { return boardDifferences(grabClient(window), board).empty(); }

// Every square shows one of the square pictures: the board is not half drawn.
bool boardFullyDrawn(const Image& client) {
    for (int column = 0; column < 8; ++column)
        for (int screenRow = 0; screenRow < 8; ++screenRow) {
            bool any = false;
            for (int index = 0; index < squareBitmapCount && !any; ++index)
                any = squareShows(client, column, screenRow, index);
            if (!any) return false;
        }
    return true;
}

// The pixels of one colour on the border band (two pixels each way) of a square.
int framePixels(const Image& client, int row, int column, uint32_t colour) {
    const Rect r = geometry().squareRect(row, column);
    int count = 0;
    for (int y = r.top - 2; y < r.bottom + 2; ++y)
        for (int x = r.left - 2; x < r.right + 2; ++x) {
            const bool band = x < r.left + 2 || x >= r.right - 2 || y < r.top + 2 || y >= r.bottom - 2;
            if (band && client.at(x, y) == colour) ++count;
        }
    return count;
}

int countColour(const Image& image, int left, int top, int right, int bottom, uint32_t colour) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            if (image.at(x, y) == colour) ++count;
    return count;
}

// ---- the program and its windows ----------------------------------------------------------

struct Program {
    PROCESS_INFORMATION process = {};
    HWND window = nullptr;

    bool start(const char* exeName = "VimoChess.exe") {
        launch(exeName);
        if (!process.hProcess) return false;
        waitFor(
            [&] {
                window = FindWindowA("VimoChessClass", nullptr);
                return window != nullptr && IsWindowVisible(window);
            },
            15000);
        if (window) Sleep(500);  // first paint
        return window != nullptr;
    }

    void launch(const char* exeName) {
        const std::string exe = exeDir + "\\" + exeName;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        std::string commandLine = "\"" + exe + "\"";
        if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &process))
            process = {};
    }

    // The exit code, or -1 when the program is still running after the wait.
    long waitForExit(DWORD milliseconds) {
        if (WaitForSingleObject(process.hProcess, milliseconds) != WAIT_OBJECT_0) return -1;
        DWORD code = 0;
        GetExitCodeProcess(process.hProcess, &code);
        return long(code);
    }

    void kill() {
        if (process.hProcess && WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
            TerminateProcess(process.hProcess, 99);
            WaitForSingleObject(process.hProcess, 5000);
        }
        if (process.hProcess) {
            CloseHandle(process.hProcess);
            CloseHandle(process.hThread);
        }
        process = {};
        window = nullptr;
    }

    void command(int id) { PostMessageA(window, WM_COMMAND, WPARAM(id), 0); }

    void click(int x, int y) { PostMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y)); }

    // Clicks the middle of the square at board row and column.
    void clickSquare(int row, int column) {
        const Rect r = geometry().squareRect(row, column);
        click((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }
};

std::string windowText(HWND window) {
    char text[512] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string className(HWND window) {
    char name[128] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

struct DialogSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK collectDialog(HWND w, LPARAM p) {
    DialogSearch* s = reinterpret_cast<DialogSearch*>(p);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == s->processId && IsWindowVisible(w) && className(w) == "#32770") s->found.push_back(w);
    return TRUE;
}

BOOL CALLBACK collectStaticText(HWND w, LPARAM p) {
    if (className(w) == "Static") {
        const std::string t = windowText(w);
        if (!t.empty()) reinterpret_cast<std::vector<std::string>*>(p)->push_back(t);
    }
    return TRUE;
}

// The visible dialog windows (message boxes included) of the program.
std::vector<HWND> dialogsOf(const Program& program) {
    DialogSearch search{program.process.dwProcessId, {}};
    EnumWindows(collectDialog, LPARAM(&search));
    return search.found;
}

// The texts of a dialog's static controls, in order.
std::vector<std::string> staticTexts(HWND dialog) {
    std::vector<std::string> texts;
    EnumChildWindows(dialog, collectStaticText, LPARAM(&texts));
    return texts;
}

// Waits for a dialog of the program that the test recognises; null after the wait.
HWND waitForDialog(const Program& program, const std::function<bool(HWND)>& which, DWORD milliseconds = 10000) {
    HWND found = nullptr;
    waitFor(
        [&] {
            for (HWND d : dialogsOf(program))
                if (which(d)) {
                    found = d;
                    return true;
                }
            return false;
        },
        milliseconds);
    return found;
}

bool hasControl(HWND dialog, int id) { return GetDlgItem(dialog, id) != nullptr; }

bool hasStaticText(HWND dialog, const std::string& text) {
    for (const std::string& t : staticTexts(dialog))
        if (t == text) return true;
    return false;
}

// A message box: a dialog with an OK button and one static text.
HWND waitForMessageBox(const Program& program, DWORD milliseconds = 10000) {
    return waitForDialog(
        program, [](HWND d) { return hasControl(d, IDOK) && !hasControl(d, 1100) && !staticTexts(d).empty(); },
        milliseconds);
}

std::string messageText(HWND box) {
    const std::vector<std::string> texts = staticTexts(box);
    return texts.empty() ? "" : texts.back();
}

// Presses a dialog's OK button and waits until the dialog is gone.
bool pressOk(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    return waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

bool ticked(HWND dialog, int id) { return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

std::string tickedModes(HWND dialog) {
    std::string out;
    for (int id = firstModeId; id <= lastModeId; ++id)
        if (ticked(dialog, id)) out += std::to_string(id) + " ";
    return out;
}

bool panelFrameDrawn(HWND window) {
    const Image c = grabClient(window);
    const Rect p = geometry().panelFrame();  // (10, 265) to (260, 320)
    return c.at(p.left, (p.top + p.bottom) / 2) == black && c.at(p.right - 1, (p.top + p.bottom) / 2) == black &&
           c.at((p.left + p.right) / 2, p.bottom - 1) == black;
}

// Dark pixels of text in a panel line's area: from x0 to x1, the 13 rows from y.
int textPixels(const Image& c, int x0, int x1, int y) {
    int count = 0;
    for (int yy = y; yy < y + 13; ++yy)
        for (int x = x0; x < x1; ++x)
            if ((c.at(x, yy) & 0xFF) < 0x40) ++count;
    return count;
}

// Opens the game-mode dialog and starts a game in the mode.
HWND openGameModeDialog(Program& program) {
    program.command(9072);
    return waitForDialog(program, [](HWND d) { return hasControl(d, 1100); });
}

void startGame(Program& program, int modeId) {
    HWND dialog = openGameModeDialog(program);
    if (!dialog) return;
    SendMessageA(GetDlgItem(dialog, modeId), BM_CLICK, 0, 0);
    pressOk(dialog);
}

// Plays a human move by two clicks and waits until the board shows it; the model follows.
bool playHumanMove(Program& program, Board& model, int fromRow, int fromCol, int toRow, int toCol,
                   PieceCode promotion = NoPromotion) {
    program.clickSquare(fromRow, fromCol);
    Sleep(200);
    program.clickSquare(toRow, toCol);
    makeMove(model, MoveInfo(fromRow, fromCol, toRow, toCol, promotion));
    model.switchSide();
    const bool shown = waitFor([&] { return boardShows(program.window, model); }, 5000);
    Sleep(400);  // the next turn begins to wait for clicks
    return shown;
}

// Waits until the game is ready for the first human move: the start position and the panel.
bool waitForFirstTurn(Program& program, const Board& start) {
    const bool ok = waitFor([&] { return boardShows(program.window, start) && panelFrameDrawn(program.window); }, 10000);
    Sleep(400);
    return ok;
}

// ---- the tests ------------------------------------------------------------------------------

void testWindow(Program& program) {
    HWND w = program.window;
    check(className(w) == "VimoChessClass", "window class is VimoChessClass");
    check(windowText(w) == "VimoChess 0.01a", "window title", "got \"%s\"", windowText(w).c_str());
    RECT r;
    GetWindowRect(w, &r);
    check(r.right - r.left == 278 && r.bottom - r.top == 370, "window outer size 278 x 370", "got %ld x %ld",
          r.right - r.left, r.bottom - r.top);
    const LONG style = GetWindowLongA(w, GWL_STYLE);
    check((style & WS_SYSMENU) && (style & WS_MINIMIZEBOX) && !(style & WS_MAXIMIZEBOX) && !(style & WS_THICKFRAME),
          "window has a system menu and a minimize box, no maximize box or sizing border", "style %08lx", style);

    // Wine keeps a window's menu inside the program's process, where another process cannot
    // read it; then the menu is read from the program's resources, which the window's class names.
    HMENU menu = GetMenu(w);
    check(menu != nullptr, "the window has a menu bar");
    HMODULE resources = nullptr;
    if (menu && GetMenuItemCount(menu) < 0) {
        resources = LoadLibraryExA((exeDir + "\\VimoChess.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        menu = resources ? LoadMenuA(resources, "MAINMENU") : nullptr;
        std::printf("note    the menu is read from the MAINMENU resource\n");
    }
    char text[64];
    bool menuOk = menu && GetMenuItemCount(menu) == 2;
    if (menuOk) {
        GetMenuStringA(menu, 0, text, sizeof text, MF_BYPOSITION);
        menuOk = std::strcmp(text, "&File") == 0;
        GetMenuStringA(menu, 1, text, sizeof text, MF_BYPOSITION);
        menuOk = menuOk && std::strcmp(text, "&Help") == 0;
    }
    check(menuOk, "menu bar has &File and &Help");
    HMENU file = menu ? GetSubMenu(menu, 0) : nullptr;
    HMENU help = menu ? GetSubMenu(menu, 1) : nullptr;
    const bool fileOk = file && GetMenuItemCount(file) == 3 && GetMenuItemID(file, 0) == 9072 &&
                        (GetMenuState(file, 1, MF_BYPOSITION) & MF_SEPARATOR) && GetMenuItemID(file, 2) == 9073;
    check(fileOk, "File menu: New game (9072), separator, Exit (9073)");
    if (fileOk) {
        GetMenuStringA(file, 9072, text, sizeof text, MF_BYCOMMAND);
        check(std::strcmp(text, "&New game...") == 0, "New game item text", "got \"%s\"", text);
        GetMenuStringA(file, 9073, text, sizeof text, MF_BYCOMMAND);
        check(std::strcmp(text, "E&xit") == 0, "Exit item text", "got \"%s\"", text);
    }
    const bool helpOk = help && GetMenuItemCount(help) == 1 && GetMenuItemID(help, 0) == 9074;
    check(helpOk, "Help menu: About (9074)");
    if (helpOk) {
        GetMenuStringA(help, 9074, text, sizeof text, MF_BYCOMMAND);
        check(std::strcmp(text, "&About") == 0, "About item text", "got \"%s\"", text);
    }
    if (resources) {
        DestroyMenu(menu);
        FreeLibrary(resources);
    }
}

void testEmptyBoard(Program& program) {
    const Image c = grabClient(program.window);
    const std::string diff = boardDifferences(c, Board());
    check(diff.empty(), "empty board: 64 empty squares in their colours", "differing squares %s", diff.c_str());
    check(squareShows(c, 0, 0, emptyLightBitmap, 0), "top-left square (A8) is the light empty square");
    check(squareShows(c, 0, 7, emptyLightBitmap + 1, 0), "bottom-left square (A1) is the hatched dark square");
    check(squareShows(c, 7, 7, emptyLightBitmap, 0), "bottom-right square (H1) is light");

    // Outer frame 3 pixels wide on (10, 15)-(260, 265); the inner thin frame 3 pixels inside it,
    // white in between.
    const int y = 140;
    check(c.at(10, y) == black && c.at(259, y) == black && c.at(135, 15) == black && c.at(135, 264) == black,
          "outer frame lies on (10, 15)-(260, 265)");
    check(c.at(12, y) == white && c.at(13, y) == 0x010000 && c.at(14, y) == white,
          "inner frame one pixel wide at x = 13, white on both sides");
    check(c.at(10, 268) != black && c.at(10, 300) != black, "no panel frame before a game");

    // Labels: dark text pixels in each label's cell, none in the gaps between the cells.
    const uint32_t face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    const uint32_t faceRgb = ((face & 0xFF) << 16) | (face & 0xFF00) | ((face >> 16) & 0xFF);
    bool filesOk = true, ranksOk = true;
    for (int i = 0; i < 8; ++i) {
        const Point f = geometry().fileLabelOrigin(i);
        if (countColour(c, f.x, 0, f.x + 10, 13, black) < 5) filesOk = false;
        const Point r = geometry().rankLabelOrigin(i);
        if (countColour(c, 0, r.y, 9, r.y + 13, black) < 5) ranksOk = false;
    }
    check(filesOk, "file letters A to H above the columns");
    check(ranksOk, "rank digits 8 to 1 left of the rows");
    check(countColour(c, 0, 0, 9, 14, faceRgb) > 60, "label background is the button-face colour");
    saveShot("01-empty-board");
}

void testUnknownCommand(Program& program) {
    program.command(1234);
    Sleep(500);
    check(IsWindow(program.window) && dialogsOf(program).empty(), "an unknown command is ignored");
}

void testAbout(Program& program) {
    program.command(9074);
    HWND about = waitForDialog(program, [](HWND d) { return hasStaticText(d, "VimoChess 0.01a"); });
    check(about != nullptr, "About box shows \"VimoChess 0.01a\"");
    if (!about) return;
    const LONG style = GetWindowLongA(about, GWL_STYLE);
    check(!(style & WS_DLGFRAME), "About box has no title bar", "style %08lx", style);
    Sleep(300);
    const Image first = grab(about, fractalOrigin.x, fractalOrigin.y, fractalWidth, fractalHeight);
    Sleep(300);
    const Image second = grab(about, fractalOrigin.x, fractalOrigin.y, fractalWidth, fractalHeight);
    check(first.pixels != second.pixels, "About fractal changes from one read to the next");

    // Each frame is the picture of some tick: find it among the first ticks' pictures.
    bool matched = false;
    for (int attempt = 0; attempt < 5 && !matched; ++attempt) {
        const Image shot = grab(about, fractalOrigin.x, fractalOrigin.y, fractalWidth, fractalHeight);
        AboutAnimation animation;
        for (int tick = 0; tick < 3000 && !matched; ++tick) {
            int32_t cx, cy;
            animation.tick(cx, cy);
            bool same = true;
            for (int j = 0; j < fractalWidth && same; ++j)
                for (int k = 0; k < fractalHeight && same; ++k) {
                    const Colour col = fractalPixel(j, k, cx, cy);
                    const uint32_t want = uint32_t(col.red << 16 | col.green << 8 | col.blue);
                    same = shot.at(j, k) == want;
                }
            matched = same;
        }
    }
    check(matched, "About fractal is the Julia picture of one of the animation's ticks");
    saveShot("02-about");
    check(pressOk(about), "About box closes with OK");
}

// Human vs human: moves, frames, an illegal move, the refused new game, mate and the result.
void testHumanGame(Program& program) {
    HWND dialog = openGameModeDialog(program);
    check(dialog != nullptr, "New game opens the game-mode dialog");
    if (!dialog) return;
    check(hasStaticText(dialog, "Select your game."), "game-mode dialog asks \"Select your game.\"");
    bool labelsOk = true;
    for (int id = firstModeId; id <= lastModeId; ++id) labelsOk = labelsOk && windowText(GetDlgItem(dialog, id)) == modeLabel(id);
    check(labelsOk, "game-mode dialog lists the four modes");
    check(tickedModes(dialog) == "1100 ", "\"Human vs human\" is ticked at opening", "ticked: %s",
          tickedModes(dialog).c_str());
    saveShot("03-game-mode");
    SendMessageA(GetDlgItem(dialog, 1102), BM_CLICK, 0, 0);
    check(tickedModes(dialog) == "1102 ", "clicking \"VimoChess vs human\" moves the tick there alone", "ticked: %s",
          tickedModes(dialog).c_str());
    SendMessageA(GetDlgItem(dialog, 1102), BM_CLICK, 0, 0);
    check(tickedModes(dialog) == "1102 ", "clicking the ticked mode again leaves it ticked");
    SendMessageA(GetDlgItem(dialog, 1100), BM_CLICK, 0, 0);
    check(tickedModes(dialog) == "1100 ", "ticking \"Human vs human\" again");
    check(pressOk(dialog), "OK closes the game-mode dialog");

    Board model;
    model.setStartPosition();
    check(waitForFirstTurn(program, model), "the game starts from the starting position with the panel drawn");
    {
        const Image c = grabClient(program.window);
        check(squareShows(c, 0, 7, bitmapIndex(pieceCode(Rook, White), true), 0),
              "bottom-left square shows a white rook on a dark square");
        check(squareShows(c, 0, 0, bitmapIndex(pieceCode(Rook, Black), false), 0),
              "top-left square shows a black rook on a light square");
    }
    saveShot("04-start-position");

    // A click on the strip right of the squares names no square.
    program.click(257, 100);
    Sleep(400);
    check(framePixels(grabClient(program.window), 6, 7, red) == 0, "a click on the right strip frames nothing");

    // f2-f3: the first click frames F2 in red, the second moves the pawn.
    program.clickSquare(1, 5);
    const bool redShown = waitFor([&] { return framePixels(grabClient(program.window), 1, 5, red) > 20; }, 3000);
    check(redShown, "first click frames the from-square in red");
    check(framePixels(grabClient(program.window), 2, 5, blue) == 0, "no blue frame before the second click");
    saveShot("05-first-click");
    program.clickSquare(2, 5);
    makeMove(model, MoveInfo(1, 5, 2, 5));
    model.switchSide();
    check(waitFor([&] { return boardShows(program.window, model); }, 5000), "second click moves the pawn F2-F3",
          "differs at %s", boardDifferences(grabClient(program.window), model).c_str());
    {
        const Image c = grabClient(program.window);
        check(framePixels(c, 1, 5, red) > 20 && framePixels(c, 2, 5, blue) > 20,
              "the move is framed: from-square red, to-square blue");
    }
    saveShot("06-first-move");
    Sleep(400);

    check(playHumanMove(program, model, 6, 4, 4, 4), "Black answers E7-E5");

    // A1-A3 jumps over the A2 pawn.
    program.clickSquare(0, 0);
    Sleep(200);
    program.clickSquare(2, 0);
    HWND box = waitForMessageBox(program);
    check(box != nullptr, "an illegal move opens a message box");
    if (box) {
        check(windowText(box) == "Illegal move!", "its caption is \"Illegal move!\"", "got \"%s\"",
              windowText(box).c_str());
        check(messageText(box) == "Can't jump over pieces!", "its text is \"Can't jump over pieces!\"", "got \"%s\"",
              messageText(box).c_str());
        saveShot("07-illegal-move");
        pressOk(box);
    }
    Sleep(600);
    check(waitFor([&] { return boardShows(program.window, model); }, 3000), "the board is unchanged after it",
          "differs at %s", boardDifferences(grabClient(program.window), model).c_str());

    // New game while playing.
    program.command(9072);
    box = waitForMessageBox(program);
    check(box != nullptr && messageText(box) == "Can't start a new game while playing.",
          "New game during a game is refused", "text \"%s\"", box ? messageText(box).c_str() : "");
    if (box) {
        check(windowText(box).empty(), "the refusal has an empty caption", "got \"%s\"", windowText(box).c_str());
        pressOk(box);
    }
    Sleep(400);

    // The same side moves again: G2-G4, then D8-H4 mates.
    check(playHumanMove(program, model, 1, 6, 3, 6), "after the refusal White plays G2-G4");
    program.clickSquare(7, 3);
    Sleep(200);
    program.clickSquare(3, 7);
    makeMove(model, MoveInfo(7, 3, 3, 7));
    model.switchSide();
    box = waitForMessageBox(program);
    check(box != nullptr && windowText(box) == "Result", "the mate opens the box captioned \"Result\"");
    if (box) {
        check(messageText(box) == "Black wins.", "it says \"Black wins.\"", "got \"%s\"", messageText(box).c_str());
        saveShot("08-result");
        pressOk(box);
    }
    // The game releases its session once the box is gone; the next repaint shows the empty board.
    check(waitFor(
              [&] {
                  InvalidateRect(program.window, nullptr, TRUE);
                  Sleep(200);
                  return boardShows(program.window, Board());
              },
              5000),
          "after the result the window shows the empty board");
    saveShot("09-after-result");
}

// Human vs human again: a white pawn promotes by capture, to a knight chosen in the dialog.
void testPromotion(Program& program) {
    startGame(program, 1100);
    Board model;
    model.setStartPosition();
    check(waitForFirstTurn(program, model), "a second game can be started after the first");
    bool played = playHumanMove(program, model, 1, 7, 3, 7);          // H2-H4
    played = played && playHumanMove(program, model, 6, 6, 4, 6);     // G7-G5
    played = played && playHumanMove(program, model, 3, 7, 4, 6);     // H4xG5
    played = played && playHumanMove(program, model, 6, 7, 5, 7);     // H7-H6
    played = played && playHumanMove(program, model, 4, 6, 5, 7);     // G5xH6
    played = played && playHumanMove(program, model, 7, 5, 6, 6);     // F8-G7
    played = played && playHumanMove(program, model, 5, 7, 6, 6);     // H6xG7
    played = played && playHumanMove(program, model, 6, 0, 5, 0);     // A7-A6
    check(played, "eight moves bring a white pawn to G7");

    program.clickSquare(6, 6);
    Sleep(200);
    program.clickSquare(7, 7);  // G7xH8
    HWND dialog = waitForDialog(program, [](HWND d) { return hasStaticText(d, "Select a piece:"); });
    check(dialog != nullptr, "the pawn reaching the last rank opens the promotion dialog");
    if (!dialog) return;
    Sleep(500);
    Image pics = grabClient(dialog);
    bool picturesOk = true;
    for (int k = 0; k < 4; ++k) {
        const Point o = promotionPictureOrigin(k, squarePixels);
        const Image& want = squarePictures[promotionPictureIndex(k)];
        for (int y = 2; y < squarePixels - 2; ++y)
            for (int x = 2; x < squarePixels - 2; ++x)
                if (pics.at(o.x + x, o.y + y) != want.at(x, y)) picturesOk = false;
    }
    check(picturesOk, "it shows the white rook, knight, bishop and queen");
    const int queenRed = countColour(pics, 140, 30, 170, 60, red);
    const int knightRedBefore = countColour(pics, 60, 30, 90, 60, red);
    check(queenRed >= 100 && knightRedBefore == 0, "the queen is framed in red at first", "red %d / %d", queenRed,
          knightRedBefore);
    saveShot("10-promotion-dialog");
    PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(95, 45));  // the gap right of the knight
    Sleep(500);
    pics = grabClient(dialog);
    check(countColour(pics, 60, 30, 90, 60, red) >= 100 && countColour(pics, 140, 30, 170, 60, red) == 0,
          "clicking right of the knight's picture frames the knight");
    PostMessageA(dialog, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(30, 75));  // below the pictures
    Sleep(300);
    check(countColour(grabClient(dialog), 60, 30, 90, 60, red) >= 100, "a click below the pictures changes nothing");
    pressOk(dialog);
    makeMove(model, MoveInfo(6, 6, 7, 7, pieceCode(Knight, White)));
    model.switchSide();
    check(waitFor([&] { return boardShows(program.window, model); }, 5000),
          "the pawn became a white knight on H8", "differs at %s",
          boardDifferences(grabClient(program.window), model).c_str());
    saveShot("11-promoted");
}

// A missing square picture is named in a box, and the program ends without showing its window.
void testMissingBitmap() {
    Program program;
    program.launch("VimoChess-missing-bitmap.exe");
    check(program.process.hProcess != nullptr, "the copy without R_C_KROL_C starts");
    if (!program.process.hProcess) return;
    HWND box = waitForMessageBox(program, 15000);
    check(box != nullptr && windowText(box) == "Error" && messageText(box) == "Resource error: 23",
          "a missing picture shows \"Resource error: 23\" under \"Error\"", "caption \"%s\", text \"%s\"",
          box ? windowText(box).c_str() : "", box ? messageText(box).c_str() : "");
    HWND window = FindWindowA("VimoChessClass", nullptr);
    check(!window || !IsWindowVisible(window), "the main window is not shown");
    if (box) pressOk(box);
    const long code = program.waitForExit(10000);
    check(code != 0 && code != -1, "the program then ends with a non-zero exit code", "exit code %ld", code);
    program.kill();
}

// VimoChess vs human: the engine opens from its book, its move framed; it answers a human move.
void testEngineOpening(Program& program) {
    startGame(program, 1102);
    Board model;
    model.setStartPosition();
    makeMove(model, MoveInfo(1, 4, 3, 4));  // E2-E4, the book's first move
    model.switchSide();
    check(waitFor([&] { return boardShows(program.window, model); }, 10000), "VimoChess as White opens with E2-E4",
          "differs at %s", boardDifferences(grabClient(program.window), model).c_str());
    Sleep(400);
    const Image c = grabClient(program.window);
    check(framePixels(c, 1, 4, red) > 20 && framePixels(c, 3, 4, blue) > 20,
          "the engine's move is framed red and blue");
    const Rect p = geometry().panelFrame();
    check(textPixels(c, p.left + 15, p.left + 100, p.top + 32) > 20,
          "line 3 reports the book move's statistics");
    saveShot("12-engine-opening");
    program.clickSquare(6, 4);
    Sleep(200);
    program.clickSquare(4, 4);  // E7-E5
    makeMove(model, MoveInfo(6, 4, 4, 4));
    model.switchSide();
    bool answered = false;
    waitFor(
        [&] {
            const std::string diff = boardDifferences(grabClient(program.window), model);
            answered = !diff.empty() && diff.find("E5") == std::string::npos && diff.find("E7") == std::string::npos;
            return answered;
        },
        60000);
    check(answered, "the engine answers the human's E7-E5 with a move of its own");
}

void testEngineGame(Program& program) {
    startGame(program, 1103);
    Board start;
    start.setStartPosition();
    bool moved = waitFor(
        [&] {
            const Image c = grabClient(program.window);
            return !boardDifferences(c, start).empty();
        },
        20000);
    check(moved, "VimoChess vs VimoChess: the engine's moves appear on the board");
    check(waitFor([&] { return panelFrameDrawn(program.window); }, 10000), "the panel under the board is framed");
    // Once the book is left the search runs: line 2 shows its progress and best move, and
    // after the move line 3 its statistics.
    const Rect p = geometry().panelFrame();
    Image c;
    const bool searched = waitFor(
        [&] {
            c = grabClient(program.window);
            return textPixels(c, p.left + 15, p.left + 60, p.top + 17) > 20 &&
                   textPixels(c, p.right - 100, p.right - 15, p.top + 17) > 20 &&
                   textPixels(c, p.left + 15, p.left + 100, p.top + 32) > 20 &&
                   textPixels(c, p.right - 100, p.right - 15, p.top + 32) > 20 && boardFullyDrawn(c);
        },
        90000);
    check(searched, "lines 2 and 3 show the search's progress, best move and statistics");
    check(textPixels(c, p.left + 15, p.left + 60, p.top + 2) > 20, "line 1 shows the depth");
    check(textPixels(c, p.right - 100, p.right - 15, p.top + 2) > 20, "line 1 shows the value");
    saveShot("13-engine-game");
}

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--shots") == 0 && i + 1 < argc) {
            shotsDir = argv[++i];
        } else {
            std::fprintf(stderr, "usage: e2e-driver [--shots DIR]\n");
            return 2;
        }
    }
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    exeDir = path;
    exeDir = exeDir.substr(0, exeDir.find_last_of("\\/"));
    if (!loadSquarePictures(exeDir + "\\VimoChess.exe")) {
        std::printf("FAILED  the square pictures cannot be read from VimoChess.exe\n0 passed, 1 failed\n");
        return 1;
    }

    {
        Program program;
        check(program.start(), "VimoChess.exe starts and shows its window");
        if (program.window) {
            testWindow(program);
            testEmptyBoard(program);
            testUnknownCommand(program);
            testAbout(program);
            testHumanGame(program);
            testPromotion(program);
            program.command(9073);
            check(program.waitForExit(10000) == 0, "Exit during a human game ends the program with code 0");
        }
        program.kill();
    }
    {
        Program program;
        check(program.start(), "VimoChess.exe starts for VimoChess vs human");
        if (program.window) {
            testEngineOpening(program);
            program.command(9073);
            const long code = program.waitForExit(10000);
            check(code == 0, "Exit while the human is to move ends the program with code 0", "exit code %ld", code);
        }
        program.kill();
    }
    {
        Program program;
        check(program.start(), "VimoChess.exe starts for VimoChess vs VimoChess");
        if (program.window) {
            testEngineGame(program);
            program.command(9073);
            const long code = program.waitForExit(10000);
            check(code == 0, "Exit during an engine game ends the program with code 0", "exit code %ld", code);
        }
        program.kill();
    }

    testMissingBitmap();

    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
