#include "uci.h"

#include <algorithm>
#include <cstdlib>
#include <ostream>
#include <sstream>

#include "engine/clock.h"
#include "engine/deep/levels.h"
#include "engine/window/move_choice.h"
#include "engine/window/opening_book.h"
#include "engine/window/engine.h"
#include "rules/move_generator.h"

namespace {

const char idName[] = "VimoChess 0.01a";
const char idAuthor[] = "the VimoChess developers";
const int maxHashMegabytes = 1024;

std::mutex outputGuard;

std::string joined(const std::vector<std::string>& w, size_t from, size_t to) {
    std::string s;
    for (size_t i = from; i < to && i < w.size(); ++i) s += (s.empty() ? "" : " ") + w[i];
    return s;
}

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

// The deep search's iterations and, in long searches, the root move it is on.
void reportDeep(void* context, const deep::Report& r) {
    std::ostringstream line;
    line << "info depth " << r.depth;
    if (r.currentMoveNumber > 0) {
        line << " currmove " << uciMoveName(r.currentMove) << " currmovenumber " << r.currentMoveNumber;
    } else {
        line << " seldepth " << r.selectiveDepth << " score " << uciDeepScore(r.score) << " nodes " << r.nodes
             << " nps " << r.nodes * 1000 / (r.milliseconds + 1) << " hashfull " << r.hashPermille << " time "
             << r.milliseconds << " pv";
        for (const MoveInfo& m : r.pv) line << " " << uciMoveName(m);
    }
    sayLine(*static_cast<std::ostream*>(context), line.str());
}

// Reads "go"'s parameters into limits; a number that is not one is told in errors and its limit
// left out. `limited`: some limit bounds this search (a clock for the side not to move alone does
// not).
void readLimits(const std::vector<std::string>& w, int sideToMove, deep::Limits& limits, bool& limited,
                bool& infinite, bool& ponder, std::vector<std::string>& errors) {
    infinite = ponder = false;
    for (size_t i = 0; i < w.size(); ++i) {
        const std::string& word = w[i];
        if (word == "infinite" || word == "ponder") {
            (word == "infinite" ? infinite : ponder) = true;
            continue;
        }
        static const char* const numbers[] = {"depth", "nodes", "movetime", "wtime", "btime", "winc", "binc", "movestogo", "mate"};
        if (std::find_if(std::begin(numbers), std::end(numbers), [&](const char* n) { return word == n; }) == std::end(numbers))
            continue;  // searchmoves and its moves, or anything unknown
        const std::string text = i + 1 < w.size() ? w[++i] : "";
        char* end = nullptr;
        const long long v = std::strtoll(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || text.size() > 12) {
            errors.push_back("go: '" + word + "' needs a number, not '" + text + "'");
            continue;
        }
        const int64_t n = std::max<long long>(v, 0);
        const int capped = static_cast<int>(std::min<int64_t>(n, deep::maxPly - 1));
        if (word == "depth") limits.depth = std::max(capped, 1);
        if (word == "mate") limits.depth = std::max(std::min(2 * capped, deep::maxPly - 1), 1);
        if (word == "nodes") limits.nodes = std::max<int64_t>(n, 1);
        if (word == "movetime") limits.moveTime = std::max<int64_t>(n, 1);
        if (word == "wtime" || word == "btime") limits.time[word == "wtime" ? White : Black] = n;  // below 0: none left
        if (word == "winc" || word == "binc") limits.increment[word == "winc" ? White : Black] = n;
        if (word == "movestogo") limits.movesToGo = capped;
    }
    const int side = sideToMove == White ? White : Black;
    limited = infinite || ponder || limits.depth || limits.nodes || limits.moveTime || limits.time[side] >= 0;
}

}  // namespace

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}

void sayLine(std::ostream& out, const std::string& line) {
    std::lock_guard<std::mutex> hold(outputGuard);
    out << line << '\n' << std::flush;
}

UciEngine::~UciEngine() {
    finishSearch();
    delete session;
    delete deepTable;
}

