// End-to-end tests of VimoChess.exe: a table of steps, each something to do and what must then
// hold, read by one loop. The driver starts the program and works it as a user would, by window
// messages, by the keyboard and by real mouse input (SendInput: the system's input queue, with
// its time stamps and its double-click timing), and checks window texts, boxes and pixels.
//
//   e2e-driver [--shots DIR]      VimoChess.exe is taken from the driver's own folder
//
// Prints one line per check and a closing "N passed, M failed"; exits 0 only when nothing
// failed. Runs on Windows as well as under Wine.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "../../rules/board.h"
#include "../../ui/board_view.h"
#include "../../ui/resources/resource_ids.h"

namespace {

std::string shotsDir, exeDir, seen;       // seen: what a failing check saw
PROCESS_INFORMATION process = {};         // the program under test, one at a time
HWND window = nullptr, dialog = nullptr;  // its main window; the dialog or box being worked
Board model;                              // the position the window should show

bool waitFor(const std::function<bool()>& condition, DWORD milliseconds = 10000) {
    for (const DWORD start = GetTickCount(); !condition(); Sleep(30))
        if (GetTickCount() - start > milliseconds) return false;
    return true;
}

// ---- pixels ------------------------------------------------------------------------------------

struct Image {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB, top row first
    uint32_t at(int x, int y) const {
        return x >= 0 && y >= 0 && x < width && y < height ? pixels[y * width + x] : ~0u;
    }
};
const uint32_t black = 0x000000, white = 0xFFFFFF, red = 0xFF0000, blue = 0x0000FF;
const uint32_t dark = 0xFF000000;  // not a colour: any pixel whose blue is under 0x40, as in text

BITMAPINFO dibInfo(int width, int height) {  // a 32-bit top-down picture
    return BITMAPINFO{{sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
}
Image pixelsOf(HBITMAP bitmap, int width, int height) {
    Image image{width, height, std::vector<uint32_t>(size_t(width) * height)};
    BITMAPINFO info = dibInfo(width, height);
    HDC screen = GetDC(nullptr);
    if (!bitmap || !GetDIBits(screen, bitmap, 0, height, image.pixels.data(), &info, DIB_RGB_COLORS)) image.width = 0;
    for (uint32_t& p : image.pixels) p &= 0xFFFFFF;
    return ReleaseDC(nullptr, screen), DeleteObject(bitmap), image;
}

// A rectangle of a window's client area (of the screen for no window) as it is shown.
Image grab(HWND from, int x, int y, int width, int height) {
    HDC dc = GetDC(from), memory = CreateCompatibleDC(dc);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, dc, x, y, SRCCOPY);
    SelectObject(memory, old), DeleteDC(memory), ReleaseDC(from, dc);
    return pixelsOf(bitmap, width, height);
}
Image client(HWND of = window) {
    RECT r = {};
    return GetClientRect(of, &r), grab(of, 0, 0, r.right, r.bottom);
}

// The whole screen as a BMP file named after the stage (the test script makes PNGs of them).
void saveShot(const char* stage) {
    FILE* f = shotsDir.empty() || !stage ? nullptr : std::fopen((shotsDir + "\\" + stage + ".bmp").c_str(), "wb");
    if (!f) return;
    const Image image = grab(nullptr, 0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const BITMAPINFOHEADER info = dibInfo(image.width, image.height).bmiHeader;
    const BITMAPFILEHEADER file = {0x4D42, DWORD(54 + image.pixels.size() * 4), 0, 0, 54};  // 54: both headers
    std::fwrite(&file, sizeof file, 1, f), std::fwrite(&info, sizeof info, 1, f);
    std::fwrite(image.pixels.data(), 4, image.pixels.size(), f), std::fclose(f);
}

int countColour(const Image& image, int left, int top, int right, int bottom, uint32_t colour) {
    int count = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x)
            count += colour == dark ? (image.at(x, y) & 0xFF) < 0x40 : image.at(x, y) == colour;
    return count;
}

// ---- the board as the program draws it --------------------------------------------------------

Image squarePictures[squareBitmapCount];  // the program's own, read from its resources

bool loadSquarePictures() {
    HMODULE module = LoadLibraryExA((exeDir + "\\VimoChess.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    bool all = module != nullptr;
    for (int i = 0; i < squareBitmapCount && all; ++i) {
        HANDLE bitmap = LoadImageA(module, squareBitmapName(i), IMAGE_BITMAP, 0, 0, 0);
        all = (squarePictures[i] = pixelsOf(static_cast<HBITMAP>(bitmap), squarePixels, squarePixels)).width;
    }
    return module && FreeLibrary(module) && all;
}

// The top left corner of a square by name ("E2"): the squares lie from (15, 20), 30 pixels each.
Point corner(const std::string& name) { return {15 + 30 * (name[0] - 'A'), 20 + 30 * ('8' - name[1])}; }

// Whether the picture lies at o, leaving out a border of `inset` pixels where a frame may lie.
bool showsPicture(const Image& image, Point o, int index, int inset = 3) {
    for (int y = inset; y < squarePixels - inset; ++y)
        for (int x = inset; x < squarePixels - inset; ++x)
            if (image.at(o.x + x, o.y + y) != squarePictures[index].at(x, y)) return false;
    return true;
}

// The model follows the moves ("E2-E4 G7-H8N"); true once the window shows it (each square's
// picture to its edges when exact: no frame either), within the time given.
bool shows(const char* moves, bool exact = false, DWORD milliseconds = 10000) {
    std::istringstream in(moves);
    for (std::string m; in >> m; model.switchSide())
        makeMove(model, MoveInfo(m[1] - '1', m[0] - 'A', m[4] - '1', m[3] - 'A',
                                 m.size() == 6 ? pieceCode(Knight, model.sideToMove) : NoPromotion));
    const auto differences = [&] {  // the squares that differ, as names ("E4 ...")
        const Image c = client();
        std::string out;
        for (int i = 0; i < 64; ++i) {
            const std::string name{char('A' + i % 8), char('8' - i / 8)};
            if (!showsPicture(c, corner(name), bitmapIndexAt(model, i % 8, i / 8), exact ? 0 : 3)) out += name + " ";
        }
        return out;
    };
    const bool ok = waitFor([&] { return differences().empty(); }, milliseconds);
    seen = "differs at " + differences();
    return ok;
}

// The pixels of a colour on the border band (two pixels each way) of a square.
int frameAt(const char* name, uint32_t colour) {
    const Point o = corner(name);
    const Image c = client();
    return countColour(c, o.x - 2, o.y - 2, o.x + 32, o.y + 32, colour) -
           countColour(c, o.x + 2, o.y + 2, o.x + 28, o.y + 28, colour);
}
bool framed(const char* name, uint32_t colour) { return waitFor([&] { return frameAt(name, colour) > 20; }, 3000); }

// The panel's frame on (10, 265)-(260, 320), and text on its lines (y = 267, 282, 297) at the left
// (from x = 25) and at the right (to x = 245).
bool panelShows(int lines) {
    const Image c = client();
    bool text = c.at(10, 292) == black && c.at(259, 292) == black && c.at(135, 319) == black;
    for (int y = 267; y < 267 + 15 * lines; y += 15)
        text = text && countColour(c, 25, y, 70, y + 13, dark) > 20 && countColour(c, 160, y, 245, y + 13, dark) > 20;
    return text;
}

// ---- the program, its dialogs and boxes --------------------------------------------------------

std::string windowText(HWND w) {
    char text[512] = "";
    return GetWindowTextA(w, text, sizeof text), text;
}

// The texts of a dialog's static controls in order, as "|first|second|" ("|" for none).
std::string staticTexts(HWND d) {
    std::string texts = "|";
    for (HWND w = nullptr; d && (w = FindWindowExA(d, w, "Static", nullptr)) != nullptr;)
        texts += windowText(w).empty() ? "" : windowText(w) + "|";
    return texts;
}

// The texts of the program's visible dialogs (message boxes included); the dialog worked on from
// now on is the last of them that shows `text`.
std::string dialogs(const std::string& text = "") {
    std::string all;
    for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "#32770", nullptr)) != nullptr;) {
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid != process.dwProcessId || !IsWindowVisible(w)) continue;
        all += staticTexts(w);
        if (!text.empty() && staticTexts(w).find("|" + text + "|") != std::string::npos) dialog = w;
    }
    return all;
}
bool opened(const std::string& text) {
    dialog = nullptr;
    return waitFor([&] { return dialogs(text), dialog != nullptr; }) || (seen = "dialogs: " + dialogs(), false);
}
bool closed() { return waitFor([] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }, 5000); }
// A message box with the caption and the text, left open for the next step.
bool box(const std::string& caption, const std::string& text) {
    return opened(text) && (seen = "caption \"" + windowText(dialog) + "\"", windowText(dialog) == caption) &&
           staticTexts(dialog) == "|" + text + "|";
}
bool noBox() { return Sleep(300), (seen = "dialogs: " + dialogs()) == "dialogs: "; }

