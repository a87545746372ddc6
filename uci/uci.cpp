#include "uci.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include "engine/clock.h"
#include "engine/deep/levels.h"
#include "engine/deep/wdl.h"
#include "engine/window/move_choice.h"
#include "engine/window/opening_book.h"
#include "engine/window/engine.h"
#include "rules/fen.h"
#include "rules/move_generator.h"

namespace {

const char idName[] = "VimoChess 0.01a";
const char idAuthor[] = "the VimoChess developers";
const int chess960PlainDepth = 10;

std::mutex outputGuard;

// The window engine's table size for a Hash value: the largest power of two of entries that fits,
// up to 2^22 (150 MB), more than its searches of depth 5 can fill.
int8_t tableBits(int megabytes) {
    int8_t bits = 0;
    while (bits < 22 && (static_cast<int64_t>(sizeof(TableEntry)) << (bits + 1)) <= (static_cast<int64_t>(megabytes) << 20))
        ++bits;
    return bits;
}

// Each iteration of the window engine's thinking gets its info line as it ends, timed from when
// the go came.
struct ThinkingListener {
    std::ostream* out;
    int64_t startedAt;
};

void reportIteration(const SearchContext& context, int depth, const MoveInfo& result) {
    const ThinkingListener& listener = *static_cast<const ThinkingListener*>(context.listener);
    const int64_t ms = millisecondClock() - listener.startedAt;
    const long long nps = context.nodeCount * 1000LL / (ms + 1);  // one ms more, as the panel counts, never 0
    std::ostringstream line;
    line << "info depth " << depth << " score " << uciScore(result.value) << " nodes " << context.nodeCount << " nps "
         << nps << " time " << ms;
    if (result.onBoard() && !(result.fromRow == result.toRow && result.fromCol == result.toCol))
        line << " pv " << uciMoveName(result);
    sayLine(*listener.out, line.str());
}

// Reads "go"'s parameters into limits; a number that is not one is told in errors and its limit
// left out. `limited`: some limit bounds this search (a clock for the side not to move alone does
// not). `searchMoves`: the words after searchmoves, up to the next of go's words.
void readLimits(const std::vector<std::string>& w, int sideToMove, deep::Limits& limits, bool& limited,
                bool& infinite, bool& ponder, std::vector<std::string>& searchMoves, std::vector<std::string>& errors) {
    infinite = ponder = false;
    static const char* const numbers[] = {"depth", "nodes", "movetime", "wtime", "btime", "winc", "binc", "movestogo", "mate"};
    const auto isNumber = [&](const std::string& word) {
        return std::find_if(std::begin(numbers), std::end(numbers), [&](const char* n) { return word == n; }) != std::end(numbers);
    };
    bool listing = false;
    for (size_t i = 0; i < w.size(); ++i) {
        const std::string& word = w[i];
        if (word == "infinite" || word == "ponder") {
            (word == "infinite" ? infinite : ponder) = true;
            listing = false;
            continue;
        }
        if (word == "searchmoves" || (listing && !isNumber(word))) {
            if (listing) searchMoves.push_back(word);
            listing = true;
            continue;
        }
        listing = false;
        if (!isNumber(word)) continue;  // anything unknown
        const std::string text = i + 1 < w.size() ? w[++i] : "";
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || text.size() > 12) {
            errors.push_back("go: '" + word + "' needs a number, not '" + text + "'");
            continue;
        }
        if (word == "nodes" && v <= 0) {  // no position at all: no search could choose the move
            errors.push_back("go: 'nodes' needs a number above 0, not '" + text + "'");
            continue;
        }
        const int64_t n = std::max<long long>(v, 0);
        const int capped = static_cast<int>(std::min<int64_t>(n, deep::maxPly - 1));
        if (word == "depth") limits.depth = std::max(capped, 1);
        if (word == "mate") limits.mate = std::max(std::min(capped, (deep::maxPly - 1) / 2), 1);
        if (word == "nodes") limits.nodes = n;
        if (word == "movetime") limits.moveTime = std::max<int64_t>(n, 1);
        if (word == "wtime" || word == "btime") limits.time[word == "wtime" ? White : Black] = n;  // below 0: none left
        if (word == "winc" || word == "binc") limits.increment[word == "winc" ? White : Black] = n;
        if (word == "movestogo") limits.movesToGo = capped;
    }
    const int side = sideToMove == White ? White : Black;
    limited = infinite || ponder || limits.depth || limits.nodes || limits.moveTime || limits.mate || limits.time[side] >= 0;
}

}  // namespace

