#include "uci.h"

#include <cctype>
#include <ostream>
#include <sstream>
#include <vector>

#include "engine/engine.h"
#include "engine/move_choice.h"
#include "engine/search_display.h"
#include "fen.h"
#include "rules/game_end.h"
#include "rules/move_generator.h"
#include "rules/rule_checker.h"

namespace {

const char idName[] = "VimoChess 0.01a";
const char idAuthor[] = "the VimoChess developers";

void say(std::ostream& out, const std::string& line) { out << line << '\n' << std::flush; }

void inform(std::ostream& out, const std::string& text) { say(out, "info string " + text); }

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

// Reads one move of a position command and checks it like a human move in the game.
bool readUciMove(const std::string& text, const Board& b, const MoveTable& table, MoveInfo& move,
                 std::string& error) {
    const bool shaped = (text.size() == 4 || text.size() == 5) && text[0] >= 'a' && text[0] <= 'h' &&
                        text[1] >= '1' && text[1] <= '8' && text[2] >= 'a' && text[2] <= 'h' && text[3] >= '1' &&
                        text[3] <= '8';
    int kind = -1;
    if (shaped && text.size() == 5) {
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(text[4])));
        const std::string letters = "rnbq";  // Rook 1, Knight 2, Bishop 3, Queen 4
        const size_t at = letters.find(letter);
        if (at != std::string::npos) kind = static_cast<int>(at) + Rook;
    }
    if (!shaped || (text.size() == 5 && kind < 0)) {
        error = "malformed move '" + text + "' (moves are written like e2e4, e1g1 or e7e8q)";
        return false;
    }
    move = MoveInfo(text[1] - '1', text[0] - 'a', text[3] - '1', text[2] - 'a', NoPromotion, 0);
    const RuleError code = checkMove(b, move, table, true, true);
    if (code != Legal) {
        char reason[64] = "";
        moveErrorText(code, reason);
        error = "illegal move " + text + ": " + reason;
        return false;
    }
    const bool promoting = isPromotion(b, move);
    if (promoting && kind < 0) {
        error = "illegal move " + text + ": a pawn reaching the last rank needs its piece (q, r, b or n)";
        return false;
    }
    if (!promoting && kind >= 0) {
        error = "illegal move " + text + ": only a pawn reaching the last rank is promoted";
        return false;
    }
    if (promoting) move.promotion = pieceCode(kind, b.sideToMove);
    return true;
}

// What makes a position one the rules cannot play from: the engine needs exactly one king a
// side, no pawn on a back rank, and no king that the side to move could take.
std::string positionFault(const Board& b) {
    int kings[2] = {0, 0};
    for (int s = 0; s < 64; ++s) {
        const PieceCode p = b.squares[s];
        if (p == WhiteKing || p == BlackKing) ++kings[pieceColour(p)];
        if ((p == WhitePawn || p == BlackPawn) && (s / 8 == 0 || s / 8 == 7))
            return "a pawn on the first or last rank";
    }
    if (kings[White] != 1 || kings[Black] != 1) return "each side needs exactly one king";
    Board other(b);
    other.switchSide();
    if (isInCheck(other)) return "the side not to move is in check";
    return "";
}

// Each iteration of the engine's thinking gets its info line as it ends.
std::ostream* infoOut = nullptr;
int64_t thinkStart = 0;

void reportIteration(int depth, const MoveInfo& result) {
    const int64_t ms = millisecondClock() - thinkStart;
    const long long nps = nodeCount * 1000LL / (ms + 1);  // one ms more, as the panel counts, never 0
    std::ostringstream line;
    line << "info depth " << depth << " score " << uciScore(result.value) << " nodes " << nodeCount << " nps " << nps
         << " time " << ms;
    if (result.onBoard() && !(result.fromRow == result.toRow && result.fromCol == result.toCol))
        line << " pv " << uciMoveName(result);
    say(*infoOut, line.str());
}

}  // namespace

std::string uciMoveName(const MoveInfo& m) {
    std::string s;
    s += static_cast<char>('a' + m.fromCol);
    s += static_cast<char>('1' + m.fromRow);
    s += static_cast<char>('a' + m.toCol);
    s += static_cast<char>('1' + m.toRow);
    if (isPromotionPiece(m.promotion)) s += "?rnbq"[pieceKind(m.promotion)];
    return s;
}