// Waits up to 10 s for the program to end, ending it after that; its exit code, -1 when ended.
long stop() {
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process.hProcess, 10000) == WAIT_OBJECT_0) GetExitCodeProcess(process.hProcess, &code);
    else TerminateProcess(process.hProcess, 99), WaitForSingleObject(process.hProcess, 5000);
    CloseHandle(process.hProcess), CloseHandle(process.hThread);
    seen = "exit code " + std::to_string(long(code));
    return long(code);
}

// ---- what a step does --------------------------------------------------------------------------
//   start EXE        start a program of the driver's folder (and wait for VimoChess's window)
//   cmd ID | tick ID | ok | game ID     a menu command | tick a game mode | press the dialog's OK |
//                                       start a game in the mode
//   keys FN          a menu command by the keyboard: Alt+F, then N
//   post TOKENS | press TOKENS      clicks by window message | by real input; the tokens:
//     E2  the middle of a square;  X,Y  a pixel of the main window (of the dialog: dX,Y);
//     ok  the dialog's OK button;  A&B  two clicks at once;  +N  wait N ms;
//     @  remember the time;  @E2  a click stamped with the time remembered (made back then);
//     !  wait until the square last clicked is framed in red, clicking it again every 3 s;
//     ~  wait until the square last clicked shows a new picture.

