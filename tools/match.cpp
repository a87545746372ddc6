// vimochess-match: two UCI engines play each other, several games at once, from a book of openings,
// each opening twice with the colours reversed, at a time control or at a fixed number of positions
// per move (which a busy machine cannot disturb), and the match stops as soon as a sequential
// probability ratio test decides. A game ends by the rules (mate, stalemate, threefold repetition,
// the fifty-move rule, insufficient material), by a loss on time, an illegal move, a crash or a hang,
// or, when asked, by adjudication once both engines agree that it is lost or drawn.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <thread>
#include <vector>

#include "engine/clock.h"
#include "engine/deep/evaluation.h"
#include "engine/deep/keys.h"
#include "match_statistics.h"
#include "rules/fen.h"
#include "rules/game_end.h"
#include "rules/move_generator.h"

namespace {

const char usage[] =
    "usage: vimochess-match -1 COMMAND -2 COMMAND -openings FILE [options]\n"
    "  -1, -2 COMMAND         the two engines (a shell command each)\n"
    "  -o1, -o2 NAME=VALUE    a UCI option of the first or second engine (repeatable)\n"
    "  -openings FILE         one FEN a line; each opening is played twice, colours reversed\n"
    "  -games N               at most N games (default: two per opening)\n"
    "  -tc SECONDS+INCREMENT  the clock (default 10+0.1), or\n"
    "  -nodes N               go nodes N for every move, with no clock\n"
    "  -concurrency K         K games at once (default 1)\n"
    "  -sprt ELO0 ELO1        stop when the test accepts either (alpha = beta = 0.05)\n"
    "  -chess960              Chess960: the engines told UCI_Chess960, castling as the king taking\n"
    "                         its rook, the openings' castling fields as X-FEN or Shredder-FEN\n"
    "  -adjudicate            end a game that both engines score beyond 1000 or, from move 40,\n"
    "                         within 10 centipawns for ten half-moves\n"
    "  -out FILE              each game as a line: result|starting FEN|moves|each move's score from\n"
    "                         White's side, as its engine told it, and the phase of its position\n"
    "  -log FILE              every line said to and by the engines, timed, for finding out whose\n"
    "                         fault a lost game is\n";

// The dialogue with the engines, when -log asks for it: "MS GAME ENGINE > LINE" for a line sent,
// "<" for one received, "!" for what the runner saw (a deadline passed, an engine gone).
struct Dialogue {
    std::mutex guard;
    std::ofstream file;
    int64_t start = millisecondClock();
    void note(int64_t game, int engine, char direction, const std::string& line) {
        if (!file.is_open()) return;
        std::lock_guard<std::mutex> hold(guard);
        file << millisecondClock() - start << " " << game + 1 << " " << engine << " " << direction << " " << line << "\n" << std::flush;
    }
};
Dialogue dialogue;

// An engine in a process of its own, talked to through pipes.
struct EngineProcess {
    pid_t pid = -1;
    int toEngine = -1, fromEngine = -1;
    std::string pending;
    int number = 0;      // 1 or 2, as the command line names it, for the dialogue
    int64_t game = -1;   // the game it plays, for the dialogue
    bool closed = false;  // its output ended: it exited or crashed