// A position without a legal move scores ply - 10001 for a side that is mated there and
// 10001 - ply for one that is stalemated (the engine counts stalemate nearly a win for the side
// that cannot move). At the root a mate the engine gives at ply p (odd) reads 10001 - p and a mate
// it suffers at ply p (even) p - 10001; the other parity belongs to the stalemates, which stay in
// centipawns. The distance is the one the search saw: a value kept in the table from an earlier
// move counts from that move's root.
std::string uciScore(int value) {
    const int mateValue = scoreLimit + 1;
    const int longestMate = 100;  // plies; evaluations stay far below scoreLimit - longestMate
    if (value > mateValue - longestMate) {
        const int ply = mateValue - value;
        if (ply % 2 == 1) return "mate " + std::to_string((ply + 1) / 2);
    } else if (value < longestMate - mateValue) {
        const int ply = mateValue + value;
        if (ply > 0 && ply % 2 == 0) return "mate -" + std::to_string(ply / 2);
    }
    return "cp " + std::to_string(value);
}

UciEngine::~UciEngine() { delete session; }

void UciEngine::newGame() {
    delete session;
    session = nullptr;
    session = new GameSession;
    buildMoveTable(*session->moveTable);
    session->board->setStartPosition();
}

// An answer held back for stop goes out before anything else happens.
void UciEngine::release(std::ostream& out) {
    if (!holding) return;
    holding = false;
    say(out, "bestmove " + heldMove);
}

bool UciEngine::handle(const std::string& line, std::ostream& out) {
    const std::vector<std::string> w = words(line);
    // UCI: an unknown word is skipped and the rest of the line read as if it were not there.
    static const char* const commands[] = {"uci",        "debug", "isready", "setoption", "register", "ucinewgame",
                                           "position",   "go",    "stop",    "ponderhit", "quit"};
    size_t at = 0;
    std::string command;
    for (; at < w.size() && command.empty(); ++at)
        for (const char* c : commands)
            if (w[at] == c) command = c;
    if (command.empty()) return true;
    std::string rest;
    for (size_t i = at; i < w.size(); ++i) rest += (rest.empty() ? "" : " ") + w[i];

    if (command == "uci") {
        say(out, std::string("id name ") + idName);
        say(out, std::string("id author ") + idAuthor);
        say(out, "uciok");
    } else if (command == "isready") {
        say(out, "readyok");
    } else if (command == "ucinewgame") {
        release(out);
        newGame();
    } else if (command == "position") {
        release(out);
        if (!session) newGame();
        setPosition(rest, out);
    } else if (command == "go") {
        release(out);
        if (!session) newGame();
        go(rest, out);
    } else if (command == "stop" || command == "ponderhit") {
        release(out);
    } else if (command == "quit") {
        return false;
    }
    // debug, setoption and register: the engine has no modes, options or registration.
    return true;
}

void UciEngine::setPosition(const std::string& args, std::ostream& out) {
    const std::vector<std::string> w = words(args);
    size_t movesAt = 0;
    while (movesAt < w.size() && w[movesAt] != "moves") ++movesAt;

    Board b;
    if (!w.empty() && w[0] == "startpos") {
        b.setStartPosition();
        if (movesAt > 1) inform(out, "ignored '" + w[1] + "' after startpos");
    } else if (!w.empty() && w[0] == "fen") {
        std::string fen, error;
        for (size_t i = 1; i < movesAt; ++i) fen += (i > 1 ? " " : "") + w[i];
        if (!readFen(fen, b, error) || !(error = positionFault(b)).empty()) {
            inform(out, "bad FEN '" + fen + "': " + error + "; the position is unchanged");
            return;
        }
    } else {
        inform(out, "position needs startpos or fen; the position is unchanged");
        return;
    }

    for (size_t i = movesAt + 1; i < w.size(); ++i) {
        MoveInfo move;
        std::string error;
        if (!readUciMove(w[i], b, *session->moveTable, move, error)) {
            inform(out, error + "; the moves from this one on are ignored");
            break;
        }
        makeMove(b, move);
        b.switchSide();
    }
    *session->board = b;
}

void UciEngine::go(const std::string& args, std::ostream& out) {
    // Every parameter is accepted; the engine's depth rule is its own. Only infinite and ponder
    // matter: they ask for the answer to wait for stop.
    bool waitForStop = false;
    for (const std::string& word : words(args))
        if (word == "infinite" || word == "ponder") waitForStop = true;

    const Board& b = *session->board;
    const MoveTable& table = *session->moveTable;
    std::string answer = "0000";
    if (hasLegalMove(b)) {
        infoOut = &out;
        thinkStart = millisecondClock();
        iterationDone = reportIteration;
        const MoveInfo thought = think(b, table, *session->table, true, true);
        iterationDone = nullptr;
        answer = uciMoveName(playableEngineMove(b, table, thought));
    }

    if (waitForStop) {
        heldMove = answer;
        holding = true;
    } else {
        say(out, "bestmove " + answer);
    }
}
