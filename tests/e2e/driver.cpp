// End-to-end tests of VimoChess.exe. Starts the program, works it through window messages the
// way a user would (menu commands, clicks on squares, dialog buttons) and checks what a user
// would see: window texts, message boxes, dialog controls and the pixels of the window.
//
//   e2e-driver [--shots DIR]      VimoChess.exe is taken from the driver's own folder
//
// Prints one line per check and a closing "N passed, M failed"; the exit code is 0 only when
// nothing failed. Runs on Windows as well as under Wine.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "../../rules/board.h"
#include "../../ui/board_view.h"

namespace {

int passed = 0, failed = 0;
std::string shotsDir, exeDir;
PROCESS_INFORMATION process = {};  // the program under test, one at a time
HWND window = nullptr;             // its main window
Board model;                       // the position the window should show

// Reports a check, with what was seen when it failed; returns whether it passed.
bool check(bool ok, const char* name, const std::string& seen = "") {
    ++(ok ? passed : failed);
    std::printf("%s%s%s\n", ok ? "ok      " : "FAILED  ", name, (ok || seen.empty() ? "" : ": " + seen).c_str());
    std::fflush(stdout);
    return ok;
}

std::string quoted(const std::string& text) { return "\"" + text + "\""; }

// Waits until the condition holds or the time is up; true when it held.
bool waitFor(const std::function<bool()>& condition, DWORD milliseconds) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(50))
        if (GetTickCount() - start > milliseconds) return false;
    return true;
}

// ---- pixels ------------------------------------------------------------------------------

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[size_t(y) * width + x] : ~0u;
    }
};

const uint32_t black = 0x000000, white = 0xFFFFFF, red = 0xFF0000, blue = 0x0000FF;
const uint32_t dark = 0xFF000000;  // not a colour: any pixel whose blue is under 0x40, as in text
uint32_t rgb(const Colour& c) { return uint32_t(c.red << 16 | c.green << 8 | c.blue); }