void clicks(std::istringstream& in, bool real) {
    static DWORD stamp = 0;
    std::string last;
    std::vector<uint32_t> before;  // inside the last square's frame
    const auto inside = [&] { return grab(window, corner(last).x + 3, corner(last).y + 3, 24, 24).pixels; };
    const auto click = [&](std::string t) {  // one or more clicks, sent at once
        std::vector<INPUT> inputs;
        for (size_t end = 0; end != std::string::npos; t.erase(0, end + 1)) {
            const std::string one = t.substr(0, end = t.find('&'));
            const bool early = one[0] == '@', onDialog = one[0] == 'd' || one == "ok";
            RECT r = {};
            GetWindowRect(GetDlgItem(dialog, IDOK), &r);
            POINT p = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
            if (one == "ok") ScreenToClient(dialog, &p);
            else if (one.find(',') != std::string::npos)
                p = {std::stoi(one.substr(onDialog)), std::stoi(one.substr(one.find(',') + 1))};
            else last = one.substr(early), before = inside(), p = {corner(last).x + 15, corner(last).y + 15};
            if (!real) PostMessageA(onDialog ? dialog : window, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            ClientToScreen(onDialog ? dialog : window, &p);
            for (DWORD flags : {MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP}) {
                inputs.push_back({INPUT_MOUSE, {}});
                inputs.back().mi = {p.x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1),
                                    p.y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1), 0, flags, early ? stamp : 0, 0};
            }
        }
        if (real) SendInput(inputs.size(), inputs.data(), sizeof(INPUT));
        Sleep(60);
    };
    for (std::string t; in >> t;) {
        if (t[0] == '+') Sleep(std::stoul(t.substr(1)));
        else if (t == "@") stamp = GetTickCount();
        else if (t == "!") for (int i = 0; i < 5 && !framed(last.c_str(), red); ++i) click(last);
        else if (t == "~") waitFor([&] { return inside() != before; });
        else click(t);
    }
}