std::string joined(const std::vector<std::string>& w, size_t from, size_t to) {
    std::string s;
    for (size_t i = from; i < to && i < w.size(); ++i) s += (s.empty() ? "" : " ") + w[i];
    return s;
}

void sayLine(std::ostream& out, const std::string& line) {
    std::lock_guard<std::mutex> hold(outputGuard);
    out << line << '\n' << std::flush;
}

UciEngine::UciEngine() : engine(settings.hashMegabytes) {}

void UciEngine::newGame() {
    session.reset();  // the old session's memory first given back
    session = std::make_unique<GameSession>(tableBits(settings.hashMegabytes));
    buildMoveTable(*session->moveTable);
    session->board->setStartPosition();
    history.clear();
    halfMoves = 0;
    positionError.clear();
    engine.clear();
}

void UciEngine::makeDeepTable(std::ostream& out) {
    if (!engine.resize(settings.hashMegabytes))
        sayLine(out, "info string Hash " + std::to_string(settings.hashMegabytes) + ": only " +
                         std::to_string(engine.tableMegabytes()) + " MB could be had, and the table has that much");
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
    const std::string rest = joined(w, at, w.size());

    if (command == "uci") {
        sayLine(out, std::string("id name ") + idName);
        sayLine(out, std::string("id author ") + idAuthor);
        listOptions(out);
        sayLine(out, "uciok");
    } else if (command == "isready") {
        sayLine(out, "readyok");
    } else if (command == "stop" || command == "quit") {
        finishSearch();
        return command != "quit";
    } else if (command == "ponderhit") {
        engine.ponderhit();
        releaseAnswer();
    } else if (command == "ucinewgame" || command == "position" || command == "go" || command == "setoption") {
        endOfInput();  // a GUI sends these only between searches: a search under way ends first
        if (command == "setoption") return setOption(rest, out), true;
        if (command == "ucinewgame" || !session) newGame();
        if (command == "position") setPosition(rest, out);
        if (command == "go") go(rest, out);
    }
    // debug and register: the engine has no debug mode and needs no registration.
    return true;
}

// go perft N: the legal moves of the position, each with the leaves below it to depth N - 1, and
// their total, as Stockfish counts them.
static void perftCommand(const Board& board, const std::string& depthText, std::ostream& out) {
    char* end = nullptr;
    const long depth = std::strtol(depthText.c_str(), &end, 10);
    if (depthText.empty() || *end != '\0' || depth < 1 || depth > 10)
        return sayLine(out, "info string go perft needs a depth from 1 to 10, not '" + depthText + "'");
    const Occupancy occupied(board);
    MoveWalk walk(board, occupied, true);
    uint64_t total = 0;
    Board child;
    Occupancy childOccupied;
    for (GeneratedMove m; walk.next(m);) {
        makeCandidate(board, occupied, m, child, childOccupied);
        const uint64_t n = perft(child, childOccupied, static_cast<int>(depth) - 1);
        total += n;
        sayLine(out, uciMoveName(m.info()) + ": " + std::to_string(n));
    }
    sayLine(out, "\nNodes searched: " + std::to_string(total) + "\n");
}

// The deep search's iterations and, in long searches, the root move it is on; with UCI_ShowWDL, the
// odds of each score.
void UciEngine::tellDeep(void* context, const deep::Report& r) {
    const UciEngine& uci = *static_cast<const UciEngine*>(context);
    std::ostringstream line;
    line << "info depth " << r.depth;
    if (r.currentMoveNumber > 0) {
        line << " currmove " << uciMoveName(r.currentMove) << " currmovenumber " << r.currentMoveNumber;
    } else {
        line << " seldepth " << r.selectiveDepth;
        if (r.line > 0) line << " multipv " << r.line;
        line << " score " << uciDeepScore(r.score);
        if (uci.settings.showWdl) {
            const deep::WinDrawLoss odds = deep::winDrawLoss(r.score, r.phase);
            line << " wdl " << odds.win << " " << odds.draw << " " << odds.loss;
        }
        line << " nodes " << r.nodes
             << " nps " << r.nodes * 1000 / (r.milliseconds + 1) << " hashfull " << r.hashPermille << " time "
             << r.milliseconds << " pv";
        for (const MoveInfo& m : r.pv) line << " " << uciMoveName(m);
    }
    sayLine(*uci.answerOut, line.str());
}