// The header of a 32-bit top-down picture.
BITMAPINFO dibInfo(int width, int height) {
    return BITMAPINFO{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
}

// Copies a rectangle of a window's client area (of the screen for no window) as it is shown.
Image grab(HWND from, int x, int y, int width, int height) {
    Image image{width, height, std::vector<uint32_t>(size_t(width) * height)};
    BITMAPINFO info = dibInfo(width, height);
    void* bits = nullptr;
    HDC dc = GetDC(from), memory = CreateCompatibleDC(dc);
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    GdiFlush();
    for (size_t i = 0; i < image.pixels.size(); ++i) image.pixels[i] = static_cast<uint32_t*>(bits)[i] & 0xFFFFFF;
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(from, dc);
    return image;
}

Image client(HWND of = window) {
    RECT r = {};
    GetClientRect(of, &r);
    return grab(of, 0, 0, r.right, r.bottom);
}

// Saves the whole screen as a BMP file named after the stage (the test script makes PNGs).
void saveShot(const char* stage) {
    FILE* f = shotsDir.empty() ? nullptr : std::fopen((shotsDir + "\\" + stage + ".bmp").c_str(), "wb");
    if (!f) return;
    const Image image = grab(nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const BITMAPINFOHEADER info = dibInfo(image.width, image.height).bmiHeader;
    const BITMAPFILEHEADER file = {0x4D42, DWORD(14 + 40 + image.pixels.size() * 4), 0, 0, 14 + 40};  // headers' sizes
    std::fwrite(&file, sizeof file, 1, f);
    std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(image.pixels.data(), 4, image.pixels.size(), f);
    std::fclose(f);
}

int countColour(const Image& image, int left, int top, int right, int bottom, uint32_t colour) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += colour == dark ? (image.at(x, y) & 0xFF) < 0x40 : image.at(x, y) == colour;
    return count;
}

// ---- the board as the program draws it ---------------------------------------------------

Image squarePictures[squareBitmapCount];  // the program's own, read from its resources

bool loadSquarePictures(const std::string& exePath) {
    HMODULE module = LoadLibraryExA(exePath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    HDC screen = GetDC(nullptr);
    bool all = module != nullptr;
    for (int i = 0; i < squareBitmapCount && all; ++i) {
        HBITMAP bitmap = static_cast<HBITMAP>(LoadImageA(module, squareBitmapName(i), IMAGE_BITMAP, 0, 0, 0));
        BITMAPINFO info = dibInfo(squarePixels, squarePixels);
        Image& image = squarePictures[i] = Image{squarePixels, squarePixels, std::vector<uint32_t>(900)};
        all = bitmap && GetDIBits(screen, bitmap, 0, squarePixels, image.pixels.data(), &info, DIB_RGB_COLORS);
        for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
        DeleteObject(bitmap);
    }
    ReleaseDC(nullptr, screen);
    if (module) FreeLibrary(module);
    return all;
}

// The top left corner of a square, by name ("E2"): the squares lie from (15, 20), 30 pixels each.
Point corner(const char* name) { return {15 + 30 * (name[0] - 'A'), 20 + 30 * ('8' - name[1])}; }

// Whether the picture lies at o, leaving out a border of `inset` pixels where a frame may lie.
bool showsPicture(const Image& image, Point o, int index, int inset = 3) {
    for (int y = inset; y < squarePixels - inset; ++y)
        for (int x = inset; x < squarePixels - inset; ++x)
            if (image.at(o.x + x, o.y + y) != squarePictures[index].at(x, y)) return false;
    return true;
}

// The squares whose pictures differ from the board's, as names ("E4 ..."); empty when all agree.
std::string boardDifferences(const Board& board, const Image& c = client()) {
    std::string out;
    for (int i = 0; i < 64; ++i)
        if (!showsPicture(c, {15 + 30 * (i % 8), 20 + 30 * (i / 8)}, bitmapIndexAt(board, i % 8, i / 8)))
            out = out + char('A' + i % 8) + char('8' - i / 8) + ' ';
    return out;
}

bool boardShows(const Board& board) { return boardDifferences(board).empty(); }

// Every square shows one of the square pictures: the board is not half drawn.
bool boardFullyDrawn(const Image& c) {
    int shown = 0;
    for (int i = 0; i < 64 * squareBitmapCount; ++i)
        shown += showsPicture(c, {15 + 30 * (i % 8), 20 + 30 * (i / 8 % 8)}, i / 64);
    return shown == 64;
}

// The pixels of one colour on the border band (two pixels each way) of a square.
int framePixels(const Image& c, const char* name, uint32_t colour) {
    const Point o = corner(name);
    return countColour(c, o.x - 2, o.y - 2, o.x + 32, o.y + 32, colour) -
           countColour(c, o.x + 2, o.y + 2, o.x + 28, o.y + 28, colour);
}

// The panel's frame on (10, 265)-(260, 320): its left, right and bottom edges.
bool panelFrameDrawn() {
    const Image c = client();
    return c.at(10, 292) == black && c.at(259, 292) == black && c.at(135, 319) == black;
}

// ---- the program and its windows ----------------------------------------------------------

// Starts a program of the driver's folder.
bool launch(const char* exeName) {
    std::string line = quoted(exeDir + "\\" + exeName);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    process = {};
    return CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process);
}

// Waits for the program to end, ending it after the wait; its exit code, or -1 when it had to be ended.
long stop(DWORD milliseconds) {
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 99);
    WaitForSingleObject(process.hProcess, 5000);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return ended ? long(code) : -1;
}