void act(const std::string& what) {
    std::istringstream in(what);
    std::string verb, arg, line;
    in >> verb;
    if (verb == "post" || verb == "press") return clicks(in, verb == "press");
    in >> arg;
    std::vector<INPUT> keys;
    const auto key = [&](WORD code, DWORD up) { keys.push_back({INPUT_KEYBOARD, {}}), keys.back().ki = {code, 0, up}; };
    for (size_t i = 0; verb == "keys" && i < arg.size(); ++i) {
        if (i == 0) key(VK_MENU, 0);
        key(arg[i], 0), key(arg[i], KEYEVENTF_KEYUP);
        if (i == 0) key(VK_MENU, KEYEVENTF_KEYUP);
    }
    if (!keys.empty() && SetForegroundWindow(window)) Sleep(200), SendInput(keys.size(), keys.data(), sizeof(INPUT));
    STARTUPINFOA startup = {sizeof startup};
    const auto shown = [] { return (window = FindWindowA("VimoChessClass", nullptr)) && IsWindowVisible(window); };
    if (verb == "start" && CreateProcessA(nullptr, &(line = "\"" + exeDir + "\\" + arg + "\"")[0], nullptr, nullptr,
                                          FALSE, 0, nullptr, nullptr, &startup, &process))
        arg == "VimoChess.exe" && waitFor(shown, 20000) && (Sleep(500), true);  // and its first paint
    if (verb == "cmd" || verb == "game")
        PostMessageA(window, WM_COMMAND, verb == "cmd" ? std::stoi(arg) : IDM_NEW_GAME, 0);
    if (verb == "tick" || (verb == "game" && opened("Select your game.")))
        SendMessageA(GetDlgItem(dialog, std::stoi(arg)), BM_CLICK, 0, 0);
    if (verb == "ok" || verb == "game") PostMessageA(dialog, WM_COMMAND, IDOK, LPARAM(GetDlgItem(dialog, IDOK)));
    if (verb == "game") model.setStartPosition();
}

// ---- checks of their own -----------------------------------------------------------------------

// The class, title, outer size and style (the menu is tried by the keyboard); the outer frame 3
// pixels wide on (10, 15)-(260, 265), the thin inner one at x = 13 with white on both sides, no
// panel; dark text in each label's cell, on the button-face colour.
bool windowLooks() {
    RECT r;
    char name[64] = "";
    GetWindowRect(window, &r), GetClassNameA(window, name, sizeof name);
    const Image c = client();
    int labels = 0;
    for (int i = 0; i < 8; ++i)
        labels += (countColour(c, 25 + 30 * i, 0, 35 + 30 * i, 13, black) >= 5) +
                  (countColour(c, 0, 27 + 30 * i, 9, 40 + 30 * i, black) >= 5);
    const uint32_t face = GetSysColor(COLOR_BTNFACE);  // 0x00BBGGRR
    seen = name + (" \"" + windowText(window)) + "\" " + std::to_string(r.right - r.left) + " x " +
           std::to_string(r.bottom - r.top) + ", " + std::to_string(labels) + " labels";
    return seen == "VimoChessClass \"VimoChess 0.01a\" 278 x 370, 16 labels" &&
           (GetWindowLongA(window, GWL_STYLE) & (WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME)) ==
               (WS_SYSMENU | WS_MINIMIZEBOX) &&
           c.at(10, 140) == black && c.at(259, 140) == black && c.at(135, 15) == black && c.at(135, 264) == black &&
           c.at(12, 140) == white && c.at(13, 140) == 0x010000 && c.at(14, 140) == white && !panelShows(0) &&
           countColour(c, 0, 0, 9, 14, (face & 0xFF) << 16 | (face & 0xFF00) | (face >> 16 & 0xFF)) > 60;
}

// The About box's picture, 100 x 50 pixels from (10, 26): it changes from one read to the next,
// and its corners, whose start points escape at once, are blue (0, 0, 255) whatever the tick.
bool fractalAnimates() {
    const auto picture = [] { return Sleep(300), grab(dialog, 10, 26, 100, 50).pixels; };
    const std::vector<uint32_t> first = picture(), second = picture();
    return first != second && first[0] == blue && first[99] == blue && first[4900] == blue && first[4999] == blue;
}

// The game modes' labels (when asked) and the ticked one.
bool ticked(int id, bool labels = false) {
    seen.clear();
    for (int b = firstModeId; b <= lastModeId; ++b)
        seen += labels ? windowText(GetDlgItem(dialog, b)) + ";"
                       : IsDlgButtonChecked(dialog, b) ? std::to_string(b) + " " : "";
    return labels ? seen == "Human vs human;Human vs VimoChess;VimoChess vs human;VimoChess vs VimoChess;" && ticked(id)
                  : seen == std::to_string(id) + " ";
}

// The white rook, knight, bishop and queen from (20, 30), 40 pixels apart; the red frame on the
// picture from x = left alone.
bool promotionShows(int left) {
    Sleep(500);
    const Image c = client(dialog);
    int shown = 0, reds = 0;
    for (int k = 0; k < 4; ++k) shown += showsPicture(c, {20 + 40 * k, 30}, 2 + 2 * k, 2);
    for (int x = 20; x < 180; x += 40) reds += countColour(c, x, 30, x + 30, 60, red) >= 100 ? x : 0;
    seen = std::to_string(shown) + " pictures, red on the one from " + std::to_string(reds);
    return shown == 4 && reds == left;
}

