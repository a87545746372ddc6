// vimochess-tool: the rules and the engine from the command line, positions given as FEN.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <iterator>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/deep/engine.h"
#include "engine/window/move_choice.h"
#include "engine/window/opening_book.h"
#include "engine/window/random.h"
#include "engine/window/engine.h"
#include "rules/fen.h"
#include "game/game_control.h"
#include "rules/move_generator.h"
#include "rules/rule_checker.h"

namespace {

const char usage[] =
    "usage: vimochess-tool COMMAND ARGS\n"
    "  perft FEN DEPTH    number of leaves of the tree of legal moves\n"
    "  divide FEN DEPTH   the same per legal move, then the total\n"
    "  check FEN MOVE     rule error code of a move such as E2-E4 (0 when legal)\n"
    "  eval FEN           static value for the side to move\n"
    "  search FEN DEPTH   one search to DEPTH with a fresh table: MOVE VALUE NODES\n"
    "  think FEN          the engine's move choice with a fresh table: MOVE VALUE NODES\n"
    "  game N             an engine-vs-engine game of at most N half-moves\n"
    "  bench [ROUNDS]     both engines' speed on a fixed suite of positions, run ROUNDS times (7)\n"
    "  build              how this program was compiled: compiler, target, and the predefined\n"
    "                     macros that tell optimisation, instruction set and assertions\n"
    "FEN may be one quoted argument or its fields as separate arguments; a position the engine\n"
    "cannot play from (not one king a side, a pawn on the first or last rank, the side not to move\n"
    "in check) is refused.\n";

int fail(const std::string& message) {
    std::fprintf(stderr, "vimochess-tool: %s\n", message.c_str());
    return 2;
}

struct Args {
    std::vector<std::string> words;  // everything after the command
    // The FEN is all words but the last `trailing` ones.
    std::string fen(size_t trailing) const {
        std::string s;
        for (size_t i = 0; i + trailing < words.size(); ++i) s += (i ? " " : "") + words[i];
        return s;
    }
};

bool readDepth(const std::string& s, int maxDepth, int& depth) {
    if (s.empty() || s.size() > 2) return false;
    for (char c : s)
        if (c < '0' || c > '9') return false;
    depth = std::atoi(s.c_str());
    return depth <= maxDepth;
}

// Reads a position the engine can play from: a FEN it cannot read, or a position it cannot play
// from, is refused with the reason, as the UCI engine refuses it.
bool readPosition(const std::string& fen, Board& board, std::string& error) {
    if (!readFen(fen, board, error)) return false;
    error = positionFault(board);
    if (!error.empty()) error = "cannot play from this position: " + error;
    return error.empty();
}

// Reads "FEN ... X": the position and the last word.
bool positionAnd(const Args& a, Board& board, std::string& last, std::string& error) {
    if (a.words.size() < 2) {
        error = "missing argument";
        return false;
    }
    last = a.words.back();
    return readPosition(a.fen(1), board, error);
}

int perftCommand(const Args& a, bool divide) {
    Board board;
    std::string depthText, error;
    if (!positionAnd(a, board, depthText, error)) return fail(error);
    int depth;
    if (!readDepth(depthText, 10, depth)) return fail("bad depth '" + depthText + "' (0 to 10)");
    const Occupancy occupied(board);
    if (!divide) {
        std::printf("%llu\n", static_cast<unsigned long long>(perft(board, occupied, depth)));
        return 0;
    }
    if (depth == 0) return fail("divide needs a depth of at least 1");
    MoveWalk walk(board, occupied, true);
    Board child;
    Occupancy childOccupied;
    uint64_t total = 0;
    for (GeneratedMove m; walk.next(m);) {
        makeCandidate(board, occupied, m, child, childOccupied);
        const uint64_t n = perft(child, childOccupied, depth - 1);
        total += n;
        std::printf("%s %llu\n", moveName(m.info()).c_str(), static_cast<unsigned long long>(n));
    }
    std::printf("total %llu\n", static_cast<unsigned long long>(total));
    return 0;
}

int checkCommand(const Args& a, const MoveTable& table) {
    Board board;
    std::string moveText, error;
    if (!positionAnd(a, board, moveText, error)) return fail(error);
    MoveInfo move;
    if (!readMove(moveText, board.sideToMove, move, error)) return fail(error);
    if (isPromotionPiece(move.promotion) && !isPromotion(board, move))
        return fail("bad move '" + moveText + "': only a pawn reaching the last rank is promoted");
    const RuleError code = checkMove(board, move, table, true, true);
    char text[64] = "";
    moveErrorText(code, text);
    std::printf(code ? "%d %s\n" : "%d\n", static_cast<int>(code), text);
    return 0;
}

// A move name, or "none" for a record that names no move.
std::string resultMoveName(const MoveInfo& m) {
    if (!m.onBoard() || (m.fromRow == m.toRow && m.fromCol == m.toCol)) return "none";
    return moveName(m);
}

void printResult(const MoveInfo& m, const SearchContext& context) {
    std::printf("%s %d %d\n", resultMoveName(m).c_str(), static_cast<int>(m.value), static_cast<int>(context.nodeCount));
}

int evalCommand(const Args& a, const MoveTable&) {
    Board board;
    std::string error;
    if (a.words.empty()) return fail("missing argument");
    if (!readPosition(a.fen(0), board, error)) return fail(error);
    std::printf("%d\n", static_cast<int>(Engine().evaluate(board)));
    return 0;
}

int searchCommand(const Args& a, const MoveTable& table) {
    Board board;
    std::string depthText, error;
    if (!positionAnd(a, board, depthText, error)) return fail(error);
    int depth;
    if (!readDepth(depthText, 8, depth)) return fail("bad depth '" + depthText + "' (0 to 8)");
    TranspositionTable* tt = freshTable();
    SearchContext context;
    context.rootDepth = depth;
    PositionNode root;
    root.board = &board;
    const MoveInfo first(0, 0, 0, 0, NoPromotion, 0);
    printResult(Engine().search(context, &root, table, *tt, depth, -scoreLimit, scoreLimit, &first), context);
    delete tt;
    return 0;
}

int thinkCommand(const Args& a, const MoveTable& table) {
    Board board;
    std::string error;
    if (a.words.empty()) return fail("missing argument");
    if (!readPosition(a.fen(0), board, error)) return fail(error);
    TranspositionTable* tt = freshTable();
    SearchContext context;
    printResult(think(context, board, table, *tt, true, true), context);
    delete tt;
    return 0;
}

// The game command's user interface: silent, counting and printing the moves.
int gamePly = 0;
int gamePlyLimit = 0;

void printMove() {
    const MoveInfo m = currentMove.load();
    std::printf("%d %s %d %d\n", ++gamePly, moveName(m).c_str(), static_cast<int>(m.value),
                static_cast<int>(gameSearch.nodeCount));
    std::fflush(stdout);
}
bool plyLimitReached() { return gamePly >= gamePlyLimit; }

int gameCommand(const Args& a, const MoveTable&) {
    if (a.words.size() != 1) return fail("game needs one argument: the number of half-moves");
    const std::string& n = a.words[0];
    if (n.empty() || n.size() > 4 || n.find_first_not_of("0123456789") != std::string::npos)
        return fail("bad number of half-moves '" + n + "' (0 to 9999)");
    gamePlyLimit = std::atoi(n.c_str());
    gameUi = GameUi{[] {}, [](const Board&) {}, [](const Board&, const MoveTable&) {},
                    [](const Board&) { return MoveInfo(-1, -1, -1, -1); }, [](const char*) {}, [](int) {}, printMove,
                    plyLimitReached};
    restartRandom();
    GameSession* session = new GameSession;
    const int result = playGame(session, 1, 1);
    delete session;
    if (result == unfinishedGame)
        std::printf("unfinished\n");
    else
        std::printf("result %d\n", result);
    return 0;
}

// The bench suite: positions out of the book, from the opening to the endgame, then middlegames
// from games between strong players, which are harder than the first half and closer to what
// the engine meets in real play. The total node count is the engine's regression signature.
const char* const benchPositions[] = {
    "rnbqkbnr/pppppppp/8/8/8/P7/1PPPPPPP/RNBQKBNR b KQkq - 0 1",
    "rnbqkbnr/pp1ppppp/8/2p5/4P3/8/PPPP1PPP/RNBQKBNR w KQkq c6 0 2",
    "r1bqk2r/pppp1ppp/2n2n2/2b1p3/2B1P3/3P1N2/PPP2PPP/RNBQK2R w KQkq - 1 5",
    "r2q1rk1/pp2ppbp/2np1np1/8/3NP3/2N1BP2/PPPQ2PP/R3KB1R w KQ - 3 9",
    "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
    "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
    "8/5pk1/6p1/8/8/6P1/5PK1/R7 w - - 0 1",
    "6k1/5ppp/8/8/8/8/5PPP/3Q2K1 w - - 0 1",
    "8/8/4k3/8/2K5/8/3P4/8 w - - 0 1",
};
const char* const benchMiddlegames[] = {
    "r3k2r/2pb1ppp/2pp1q2/p7/1nP1B3/1P2P3/P2N1PPP/R2QK2R w KQkq a6 0 14",
    "4rrk1/2p1b1p1/p1p3q1/4p3/2P2n1p/1P1NR2P/PB3PP1/3R1QK1 b - - 2 24",
    "2q3r1/1r2pk2/pp3pp1/2pP3p/P1Pb1BbP/1P4Q1/R3NPP1/4R1K1 w - - 2 34",
    "1r2r2k/1b4q1/pp5p/2pPp1p1/P3Pn2/1P1B1Q1P/2R3P1/4BR1K b - - 1 37",
    "r1b2k1r/5n2/p4q2/1ppn1Pp1/3pp1p1/NP2P3/P1PPBK2/1RQN2R1 b - - 0 22",
    "r1bqr1k1/pp1p1ppp/2p5/8/3N1Q2/P2BB3/1PP2PPP/R3K2R b KQ - 0 12",
    "r1bq2k1/p4r1p/1pp2pp1/3p4/1P1B3Q/P2B1N2/2P3PP/4R1K1 b - - 2 19",
    "3r1rk1/1pp1pn1p/p1n1q1p1/3p4/Q3P3/2P5/PP1NBPPP/4RRK1 w - - 0 12",
    "4rrk1/pp1n1pp1/q5p1/P1pP4/2n3P1/7P/1P3PB1/R1BQ1RK1 w - - 3 22",
    "2rqr1k1/1p3p1p/p2p2p1/P1nPb3/2B1P3/5P2/1PQ2NPP/R1R4K w - - 3 25",
    "r1b2rk1/p1q1ppbp/6p1/2Q5/8/4BP2/PPP3PP/2KR1B1R b - - 2 14",
    "3br1k1/p1pn3p/1p3n2/5pNq/2P1p3/1PN3PP/P2Q1PB1/4R1K1 w - - 0 23",
};

// The depth of the deep search's run of the bench suite.
const int benchDeepDepth = 7;

// One engine's search of one position: its move, the positions it searched and the milliseconds
// the search took, the making of its table not counted.
struct BenchResult {
    std::string move;
    long long nodes;
    double ms;
};

double millisecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

// The window engine's move choice from a fresh table, as the tool's think.
BenchResult benchWindow(const Board& board, const MoveTable& table) {
    TranspositionTable* tt = freshTable();
    SearchContext context;
    const auto start = std::chrono::steady_clock::now();
    const std::string move = resultMoveName(think(context, board, table, *tt, true, true));
    const double ms = millisecondsSince(start);
    delete tt;
    return BenchResult{move, context.nodeCount, ms};
}

// The deep search to benchDeepDepth from a new game's table, as the UCI engine's go depth, with the
// evaluation the engine starts with.
BenchResult benchDeep(const Board& board, const MoveTable&) {
    deep::Table table(9);
    const std::atomic<bool> stop{false}, pondering{false};
    deep::Search search(table, stop, pondering);
    search.network = deep::startingNetwork();
    search.limits.depth = benchDeepDepth;
    search.rootHalfMoves = board.quietMoveCount;
    const auto start = std::chrono::steady_clock::now();
    const std::string move = resultMoveName(search.run(board));
    return BenchResult{move, search.nodesSearched(), millisecondsSince(start)};
}

// Runs the suite `rounds` times with one engine and prints, per position, the move, the
// positions searched and the median of its rounds' milliseconds, then totals timed as the median
// of their rounds: a single run of the suite is too short for a steady figure on a busy machine.
// Every round must search exactly what the first did. False, with the reason in error, otherwise.
bool benchRun(BenchResult (*searchOne)(const Board&, const MoveTable&), const MoveTable& table, int rounds,
              const std::vector<std::pair<std::string, size_t>>& totals, std::string& error) {
    std::vector<const char*> fens(std::begin(benchPositions), std::end(benchPositions));
    fens.insert(fens.end(), std::begin(benchMiddlegames), std::end(benchMiddlegames));
    const size_t count = fens.size();
    std::vector<BenchResult> results(count);
    std::vector<std::vector<double>> ms(count);  // per position, per round
    for (int round = 0; round < rounds; ++round)
        for (size_t i = 0; i < count; ++i) {
            Board board;
            if (!readFen(fens[i], board, error)) return false;
            const BenchResult result = searchOne(board, table);
            ms[i].push_back(result.ms);
            if (round == 0) {
                results[i] = result;
            } else if (result.move != results[i].move || result.nodes != results[i].nodes) {
                error = "round " + std::to_string(round + 1) + " searched " + fens[i] + " otherwise than round 1";
                return false;
            }
        }

    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v.size() % 2 ? v[v.size() / 2] : (v[v.size() / 2 - 1] + v[v.size() / 2]) / 2;
    };
    for (size_t i = 0; i < count; ++i)
        std::printf("%-8s %10lld nodes %7.0f ms  %s\n", results[i].move.c_str(), results[i].nodes, median(ms[i]), fens[i]);
    for (const auto& [what, from] : totals) {
        long long sum = 0;
        std::vector<double> roundMs(rounds, 0.0);
        for (size_t i = from; i < count; ++i) {
            sum += results[i].nodes;
            for (int r = 0; r < rounds; ++r) roundMs[r] += ms[i][r];
        }
        const double seconds = median(roundMs) / 1000;
        std::printf("%s nodes %lld time %.3f nps %.0f\n", what.c_str(), sum, seconds, seconds > 0 ? sum / seconds : 0.0);
    }
    return true;
}