    bool start(const std::string& command) {
        int in[2], out[2];
        if (pipe(in) != 0 || pipe(out) != 0) return false;
        pid = fork();
        if (pid == 0) {
            dup2(in[0], 0), dup2(out[1], 1);
            close(in[0]), close(in[1]), close(out[0]), close(out[1]);
            execl("/bin/sh", "sh", "-c", ("exec " + command).c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        close(in[0]), close(out[1]);
        toEngine = in[1], fromEngine = out[0];
        return pid > 0;
    }
    bool send(const std::string& line) {
        dialogue.note(game, number, '>', line);
        const std::string text = line + "\n";
        return write(toEngine, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    }
    // The next line, waiting until the deadline (millisecondClock); false when none came.
    bool readLine(std::string& line, int64_t deadline) {
        for (;;) {
            const size_t end = pending.find('\n');
            if (end != std::string::npos) {
                line = pending.substr(0, end);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                pending.erase(0, end + 1);
                dialogue.note(game, number, '<', line);
                return true;
            }
            pollfd p{fromEngine, POLLIN, 0};
            const int64_t wait = deadline - millisecondClock();
            if (wait <= 0) return dialogue.note(game, number, '!', "deadline passed"), false;
            if (poll(&p, 1, static_cast<int>(std::min<int64_t>(wait, 1000))) < 0) return false;
            if (!(p.revents & (POLLIN | POLLHUP))) continue;
            char buffer[4096];
            const ssize_t n = read(fromEngine, buffer, sizeof buffer);
            if (n <= 0) return closed = true, dialogue.note(game, number, '!', "output closed"), false;
            pending.append(buffer, static_cast<size_t>(n));
        }
    }
    bool waitFor(const std::string& word, int64_t milliseconds) {
        const int64_t deadline = millisecondClock() + milliseconds;
        for (std::string line; readLine(line, deadline);)
            if (line.rfind(word, 0) == 0) return true;
        return false;
    }
    // How a process whose output closed ended: its exit status or the signal that killed it (seen
    // without reaping it, which stop does).
    std::string ending() const {
        siginfo_t info{};
        for (int i = 0; i < 50; ++i) {
            info.si_pid = 0;
            if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 && info.si_pid == pid) break;
            usleep(20000);
        }
        if (info.si_pid != pid) return "its output closed";
        return info.si_code == CLD_EXITED ? "exit status " + std::to_string(info.si_status)
                                          : "killed by signal " + std::to_string(info.si_status);
    }
    void stop() {
        if (pid <= 0) return;
        closed = false;
        send("quit");
        close(toEngine), close(fromEngine);
        for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i) usleep(20000);
        if (waitpid(pid, nullptr, WNOHANG) == 0) kill(pid, SIGKILL), waitpid(pid, nullptr, 0);
        pid = -1;
    }
};

struct Settings {
    std::string commands[2];
    std::vector<std::string> options[2];
    std::vector<std::string> openings;
    int64_t games = 0, nodes = 0, base = 10000, increment = 100;
    int concurrency = 1;
    bool sprt = false, adjudicate = false, chess960 = false;
    double elo0 = 0, elo1 = 0;
    std::string out;
};

// Starts an engine and makes it ready for a game: its options set, then a new game.
bool ready(EngineProcess& e, const std::string& command, const std::vector<std::string>& options) {
    if (!e.start(command) || !e.send("uci") || !e.waitFor("uciok", 10000)) return false;
    for (const std::string& o : options) {
        const size_t at = o.find('=');
        e.send("setoption name " + o.substr(0, at) + " value " + (at == std::string::npos ? "" : o.substr(at + 1)));
    }
    return e.send("isready") && e.waitFor("readyok", 10000);
}

struct Game {
    double whiteScore = 0.5;
    std::string reason, moves, scores;
    bool anomaly = false;  // a loss by an illegal move, a crash, a hang or the clock
};

// The last score an engine told in its info lines, from its own side; none: 0.
int toldScore(const std::string& line, int previous) {
    const std::vector<std::string> w = words(line);
    for (size_t i = 0; i + 2 < w.size(); ++i)
        if (w[i] == "score") {
            const long v = std::strtol(w[i + 2].c_str(), nullptr, 10);
            return w[i + 1] == "mate" ? (v > 0 ? 30000 : -30000) : static_cast<int>(std::max(-30000L, std::min(30000L, v)));
        }
    return previous;
}

// One game from the FEN, `engines[0]` White. A move is checked against the rules' own list.
Game playGame(EngineProcess* engines[2], const std::string& fen, const Settings& s) {
    Game g;
    Board b;
    std::string error;
    readFen(fen, b, error, s.chess960);
    int64_t clock[2] = {s.base, s.base};
    int halfMoves = b.quietMoveCount;
    std::map<uint64_t, int> seen{{deep::positionKey(b), 1}};
    std::vector<int> scores;
    for (int i = 0; i < 2; ++i) engines[i]->send("ucinewgame"), engines[i]->send("isready"), engines[i]->waitFor("readyok", 10000);
    const auto finish = [&](double whiteScore, const std::string& reason, bool anomaly = false) {
        g.whiteScore = whiteScore, g.reason = reason, g.anomaly = anomaly;
        return g;
    };
    for (int ply = 0;; ++ply) {
        const int side = b.sideToMove;
        const double loss = side == White ? 0 : 1;
        const Occupancy occupied(b);
        std::vector<GeneratedMove> legal;
        MoveWalk walk(b, occupied, true);
        for (GeneratedMove m; walk.next(m);) legal.push_back(m);
        if (legal.empty()) return finish(isInCheck(b) ? loss : 0.5, isInCheck(b) ? "mate" : "stalemate");
        if (halfMoves >= 100) return finish(0.5, "fifty-move rule");
        if (insufficientMaterial(b, occupied.all())) return finish(0.5, "insufficient material");
        if (seen[deep::positionKey(b)] >= 3) return finish(0.5, "threefold repetition");
        EngineProcess& e = *engines[side];
        e.send("position fen " + fen + (g.moves.empty() ? "" : " moves" + g.moves));
        const std::string go = s.nodes > 0 ? "go nodes " + std::to_string(s.nodes)
                                           : "go wtime " + std::to_string(clock[0]) + " btime " + std::to_string(clock[1]) +
                                                 " winc " + std::to_string(s.increment) + " binc " + std::to_string(s.increment);
        const int64_t started = millisecondClock();
        e.send(go);
        std::string line, answer;
        int score = 0;
        while (answer.empty() && e.readLine(line, started + (s.nodes > 0 ? 60000 : clock[side] + 5000))) {
            if (line.rfind("info", 0) == 0) score = toldScore(line, score);
            if (line.rfind("bestmove", 0) == 0) answer = line.size() > 9 ? words(line)[1] : "";
        }
        const int64_t used = millisecondClock() - started;
        // Whose fault it is: an engine that died crashed; one still running that said nothing, or
        // no bestmove, by the deadline hung.
        if (answer.empty())
            return finish(loss, e.closed ? "crash: " + e.ending() : line.empty() ? "hang: no answer in time" : "hang: no bestmove in time", true);
        if (s.nodes == 0) {
            if (used > clock[side]) return finish(loss, "loss on time", true);
            clock[side] += s.increment - used;
        }
        const auto found = std::find_if(legal.begin(), legal.end(), [&](const GeneratedMove& m) { return uciMoveName(m.info()) == answer; });
        if (found == legal.end()) return finish(loss, "illegal move " + answer, true);
        const int phase = deep::Placement(b).phase;  // of the position the score is for
        MoveEffect effect;
        describeMove(b, found->from, found->to, found->promotion, effect);
        halfMoves = effect.halfMoveClockAfter(halfMoves);
        makeMove(b, found->info(), effect);
        b.switchSide();
        ++seen[deep::positionKey(b)];
        g.moves += " " + answer;
        g.scores += " " + std::to_string(side == White ? score : -score) + "/" + std::to_string(phase);
        // Adjudication: both engines' last two scores, from White's side.
        scores.push_back(side == White ? score : -score);
        const size_t n = scores.size();
        if (s.adjudicate && n >= 4) {
            const auto all = [&](size_t count, auto test) { return n >= count && std::all_of(scores.end() - count, scores.end(), test); };
            if (all(4, [](int v) { return v >= 1000; })) return finish(1, "adjudicated: White wins");
            if (all(4, [](int v) { return v <= -1000; })) return finish(0, "adjudicated: Black wins");
            if (ply >= 80 && all(10, [](int v) { return v >= -10 && v <= 10; })) return finish(0.5, "adjudicated: drawn");
        }
    }
}

struct Match {
    const Settings& s;
    std::mutex guard;
    std::atomic<int64_t> next{0};
    std::atomic<bool> decided{false};
    std::map<int64_t, double> firstScores;  // by game, waiting for its pair
    PairCounts counts;
    int64_t played = 0, anomalies = 0;
    double points = 0;
    const int64_t started = millisecondClock();
    std::ofstream out;