void command(int id) { PostMessageA(window, WM_COMMAND, WPARAM(id), 0); }
void click(HWND on, int x, int y, DWORD pause) {
    PostMessageA(on, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    Sleep(pause);
}
// Clicks the middle of each square in turn.
void clickSquares(std::initializer_list<const char*> names) {
    for (const char* name : names) click(window, corner(name).x + 15, corner(name).y + 15, 200);
}

std::string windowText(HWND w, bool className = false) {
    char text[512] = "";
    className ? GetClassNameA(w, text, sizeof text) : GetWindowTextA(w, text, sizeof text);
    return text;
}

// The visible dialog windows (message boxes included) of the program.
std::vector<HWND> dialogs() {
    std::vector<HWND> found;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == process.dwProcessId && IsWindowVisible(w)) found.push_back(w);
    }
    return found;
}

// The texts of a dialog's static controls in order, as "|first|second|" ("|" for none).
std::string staticTexts(HWND dialog) {
    std::string texts = "|";
    for (HWND w = nullptr; dialog && (w = FindWindowExA(dialog, w, "Static", nullptr)) != nullptr;)
        texts += windowText(w).empty() ? "" : windowText(w) + "|";
    return texts;
}

bool hasText(HWND d, const std::string& text) { return staticTexts(d).find("|" + text + "|") != std::string::npos; }

// Waits for a dialog of the program that the test recognises; null after the wait.
HWND waitForDialog(const std::function<bool(HWND)>& which, DWORD milliseconds = 10000) {
    HWND found = nullptr;
    waitFor([&] {
        for (HWND d : dialogs()) found = which(d) ? d : found;
        return found != nullptr;
    }, milliseconds);
    return found;
}

// Presses a dialog's OK button and waits until the dialog is gone.
bool pressOk(HWND dialog) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), LPARAM(GetDlgItem(dialog, IDOK)));
    return waitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000);
}

// Waits for a message box (an OK button and a static text, no game modes), checks its caption
// and text, saves a screenshot of it when named and presses OK.
void checkMessageBox(const char* name, const std::string& caption, const std::string& text, const char* shot = "") {
    HWND box =
        waitForDialog([](HWND d) { return GetDlgItem(d, IDOK) && !GetDlgItem(d, 1100) && staticTexts(d) != "|"; });
    const std::string seen = box ? windowText(box) : "no box", said = staticTexts(box);
    check(box && seen == caption && said == "|" + text + "|", name, "caption " + quoted(seen) + ", texts " + said);
    if (box && *shot) saveShot(shot);
    if (box && pressOk(box)) Sleep(600);  // the game goes on
}

std::string tickedModes(HWND dialog) {
    std::string out;
    for (int id = 1100; id <= 1103; ++id) out += IsDlgButtonChecked(dialog, id) ? std::to_string(id) + " " : "";
    return out;
}

HWND openGameModeDialog() {
    command(9072);
    return waitForDialog([](HWND d) { return GetDlgItem(d, 1100) != nullptr; });
}

// Opens the game-mode dialog and starts a game in the mode.
void startGame(int modeId) {
    HWND dialog = openGameModeDialog();
    SendMessageA(GetDlgItem(dialog, modeId), BM_CLICK, 0, 0);
    if (dialog) pressOk(dialog);
}

// Plays the move on the model of what the window should show.
void follow(const char* from, const char* to, PieceCode promotion = NoPromotion) {
    makeMove(model, MoveInfo(from[1] - '1', from[0] - 'A', to[1] - '1', to[0] - 'A', promotion));
    model.switchSide();
}

// Waits until the window shows the model, then a moment for the game to go on (a turn to begin).
bool boardComes(DWORD milliseconds = 5000) {
    const bool shown = waitFor([] { return boardShows(model); }, milliseconds);
    Sleep(400);
    return shown;
}

// Checks that the window comes to show the model, naming the squares that differ when not.
void checkBoard(const char* name, DWORD milliseconds = 5000) {
    check(boardComes(milliseconds), name, "differs at " + boardDifferences(model));
}

// Plays a human move by two clicks and waits until the board shows it; the model follows.
bool playHumanMove(const char* from, const char* to) {
    clickSquares({from, to});
    follow(from, to);
    return boardComes();
}