// The window engine on the suite, its middlegames' and its whole total the signature; then the
// deep search, whose total is a second signature.
int benchCommand(const Args& a, const MoveTable& table) {
    int rounds = 7;
    if (a.words.size() > 1 || (a.words.size() == 1 && (!readDepth(a.words[0], 99, rounds) || rounds < 1)))
        return fail("bench takes at most one argument: the number of rounds (1 to 99)");
    std::string error;
    const std::string deep = "deep search depth " + std::to_string(benchDeepDepth);
    if (!benchRun(benchWindow, table, rounds, {{"middlegames", std::size(benchPositions)}, {"total", 0}}, error) ||
        !benchRun(benchDeep, table, rounds, {{deep, 0}}, error))
        return fail(error);
    return 0;
}

// The compiler's own macros, as it defined them for this build: a release must show
// __OPTIMIZE__ and NDEBUG, and a 32-bit Windows release __SSE2__ too.
const char buildMacros[] = ""
#ifdef __OPTIMIZE__
                           " __OPTIMIZE__"
#endif
#ifdef __SSE2__
                           " __SSE2__"
#endif
#ifdef __SSE4_2__
                           " __SSE4_2__"
#endif
#ifdef __AVX2__
                           " __AVX2__"
#endif
#ifdef NDEBUG
                           " NDEBUG"