// ---- the steps ---------------------------------------------------------------------------------

// A step's text names a command or a mode by its identifier: "cmd " IDTEXT(IDM_EXIT) is "cmd 9073".
#define IDTEXT(id) IDTEXT_DIGITS(id)
#define IDTEXT_DIGITS(digits) #digits

struct Step {
    const char* what;  // what to do (above)
    bool (*expect)();  // then what must hold; null: nothing
    const char* name;  // the check as printed; null: the step checks nothing
    const char* shot;  // the screenshot saved after it, or null
};

const Step steps[] = {
    {"start VimoChess.exe", [] { return window != nullptr; }, "VimoChess.exe starts and shows its window"},
    {"", windowLooks, "the window: class, title, size, style; frames and labels, no panel", "01-empty-board"},
    {"", [] { return shows("", true); }, "empty board: 64 empty squares in their colours"},
    {"cmd 1234", [] { return noBox() && IsWindow(window); }, "an unknown command is ignored"},
    {"keys HA", [] { return opened("VimoChess 0.01a") && !(GetWindowLongA(dialog, GWL_STYLE) & WS_DLGFRAME); },
     "Help, About (Alt+H, A): the About box, \"VimoChess 0.01a\", no title bar"},
    {"", fractalAnimates, "About box animates its picture", "02-about"},
    {"ok", closed, "About box closes with OK"},
    {"keys FN", [] { return opened("Select your game.") && ticked(IDC_HUMAN_VS_HUMAN, true); },
     "File, New game (Alt+F, N): the game-mode dialog, four modes, \"Human vs human\" ticked", "03-game-mode"},
    {"tick " IDTEXT(IDC_ENGINE_VS_HUMAN), [] { return ticked(IDC_ENGINE_VS_HUMAN); },
     "clicking \"VimoChess vs human\" moves the tick there alone"},
    {"tick " IDTEXT(IDC_ENGINE_VS_HUMAN), [] { return ticked(IDC_ENGINE_VS_HUMAN); },
     "clicking the ticked mode again leaves it ticked"},
    {"tick " IDTEXT(IDC_HUMAN_VS_HUMAN), [] { return ticked(IDC_HUMAN_VS_HUMAN); }, "ticking \"Human vs human\" again"},
    // Human vs human. The dialog's OK lies over D4: a press made with it, delivered once the game
    // asks for a move, is no click on the board.
    {"press @ ok", [] { return closed() && (model.setStartPosition(), shows("", true)) && panelShows(1); },
     "a real click on OK starts the game: the starting position, no frame, the panel", "04-start-position"},
    {"press +200 @D4 E2 ! E4", [] { return shows("E2-E4") && noBox(); }, "a press made with OK's is no part of E2-E4"},
    {"post 257,100", [] { return Sleep(400), shows("", true); }, "a click right of the squares frames nothing"},
    {"post E7", [] { return framed("E7", red) && !frameAt("E5", blue); }, "a first click frames E7 red", "05-click"},
    {"post E5", [] { return shows("E7-E5") && framed("E7", red) && framed("E5", blue); }, "E7-E5, framed", "06-move"},
    {"press F1 ! C4&C4", [] { return shows("F1-C4") && noBox(); }, "a fast real double-click on C4 plays F1-C4"},
    {"press B8 ! C6 ~ +100 C6", [] { return shows("B8-C6") && noBox() && !frameAt("C6", red); },
     "B8-C6 by a double-click on C6 whose second press comes in White's turn: no red frame on C6"},
    {"press D1 ! H5&A2", [] { return shows("D1-H5") && noBox() && !frameAt("A2", red); },
     "D1-H5, and a click on A2 right after it, before Black is asked: no red frame on A2"},
    {"press G8 ! F6", [] { return shows("G8-F6") && noBox(); }, "...take no part in the next move: G8-F6 is played"},
    {"post A1 ! A3", [] { return box("Illegal move!", "Can't jump over pieces!"); }, "A1-A3 is refused", "07-illegal"},
    {"press ok +300 H5 F7", [] { return box("Result", "White wins.") && shows("H5-F7"); },
     "clicks right after the box is gone count: H5-F7 mates, \"Result\": \"White wins.\"", "08-result"},
    {"ok", [] { return model = Board(), shows("", true, 5000); }, "then the empty board, no frame", "09-after-result"},
    {"game " IDTEXT(IDC_HUMAN_VS_HUMAN), [] { return shows("", true); },
     "a second game starts from the starting position, no frame"},
    {"cmd " IDTEXT(IDM_NEW_GAME), [] { return box("", "Can't start a new game while playing."); },
     "New game during a game is refused"},
    {"ok"},
    {"post H2 ! H4 ~ +300 G7 ! G5 ~ +300 H4 ! G5 ~ +300 H7 ! H6 ~ +300 "
     "G5 ! H6 ~ +300 F8 ! G7 ~ +300 H6 ! G7 ~ +300 A7 ! A6",
     [] { return shows("H2-H4 G7-G5 H4-G5 H7-H6 G5-H6 F8-G7 H6-G7 A7-A6"); }, "eight moves bring a white pawn to G7"},
    {"post +300 G7 ! H8", [] { return opened("Select a piece:") && promotionShows(140); },
     "G7-H8 opens the promotion dialog: four white pieces, the queen framed", "10-promotion-dialog"},
    {"post d95,45", [] { return promotionShows(60); }, "clicking right of the knight's picture frames the knight"},
    {"post d30,75", [] { return promotionShows(60); }, "a click below the pictures changes nothing"},
    {"ok", [] { return shows("G7-H8N"); }, "the pawn became a white knight on H8", "11-promoted"},
    {"keys FX", [] { return stop() == 0; }, "File, Exit (Alt+F, X) during a game ends the program with code 0"},
    // VimoChess vs human: the engine opens from its book, its move framed, and answers a human move.
    {"start VimoChess.exe"},
    {"game " IDTEXT(IDC_ENGINE_VS_HUMAN), [] { return shows("E2-E4") && framed("E2", red) && framed("E4", blue); },
     "E2-E4", "12-engine"},
    {"", [] { return countColour(client(), 25, 297, 110, 310, dark) > 20; }, "line 3: the book move's statistics"},
    {"post E7 ! E5", [] { return shows("E7-E5 G1-F3", false, 60000); }, "it answers the human's E7-E5 from its book"},
    {"cmd " IDTEXT(IDM_EXIT), [] { return stop() == 0; },
     "Exit while the human is to move ends the program with code 0"},
    // VimoChess vs VimoChess: once the book is left the search fills the panel's three lines.
    {"start VimoChess.exe"},
    {"game " IDTEXT(IDC_ENGINE_VS_ENGINE),
     [] { return waitFor([] { return panelShows(3) && !shows("", false, 0); }, 90000); },
     "VimoChess vs VimoChess: the panel shows depth, value, progress, best move and statistics", "13-engine-game"},
    {"cmd " IDTEXT(IDM_EXIT), [] { return stop() == 0; }, "Exit during an engine game ends the program with code 0"},
    // A missing square picture is named in a box, and the program ends without showing its window.
    {"start VimoChess-missing-bitmap.exe", [] { return box("Error", "Resource error: 23"); }, "Resource error: 23"},
    {"ok", [] { return !IsWindowVisible(FindWindowA("VimoChessClass", 0)) && stop() > 0; }, "...then a non-zero exit"},
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 1 && (argc != 3 || std::strcmp(argv[1], "--shots") != 0))
        return std::fprintf(stderr, "usage: e2e-driver [--shots DIR]\n"), 2;
    shotsDir = argc == 3 ? argv[2] : "";
    char path[MAX_PATH];
    exeDir.assign(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    exeDir.erase(exeDir.find_last_of("\\/"));
    const bool pictures = loadSquarePictures();
    int passed = 0, failed = !pictures;
    if (!pictures) std::printf("FAILED  the square pictures are read from VimoChess.exe\n");
    for (size_t i = 0; pictures && i < sizeof steps / sizeof *steps; ++i) {
        const Step& step = steps[i];
        act(step.what);
        seen.clear();
        const bool ok = !step.expect || step.expect();
        if (!step.name) continue;
        std::printf("%-8s%s%s\n", ok ? "ok" : "FAILED", step.name, ok || seen.empty() ? "" : (": " + seen).c_str());
        ++(ok ? passed : failed), std::fflush(stdout);
        saveShot(step.shot);
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    return failed == 0 ? 0 : 1;
}