void UciEngine::deepAnswer(void* context, const MoveInfo& best, const MoveInfo& reply) {
    std::string line = "bestmove " + (best.onBoard() ? uciMoveName(best) : std::string("0000"));
    if (best.onBoard() && reply.onBoard()) line += " ponder " + uciMoveName(reply);
    static_cast<UciEngine*>(context)->searchEnded_(line);
}

void UciEngine::go(const std::string& args, std::ostream& out) {
    const Board board = *session->board;
    const std::vector<std::string> w = words(args);
    if (!w.empty() && w[0] == "perft") {
        if (!positionError.empty()) return sayLine(out, "info string no position to search: " + positionError);
        return perftCommand(board, w.size() > 1 ? w[1] : "", out);
    }
    deep::Request request;
    bool limited, infinite;
    std::vector<std::string> errors, listed;
    readLimits(w, board.sideToMove, request.limits, limited, infinite, request.ponder, listed, errors);
    for (const std::string& error : errors) sayLine(out, "info string " + error);
    request.limits.moveOverhead = settings.moveOverhead;
    request.limits.startedAt = millisecondClock();
    for (const std::string& text : listed) {
        MoveInfo move;
        std::string error;
        if (readUciMove(text, board, error, move))
            request.searchMoves.push_back(deep::Move(move.fromRow * 8 + move.fromCol, move.toRow * 8 + move.toCol,
                                                     isPromotionPiece(move.promotion) ? pieceKind(move.promotion) : 0));
        else
            sayLine(out, "info string searchmoves: " + error + "; left out");
    }
    if (!listed.empty() && request.searchMoves.empty()) sayLine(out, "info string searchmoves: no legal move listed; all are searched");

    {
        std::lock_guard<std::mutex> hold(answerGuard);
        searchEnded = false;
        answer.clear();
        holdAnswer = request.waitsForStop = infinite || request.ponder;
        answerOut = &out;
    }
    if (!positionError.empty()) sayLine(out, "info string no position to search: " + positionError);
    if (!positionError.empty() || !hasLegalMove(board)) return searchEnded_("bestmove 0000");

    if ((!limited && !settings.chess960) || settings.windowEngine) {
        // The window's engine: depths 3, 4 and 5, from the game's own table and book.
        engine.start([this, board, &out] {
            ThinkingListener listener{&out, millisecondClock()};
            SearchContext context;
            context.iterationDone = reportIteration;
            context.listener = &listener;
            const MoveTable& table = *session->moveTable;
            const MoveInfo thought = think(context, board, table, *session->table, true, true);
            searchEnded_("bestmove " + uciMoveName(playableEngineMove(board, table, thought)));
        });
        return;
    }
    if (!limited) request.limits.depth = chess960PlainDepth;  // Chess960 without limits: the deep search, to a fixed depth
    if (settings.limitStrength) {
        const deep::Level level = deep::levelFor(settings.elo > 0 ? settings.elo : deep::maxElo);
        if (level.nodes > 0 && (request.limits.nodes == 0 || level.nodes < request.limits.nodes)) request.limits.nodes = level.nodes;
        request.noise = level.noise;
    }
    request.root = board;
    request.history = history;
    request.halfMoves = halfMoves;
    request.lines = settings.multiPv;
    request.report = tellDeep;
    request.reportContext = this;
    engine.go(request, deepAnswer, this);
}

void UciEngine::searchEnded_(const std::string& bestmove) {
    std::lock_guard<std::mutex> hold(answerGuard);
    searchEnded = true;
    answer = bestmove;
    if (!holdAnswer) sayLine(*answerOut, answer), answer.clear();
}

void UciEngine::releaseAnswer() {
    std::lock_guard<std::mutex> hold(answerGuard);
    holdAnswer = false;
    if (searchEnded && !answer.empty()) sayLine(*answerOut, answer), answer.clear();
}

void UciEngine::finishSearch() {
    engine.stop();
    releaseAnswer();
}

void UciEngine::endOfInput() {
    bool waits;
    {
        std::lock_guard<std::mutex> hold(answerGuard);
        waits = holdAnswer;
    }
    if (!waits) wait();
    finishSearch();
}