#endif
    ;

int buildCommand(const Args& a, const MoveTable&) {
    if (!a.words.empty()) return fail("build takes no argument");
    std::printf("compiler version %s, %d-bit, macros:%s\n", __VERSION__, static_cast<int>(8 * sizeof(void*)), buildMacros);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return fail("missing command (vimochess-tool help lists them)");
    const std::string command = argv[1];
    Args args;
    for (int i = 2; i < argc; ++i) args.words.push_back(argv[i]);

    typedef int (*Command)(const Args&, const MoveTable&);
    const std::vector<std::pair<std::string, Command>> commands = {
        {"perft", [](const Args& a, const MoveTable&) { return perftCommand(a, false); }},
        {"divide", [](const Args& a, const MoveTable&) { return perftCommand(a, true); }},
        {"check", checkCommand}, {"eval", evalCommand}, {"search", searchCommand}, {"think", thinkCommand},
        {"game", gameCommand}, {"bench", benchCommand}, {"build", buildCommand},
        {"help", [](const Args&, const MoveTable&) { return std::fputs(usage, stdout), 0; }},
    };
    const auto found = std::find_if(commands.begin(), commands.end(), [&](const auto& c) {
        return c.first == command || (command == "--help" && c.first == "help");
    });
    if (found == commands.end()) return fail("unknown command '" + command + "' (vimochess-tool help lists them)");
    MoveTable* table = new MoveTable;
    buildMoveTable(*table);
    const int status = found->second(args, *table);
    delete table;
    return status;
}