    explicit Match(const Settings& settings) : s(settings) {
        if (!s.out.empty()) out.open(s.out, std::ios::app);
    }

    // A worker: its own two engines, and games taken in turn until none is left.
    void work() {
        EngineProcess engines[2];
        for (int i = 0; i < 2; ++i) engines[i].number = i + 1;
        for (int i = 0; i < 2; ++i)
            if (!ready(engines[i], s.commands[i], s.options[i])) {
                std::fprintf(stderr, "vimochess-match: engine %d (%s) did not start\n", i + 1, s.commands[i].c_str());
                decided = true;
            }
        for (int64_t game; !decided && (game = next++) < s.games;) {
            const std::string& fen = s.openings[(game / 2) % s.openings.size()];
            const bool firstIsWhite = game % 2 == 0;
            EngineProcess* sides[2] = {&engines[firstIsWhite ? 0 : 1], &engines[firstIsWhite ? 1 : 0]};
            engines[0].game = engines[1].game = game;
            const Game g = playGame(sides, fen, s);
            record(game, firstIsWhite, fen, g);
            // An engine that crashed or hung is started again for the next game.
            for (int i = 0; g.anomaly && i < 2; ++i) engines[i].stop(), ready(engines[i], s.commands[i], s.options[i]);
        }
        for (EngineProcess& e : engines) e.stop();
    }