void UciEngine::newGame() {
    delete session;
    session = nullptr;
    session = new GameSession(tableBits(settings.hashMegabytes));
    buildMoveTable(*session->moveTable);
    session->board->setStartPosition();
    history.clear();
    halfMoves = 0;
    if (deepTable)
        deepTable->clear();
    else
        deepTable = new deep::Table(settings.hashMegabytes);
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
        sayLine(out, "option name Hash type spin default 9 min 1 max " + std::to_string(maxHashMegabytes));
        sayLine(out, "option name Clear Hash type button");
        sayLine(out, "option name Ponder type check default false");
        sayLine(out, "option name Move Overhead type spin default 50 min 0 max 5000");
        sayLine(out, "option name UCI_LimitStrength type check default false");
        sayLine(out, "option name UCI_Elo type spin default " + std::to_string(deep::maxElo) + " min " +
                         std::to_string(deep::minElo) + " max " + std::to_string(deep::maxElo));
        sayLine(out, "option name Window Engine type check default false");
        sayLine(out, "uciok");
    } else if (command == "isready") {
        sayLine(out, "readyok");
    } else if (command == "stop" || command == "quit") {
        finishSearch();
        return command != "quit";
    } else if (command == "ponderhit") {
        ponderFlag = false;
        std::lock_guard<std::mutex> hold(answerGuard);
        holdAnswer = false;
        if (searchEnded && !answer.empty()) sayLine(*answerOut, answer), answer.clear();
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

void UciEngine::setOption(const std::string& args, std::ostream& out) {
    const std::vector<std::string> w = words(args);
    const size_t valueAt = std::find(w.begin(), w.end(), "value") - w.begin();
    const std::string name = !w.empty() && w[0] == "name" ? joined(w, 1, valueAt) : "";
    const std::string value = joined(w, valueAt + 1, w.size());
    const auto number = [&](int low, int high, int& into) {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || v < low || v > high)
            return sayLine(out, "info string " + name + " takes a number from " + std::to_string(low) + " to " +
                                    std::to_string(high) + ", not '" + value + "'");
        into = static_cast<int>(v);
    };
    const auto check = [&](bool& into) {
        if (value != "true" && value != "false") return sayLine(out, "info string " + name + " is true or false, not '" + value + "'");
        into = value == "true";
    };
    if (name == "Hash") {
        const int before = settings.hashMegabytes;
        number(1, maxHashMegabytes, settings.hashMegabytes);
        if (settings.hashMegabytes != before) {  // made again now, so that no search waits for it
            delete deepTable;
            deepTable = new deep::Table(settings.hashMegabytes);
        }
    } else if (name == "Clear Hash") {
        if (deepTable) deepTable->clear();
        if (session) session->table->clear(), LoadOpeningBook(*session->table);
    } else if (name == "Move Overhead") {
        number(0, 5000, settings.moveOverhead);
    } else if (name == "UCI_LimitStrength") {
        check(settings.limitStrength);
    } else if (name == "UCI_Elo") {
        number(deep::minElo, deep::maxElo, settings.elo);
    } else if (name == "Window Engine") {
        check(settings.windowEngine);
    } else if (name != "Ponder") {  // Ponder only tells that the GUI may send go ponder
        sayLine(out, "info string no option '" + name + "'");
    }
}

void UciEngine::go(const std::string& args, std::ostream& out) {
    const Board board = *session->board;
    deep::Limits limits;
    bool limited, infinite, ponder;
    std::vector<std::string> errors;
    readLimits(words(args), board.sideToMove, limits, limited, infinite, ponder, errors);
    for (const std::string& error : errors) sayLine(out, "info string " + error);
    limits.moveOverhead = settings.moveOverhead;

    stopFlag = false;
    ponderFlag = ponder;
    searchEnded = false;
    answer.clear();
    holdAnswer = infinite || ponder;
    answerOut = &out;
    if (!hasLegalMove(board)) return searchEnded_("bestmove 0000");

    if (!limited || settings.windowEngine) {
        // The window's engine: depths 3, 4 and 5, from the game's own table and book.
        worker = std::thread([this, board, &out] {
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
    int noise = 0;
    if (settings.limitStrength) {
        const deep::Level level = deep::levelFor(settings.elo > 0 ? settings.elo : deep::maxElo);
        if (level.nodes > 0 && (limits.nodes == 0 || level.nodes < limits.nodes)) limits.nodes = level.nodes;
        noise = level.noise;
    }
    const std::vector<uint64_t> keys = history;
    const int clock = halfMoves;
    worker = std::thread([this, board, limits, keys, clock, noise, &out] {
        deep::Search search(*deepTable, stopFlag, ponderFlag);
        search.limits = limits;
        search.history = keys;
        search.rootHalfMoves = clock;
        search.report = reportDeep;
        search.reportContext = &out;
        search.noise = noise;
        search.noiseSeed = static_cast<uint32_t>(millisecondClock());
        MoveInfo reply;
        const MoveInfo best = search.run(board, &reply);
        std::string line = "bestmove " + (best.onBoard() ? uciMoveName(best) : std::string("0000"));
        if (best.onBoard() && reply.onBoard()) line += " ponder " + uciMoveName(reply);
        searchEnded_(line);
    });
}

// The worker's last act: the answer goes out now, or when stop or ponderhit comes.
void UciEngine::searchEnded_(const std::string& bestmove) {
    std::lock_guard<std::mutex> hold(answerGuard);
    searchEnded = true;
    answer = bestmove;
    if (!holdAnswer) sayLine(*answerOut, answer), answer.clear();
}

void UciEngine::finishSearch() {
    stopFlag = true;
    {
        std::lock_guard<std::mutex> hold(answerGuard);
        holdAnswer = false;
        if (searchEnded && !answer.empty()) sayLine(*answerOut, answer), answer.clear();
    }
    if (worker.joinable()) worker.join();
}

void UciEngine::wait() {
    if (worker.joinable()) worker.join();
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