// Waits until the game is ready for the first human move: the start position and the panel.
bool waitForFirstTurn() {
    model.setStartPosition();
    return boardComes(10000) && waitFor(panelFrameDrawn, 5000);
}

// A menu as text: "item=id", "-" for a separator, "popup{...}", separated by commas.
std::string describeMenu(HMENU menu) {
    std::string out;
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        char text[64] = "";
        GetMenuStringA(menu, i, text, sizeof text, MF_BYPOSITION);
        HMENU popup = GetSubMenu(menu, i);
        out += i ? "," : "";
        if (popup) out += text + ("{" + describeMenu(popup) + "}");
        else if (GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) out += "-";
        else out += text + ("=" + std::to_string(GetMenuItemID(menu, i)));
    }
    return out;
}

// ---- the tests ------------------------------------------------------------------------------

void testWindow() {
    RECT r;
    GetWindowRect(window, &r);
    const std::string seen = windowText(window, true) + " " + quoted(windowText(window)) + " " +
                             std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
    check(seen == "VimoChessClass \"VimoChess 0.01a\" 278 x 370",
          "window of class VimoChessClass, title \"VimoChess 0.01a\", outer size 278 x 370", seen);
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    check((style & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) == (WS_SYSMENU | WS_MINIMIZEBOX),
          "window has a system menu and a minimize box, no maximize box or sizing border");

    // Wine keeps a window's menu inside the program's process, where another process cannot
    // read it; then the menu is read from the program's resources, which the window's class names.
    HMENU menu = GetMenu(window);
    check(menu != nullptr, "the window has a menu bar");
    HMODULE resources = nullptr;
    if (menu && GetMenuItemCount(menu) < 0) {
        resources = LoadLibraryExA((exeDir + "\\VimoChess.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        menu = resources ? LoadMenuA(resources, "MAINMENU") : nullptr;
        std::printf("note    the menu is read from the MAINMENU resource\n");
    }
    const std::string items = menu ? describeMenu(menu) : "";
    check(items == "&File{&New game...=9072,-,E&xit=9073},&Help{&About=9074}",
          "menus: &File with &New game... (9072), separator, E&xit (9073); &Help with &About (9074)", items);
    if (resources) FreeLibrary(resources);
}

void testEmptyBoard() {
    const Image c = client();
    check(boardDifferences(Board(), c).empty(), "empty board: 64 empty squares in their colours",
          "differing squares " + boardDifferences(Board(), c));
    check(showsPicture(c, corner("A8"), 24, 0) && showsPicture(c, corner("H1"), 24, 0) &&
              showsPicture(c, corner("A1"), 25, 0),
          "A8 and H1 show the light empty square R_B_PUSTE, A1 the hatched dark one, to their edges");

    // Outer frame 3 pixels wide on (10, 15)-(260, 265); the inner thin frame 3 pixels inside it,
    // white in between.
    check(c.at(10, 140) == black && c.at(259, 140) == black && c.at(135, 15) == black && c.at(135, 264) == black,
          "outer frame lies on (10, 15)-(260, 265)");
    check(c.at(12, 140) == white && c.at(13, 140) == 0x010000 && c.at(14, 140) == white,
          "inner frame one pixel wide at x = 13, white on both sides");
    check(c.at(10, 268) != black && c.at(10, 300) != black, "no panel frame before a game");

    // Labels: dark text pixels in each label's cell, on the button-face colour.
    int files = 0, ranks = 0;
    for (int i = 0; i < 8; ++i) {
        files += countColour(c, 25 + 30 * i, 0, 35 + 30 * i, 13, black) >= 5;
        ranks += countColour(c, 0, 27 + 30 * i, 9, 40 + 30 * i, black) >= 5;
    }
    check(files == 8, "file letters A to H above the columns");
    check(ranks == 8, "rank digits 8 to 1 left of the rows");
    const uint32_t face = GetSysColor(COLOR_BTNFACE);  // 0x00BBGGRR
    check(countColour(c, 0, 0, 9, 14, (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF)) > 60,
          "label background is the button-face colour");
    saveShot("01-empty-board");

    command(1234);
    Sleep(500);
    check(IsWindow(window) && dialogs().empty(), "an unknown command is ignored");
}

void testAbout() {
    command(9074);
    HWND about = waitForDialog([](HWND d) { return hasText(d, "VimoChess 0.01a"); });
    if (!check(about != nullptr, "About box shows \"VimoChess 0.01a\"")) return;
    check(!(GetWindowLongA(about, GWL_STYLE) & WS_DLGFRAME), "About box has no title bar");
    const auto picture = [&] { Sleep(300); return grab(about, 10, 26, 100, 50); };  // 100 x 50 pixels from (10, 26)
    check(picture().pixels != picture().pixels, "About fractal changes from one read to the next");

    // Each frame is the picture of some tick: find it among the first ticks' pictures.
    bool matched = false;
    for (int attempt = 0; attempt < 5 && !matched; ++attempt) {
        const Image shot = picture();
        AboutAnimation animation;
        for (int tick = 0; tick < 3000 && !matched; ++tick) {
            int32_t cx, cy, i = 0;
            animation.tick(cx, cy);
            while (i < 5000 && shot.pixels[i] == rgb(fractalPixel(i % 100, i / 100, cx, cy))) ++i;
            matched = i == 5000;
        }
    }
    check(matched, "About fractal is the Julia picture of one of the animation's ticks");
    saveShot("02-about");
    check(pressOk(about), "About box closes with OK");
}

// Human vs human: moves, frames, an illegal move, the refused new game, mate and the result.
void testHumanGame() {
    HWND dialog = openGameModeDialog();
    if (!check(dialog != nullptr, "New game opens the game-mode dialog")) return;
    check(hasText(dialog, "Select your game."), "game-mode dialog asks \"Select your game.\"");
    std::string labels;
    for (int id = 1100; id <= 1103; ++id) labels += windowText(GetDlgItem(dialog, id)) + ";";
    check(labels == "Human vs human;Human vs VimoChess;VimoChess vs human;VimoChess vs VimoChess;",
          "game-mode dialog lists the four modes", labels);
    saveShot("03-game-mode");
    const std::pair<int, const char*> ticks[] = {  // the mode clicked (none at first), the check
        {0, "\"Human vs human\" is ticked at opening"},
        {1102, "clicking \"VimoChess vs human\" moves the tick there alone"},
        {1102, "clicking the ticked mode again leaves it ticked"},
        {1100, "ticking \"Human vs human\" again"}};
    for (const auto& [id, name] : ticks) {
        if (id) SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
        check(tickedModes(dialog) == std::to_string(id ? id : 1100) + " ", name, "ticked " + tickedModes(dialog));
    }
    check(pressOk(dialog), "OK closes the game-mode dialog");

    check(waitForFirstTurn(), "the game starts from the starting position with the panel drawn");
    // R_B_WIEZA_C on A1, R_C_WIEZA_B on A8.
    check(showsPicture(client(), corner("A1"), 3, 0) && showsPicture(client(), corner("A8"), 14, 0),
          "White at the bottom: a white rook on the dark A1, a black rook on the light A8");
    saveShot("04-start-position");

    click(window, 257, 100, 400);  // the strip right of the squares names no square
    check(framePixels(client(), "H7", red) == 0, "a click on the right strip frames nothing");
    clickSquares({"F2"});
    check(waitFor([] { return framePixels(client(), "F2", red) > 20; }, 3000), "the first click frames F2 in red");
    check(framePixels(client(), "F3", blue) == 0, "no blue frame before the second click");
    saveShot("05-first-click");
    clickSquares({"F3"});
    follow("F2", "F3");
    checkBoard("second click moves the pawn F2-F3");
    check(framePixels(client(), "F2", red) > 20 && framePixels(client(), "F3", blue) > 20,
          "the move is framed: from-square red, to-square blue");
    saveShot("06-first-move");
    check(playHumanMove("E7", "E5"), "Black answers E7-E5");

    clickSquares({"A1", "A3"});  // over the A2 pawn
    checkMessageBox("an illegal move opens the box \"Illegal move!\": \"Can't jump over pieces!\"", "Illegal move!",
                    "Can't jump over pieces!", "07-illegal-move");
    checkBoard("the board is unchanged after it", 3000);
    command(9072);
    checkMessageBox("New game during a game is refused, in a box with an empty caption", "",
                    "Can't start a new game while playing.");

    // The same side moves again: G2-G4, then D8-H4 mates.
    check(playHumanMove("G2", "G4"), "after the refusal White plays G2-G4");
    clickSquares({"D8", "H4"});
    checkMessageBox("the mate opens the box \"Result\": \"Black wins.\"", "Result", "Black wins.", "08-result");
    // The game releases its session once the box is gone; the next repaint shows the empty board.
    const auto repainted = [] {
        InvalidateRect(window, nullptr, TRUE);
        Sleep(200);
        return boardShows(Board());
    };
    check(waitFor(repainted, 5000), "after the result the window shows the empty board");
    saveShot("09-after-result");
}

// Human vs human again: a white pawn promotes by capture, to a knight chosen in the dialog.
void testPromotion() {
    startGame(1100);
    check(waitForFirstTurn(), "a second game can be started after the first");
    const char* moves[][2] = {{"H2", "H4"}, {"G7", "G5"}, {"H4", "G5"}, {"H7", "H6"},
                              {"G5", "H6"}, {"F8", "G7"}, {"H6", "G7"}, {"A7", "A6"}};
    bool played = true;
    for (const auto& move : moves) played = played && playHumanMove(move[0], move[1]);
    check(played, "eight moves bring a white pawn to G7");

    clickSquares({"G7", "H8"});
    HWND dialog = waitForDialog([](HWND d) { return hasText(d, "Select a piece:"); });
    if (!check(dialog != nullptr, "the pawn reaching the last rank opens the promotion dialog")) return;
    Sleep(500);
    bool shown = true;  // R_B_WIEZA_B, R_B_SKOCZEK_B, R_B_GONIEC_B, R_B_HETMAN_B from (20, 30), 40 pixels apart
    for (int k = 0; k < 4; ++k) shown = shown && showsPicture(client(dialog), {20 + 40 * k, 30}, 2 + 2 * k, 2);
    check(shown, "it shows the white rook, knight, bishop and queen");
    // Red on the knight's picture (60) and on the queen's (140).
    const auto redOn = [&](int left) { return countColour(client(dialog), left, 30, left + 30, 60, red); };
    const auto reds = [&] { return "red " + std::to_string(redOn(60)) + " / " + std::to_string(redOn(140)); };
    check(redOn(140) >= 100 && redOn(60) == 0, "the queen is framed in red at first", reds());
    saveShot("10-promotion-dialog");
    click(dialog, 95, 45, 500);  // the gap right of the knight
    check(redOn(60) >= 100 && redOn(140) == 0, "clicking right of the knight's picture frames the knight", reds());
    click(dialog, 30, 75, 300);  // below the pictures
    check(redOn(60) >= 100, "a click below the pictures changes nothing", reds());
    pressOk(dialog);
    follow("G7", "H8", pieceCode(Knight, White));
    checkBoard("the pawn became a white knight on H8");
    saveShot("11-promoted");
}

// VimoChess vs human: the engine opens from its book, its move framed; it answers a human move.
void testEngineOpening() {
    startGame(1102);
    model.setStartPosition();
    follow("E2", "E4");  // the book's first move
    checkBoard("VimoChess as White opens with E2-E4", 10000);
    check(framePixels(client(), "E2", red) > 20 && framePixels(client(), "E4", blue) > 20,
          "the engine's move is framed red and blue");
    check(countColour(client(), 25, 297, 110, 310, dark) > 20, "line 3 reports the book move's statistics");
    saveShot("12-engine-opening");
    clickSquares({"E7", "E5"});
    follow("E7", "E5");
    const auto answered = [&] {  // a change on other squares than E7 and E5
        const std::string diff = boardDifferences(model);
        return !diff.empty() && diff.find("E5") == std::string::npos && diff.find("E7") == std::string::npos;
    };
    check(waitFor(answered, 60000), "the engine answers the human's E7-E5 with a move of its own");
}

void testEngineGame() {
    startGame(1103);
    model.setStartPosition();
    check(waitFor([] { return !boardShows(model); }, 20000), "VimoChess vs VimoChess: the engine's moves are shown");
    check(waitFor(panelFrameDrawn, 10000), "the panel under the board is framed");
    // Once the book is left the search runs: line 2 shows its progress and best move, and
    // after the move line 3 its statistics. Line 1 shows the depth and the value.
    // Text on the panel's lines (from y = 267, 282, 297), at the left from x = 25, at the right to x = 245.
    Image c;
    const auto text = [&](int y, int x0, int x1) { return countColour(c, x0, y, x1, y + 13, dark) > 20; };
    const auto searched = [&] {
        c = client();
        return text(282, 25, 70) && text(282, 160, 245) && text(297, 25, 110) && text(297, 160, 245) &&
               boardFullyDrawn(c);
    };
    check(waitFor(searched, 90000), "lines 2 and 3 show the search's progress, best move and statistics");
    check(text(267, 25, 70), "line 1 shows the depth");
    check(text(267, 160, 245), "line 1 shows the value");
    saveShot("13-engine-game");
}

// Starts the program, runs the tests on it, then chooses Exit and expects exit code 0.
void session(const char* started, const char* exited, const std::function<void()>& tests) {
    const auto shown = [] { return (window = FindWindowA("VimoChessClass", nullptr)) && IsWindowVisible(window); };
    if (!check(launch("VimoChess.exe") && waitFor(shown, 15000), started)) {
        stop(0);
        return;
    }
    Sleep(500);  // the first paint
    tests();
    command(9073);
    const long code = stop(10000);
    check(code == 0, exited, "exit code " + std::to_string(code));
}

// A missing square picture is named in a box, and the program ends without showing its window.
void testMissingBitmap() {
    if (!check(launch("VimoChess-missing-bitmap.exe"), "the copy without R_C_KROL_C starts")) return;
    waitForDialog([](HWND d) { return staticTexts(d) != "|"; }, 15000);
    check(!IsWindowVisible(FindWindowA("VimoChessClass", nullptr)), "the main window is not shown");
    checkMessageBox("a missing picture shows \"Resource error: 23\" under \"Error\"", "Error", "Resource error: 23");
    const long code = stop(10000);
    check(code != 0 && code != -1, "the program then ends with a non-zero exit code", std::to_string(code));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "--shots") == 0) {
        shotsDir = argv[2];
    } else if (argc != 1) {
        std::fprintf(stderr, "usage: e2e-driver [--shots DIR]\n");
        return 2;
    }
    char path[MAX_PATH];
    exeDir.assign(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    exeDir.erase(exeDir.find_last_of("\\/"));
    if (!check(loadSquarePictures(exeDir + "\\VimoChess.exe"), "the square pictures are read from VimoChess.exe")) {
        std::printf("0 passed, 1 failed\n");
        return 1;
    }
    session("VimoChess.exe starts and shows its window", "Exit during a human game ends the program with code 0", [] {
        testWindow();
        testEmptyBoard();
        testAbout();
        testHumanGame();
        testPromotion();
    });
    session("VimoChess.exe starts for VimoChess vs human",
            "Exit while the human is to move ends the program with code 0", testEngineOpening);
    session("VimoChess.exe starts for VimoChess vs VimoChess",
            "Exit during an engine game ends the program with code 0", testEngineGame);
    testMissingBitmap();
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