    void record(int64_t game, bool firstIsWhite, const std::string& fen, const Game& g) {
        std::lock_guard<std::mutex> hold(guard);
        const double first = firstIsWhite ? g.whiteScore : 1 - g.whiteScore;
        ++played, points += first, anomalies += g.anomaly;
        const char* result = g.whiteScore == 1 ? "1-0" : g.whiteScore == 0 ? "0-1" : "1/2-1/2";
        if (out)
            out << result << "|" << fen << "|" << g.moves.substr(g.moves.empty() ? 0 : 1) << "|"
                << g.scores.substr(g.scores.empty() ? 0 : 1) << "\n" << std::flush;
        std::printf("game %lld: %s (%s)%s\n", static_cast<long long>(game + 1), result, g.reason.c_str(),
                    firstIsWhite ? ", first engine White" : ", first engine Black");
        const auto other = firstScores.find(game ^ 1);
        if (other == firstScores.end()) {
            firstScores[game] = first;
        } else {
            ++counts.pairs[static_cast<int>(std::lround(2 * (first + other->second)))];
            firstScores.erase(other);
        }
        const double llr = sprtLlr(counts, s.elo0, s.elo1);
        std::printf("  %lld games, first engine %.1f points (%.1f %%), Elo %+.1f +- %.1f over %lld pairs", static_cast<long long>(played),
                    points, 100 * points / played, eloDifference(counts), eloMargin(counts), static_cast<long long>(counts.total()));
        if (s.sprt) std::printf(", LLR %.2f (%.2f, %.2f)", llr, sprtLower(0.05, 0.05), sprtUpper(0.05, 0.05));
        const double minutes = (millisecondClock() - started) / 60000.0;
        std::printf("; %.1f games a minute, %.0f minutes left at most\n", played / minutes, (s.games - played) / (played / minutes));
        std::fflush(stdout);
        if (s.sprt && (llr >= sprtUpper(0.05, 0.05) || llr <= sprtLower(0.05, 0.05))) decided = true;
    }
};

int fail(const std::string& message) {
    std::fprintf(stderr, "vimochess-match: %s\n", message.c_str());
    return 2;
}

bool number(const std::string& text, double& value) {
    char* end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && *end == '\0' && value >= -1e9 && value <= 1e9;
}

}  // namespace

int main(int argc, char** argv) {
    signal(SIGPIPE, SIG_IGN);  // an engine that died is a lost game, not the end of the match
    Settings s;
    std::string openings;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const auto value = [&]() -> std::string { return i + 1 < argc ? argv[++i] : ""; };
        double x = 0, y = 0;
        if (a == "-1" || a == "-2") s.commands[a == "-2"] = value();
        else if (a == "-o1" || a == "-o2") s.options[a == "-o2"].push_back(value());
        else if (a == "-openings") openings = value();
        else if (a == "-games" && number(value(), x) && x >= 1) s.games = static_cast<int64_t>(x);
        else if (a == "-nodes" && number(value(), x) && x >= 1) s.nodes = static_cast<int64_t>(x);
        else if (a == "-concurrency" && number(value(), x) && x >= 1 && x <= 64) s.concurrency = static_cast<int>(x);
        else if (a == "-adjudicate") s.adjudicate = true;
        else if (a == "-chess960") s.chess960 = true;
        else if (a == "-out") s.out = value();
        else if (a == "-log") dialogue.file.open(value(), std::ios::app);
        else if (a == "-tc") {
            const std::string tc = value();
            const size_t plus = tc.find('+');
            if (!number(tc.substr(0, plus), x) || x <= 0 || (plus != std::string::npos && (!number(tc.substr(plus + 1), y) || y < 0)))
                return fail("bad time control '" + tc + "' (as 10+0.1)");
            s.base = std::llround(x * 1000), s.increment = std::llround(y * 1000);
        } else if (a == "-sprt" && number(value(), x) && number(value(), y) && x < y) {
            s.sprt = true, s.elo0 = x, s.elo1 = y;
        } else {
            return fail("bad argument '" + a + "'\n" + usage);
        }
    }
    if (s.commands[0].empty() || s.commands[1].empty() || openings.empty()) return fail(std::string("missing argument\n") + usage);
    std::ifstream in(openings);
    for (std::string line; std::getline(in, line);) {
        Board b;
        std::string error;
        if (line.empty() || line[0] == '#') continue;
        if (!readFen(line, b, error, s.chess960) || !(error = positionFault(b)).empty())
            return fail("bad opening '" + line + "': " + error);
        s.openings.push_back(line);
    }
    if (s.openings.empty()) return fail("no openings in '" + openings + "'");
    for (int i = 0; s.chess960 && i < 2; ++i) s.options[i].insert(s.options[i].begin(), "UCI_Chess960=true");
    if (s.games == 0) s.games = 2 * static_cast<int64_t>(s.openings.size());
    Match match(s);
    std::vector<std::thread> workers;
    for (int i = 0; i < s.concurrency; ++i) workers.emplace_back([&match] { match.work(); });
    for (std::thread& w : workers) w.join();
    std::printf("%lld games, %lld lost by an illegal move, a crash, a hang or the clock\n", static_cast<long long>(match.played),
                static_cast<long long>(match.anomalies));
    if (s.sprt) {
        const double llr = sprtLlr(match.counts, s.elo0, s.elo1);
        std::printf("SPRT [%g, %g]: %s\n", s.elo0, s.elo1,
                    llr >= sprtUpper(0.05, 0.05) ? "H1 accepted" : llr <= sprtLower(0.05, 0.05) ? "H0 accepted" : "undecided");
    }
    return 0;
}
