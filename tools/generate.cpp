// vimochess-generate: positions to learn an evaluation from. The deep search plays itself, a fixed
// number of positions a move, on several threads; each game starts from random moves (from the
// start position, or from a book of openings) and goes on to its end by the rules or until a side
// is clearly won or the game clearly drawn. Every quiet position of it (the side to move not in
// check, the move chosen no capture or promotion, no mate in sight) is written with the search's
// score and the game's result (tools/training_data.h).
//
// The same seed gives the same games. A file that exists is continued: a game cut short by an
// interruption is dropped, the games already there are not played again, and new ones are appended
// until the file holds the positions asked for.
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/deep/engine.h"
#include "engine/deep/history.h"
#include "engine/deep/keys.h"
#include "engine/deep/search.h"
#include "rules/fen.h"
#include "rules/game_end.h"
#include "rules/move_generator.h"
#include "training_data.h"

namespace {

const char usage[] =
    "usage: vimochess-generate -out FILE -positions N [options]\n"
    "  -out FILE          where the positions go (continued when it exists)\n"
    "  -positions N       stop once the file holds N positions\n"
    "  -nodes N           positions searched a move (default 5000)\n"
    "  -threads T         games at once (default: the processors there are)\n"
    "  -seed S            the games' seed (default 1)\n"
    "  -random-plies R    random moves before the search plays: R or R + 1 (default 8)\n"
    "  -book FILE         start from these openings (one FEN a line) rather than the start position\n"
    "  -eval NAME         the evaluation: <built-in> (the net the programs carry), <hand-made>, or a\n"
    "                     net file (default: the one the UCI engine starts with)\n";

const int scoreBound = 2500;      // beyond it a mate is in sight: the position is not written
const int winScore = 1000;        // both sides agree on a win beyond it ...
const int winPlies = 6;           // ... for so many half-moves: the game is adjudicated
const int drawScore = 8;          // from drawPly, within it ...
const int drawPlies = 16;         // ... for so many half-moves: a draw
const int drawPly = 100;
const int maxPlies = 400;         // a game still going then is a draw
const int balancedScore = 300;    // an opening beyond it is not played
const int64_t openingNodes = 2000;

struct Settings {
    std::string out, book, evaluation = deep::startingEvaluation;
    int64_t positions = 0, nodes = 5000;
    int threads = static_cast<int>(std::max(1u, std::thread::hardware_concurrency()));
    uint64_t seed = 1;
    int randomPlies = 8;
};

bool number(const char* text, int64_t low, int64_t& value) {
    char* end = nullptr;
    const long long v = std::strtoll(text, &end, 10);
    if (*text == '\0' || *end != '\0' || v < low) return false;
    value = v;
    return true;
}

// The game's positions so far, for repetitions: a key per position, and the standard half-move clock.
struct Game {
    Board board;
    std::vector<uint64_t> keys;
    int halfMoves = 0;

    bool repeatedThrice() const {
        const uint64_t now = deep::positionKey(board);
        int seen = 0;
        for (size_t back = 2; back <= static_cast<size_t>(halfMoves) && back <= keys.size(); back += 2)
            seen += keys[keys.size() - back] == now;
        return seen >= 2;
    }
    void play(const MoveInfo& move) { deep::playGameMove(board, move, keys, halfMoves); }
};

// The search's move, and its score for the side to move.
struct Found {
    MoveInfo move;
    int score;
};

struct Generator {
    Settings settings;
    std::unique_ptr<deep::Network> loaded;  // a net from a file
    const deep::Network* network = nullptr;
    std::vector<Board> openings;
    std::FILE* file = nullptr;
    std::mutex writing;
    std::set<uint32_t> done;  // games already in the file
    std::atomic<uint32_t> nextGame{0};
    std::atomic<int64_t> positions{0}, games{0};

    // The next game not yet in the file; false once the file holds enough.
    bool take(uint32_t& number) {
        std::lock_guard<std::mutex> hold(writing);
        if (positions.load() >= settings.positions) return false;
        do number = nextGame++;
        while (done.count(number));
        return true;
    }

    Found search(deep::Table& table, std::vector<std::unique_ptr<deep::ThreadMemory>>& memory, const Game& g, int64_t nodes) {
        static const std::atomic<bool> never{false};
        deep::Search s(table, never, never);
        s.limits.nodes = nodes;
        s.history = g.keys;
        s.rootHalfMoves = g.halfMoves;
        s.memory = &memory;
        s.network = network;
        const MoveInfo best = s.run(g.board);
        return {best, best.value};
    }

    // Plays game `number`; its positions go to `records`, nothing when its opening is unbalanced.
    void play(uint32_t number, deep::Table& table, std::vector<training::Record>& records) {
        std::mt19937_64 random(settings.seed * 0x9E3779B97F4A7C15ull + number);
        Game g;
        if (openings.empty()) g.board.setStartPosition();
        else g.board = openings[random() % openings.size()];
        for (int ply = settings.randomPlies + static_cast<int>(number & 1); ply > 0; --ply) {
            std::vector<MoveInfo> moves;
            const Occupancy occupied(g.board);
            MoveWalk walk(g.board, occupied, true);
            for (GeneratedMove m; walk.next(m);) moves.push_back(m.info());
            if (moves.empty()) return;
            g.play(moves[random() % moves.size()]);
        }
        table.clear();
        std::vector<std::unique_ptr<deep::ThreadMemory>> memory;  // what the search learns, for this game
        if (!hasLegalMove(g.board) || std::abs(search(table, memory, g, openingNodes).score) > balancedScore) return;

        int result = 0, winning = 0, level = 0;
        for (int ply = 0;; ++ply) {
            const bool check = isInCheck(g.board);
            if (!hasLegalMove(g.board)) {
                result = check ? (g.board.sideToMove == White ? -1 : 1) : 0;
                break;
            }
            if (g.halfMoves >= 100 || insufficientMaterial(g.board, Occupancy(g.board).all()) || g.repeatedThrice() ||
                ply >= maxPlies)
                break;
            const Found found = search(table, memory, g, settings.nodes);
            const int white = g.board.sideToMove == White ? found.score : -found.score;
            const MoveInfo& m = found.move;
            const PieceCode target = g.board.at(m.toRow, m.toCol);
            const bool capture = target != EmptySquare || (pieceKind(g.board.at(m.fromRow, m.fromCol)) == Pawn && m.fromCol != m.toCol);
            if (!check && !capture && !isPromotionPiece(m.promotion) && std::abs(found.score) < scoreBound) {
                training::Record r;
                for (int s = 0; s < 64; ++s) r.board.squares[s] = g.board.squares[s];
                r.board.sideToMove = g.board.sideToMove;
                r.score = white;
                r.game = number;
                records.push_back(r);
            }
            // Adjudication: a win both sides see for several half-moves, a long stretch of equality.
            winning = white >= winScore ? std::max(winning, 0) + 1 : white <= -winScore ? std::min(winning, 0) - 1 : 0;
            if (std::abs(winning) >= winPlies) {
                result = winning > 0 ? 1 : -1;
                break;
            }
            level = ply >= drawPly && std::abs(white) <= drawScore ? level + 1 : 0;
            if (level >= drawPlies) break;
            g.play(m);
        }
        for (training::Record& r : records) r.result = result;
        if (!records.empty()) records.back().lastOfGame = true;
    }

    void write(const std::vector<training::Record>& records) {
        std::vector<unsigned char> bytes(records.size() * training::recordSize);
        for (size_t i = 0; i < records.size(); ++i) training::pack(records[i], &bytes[i * training::recordSize]);
        std::lock_guard<std::mutex> hold(writing);
        if (std::fwrite(bytes.data(), 1, bytes.size(), file) != bytes.size() || std::fflush(file) != 0) {
            std::fprintf(stderr, "vimochess-generate: cannot write %s\n", settings.out.c_str());
            std::exit(1);
        }
        positions += static_cast<int64_t>(records.size());
        ++games;
    }

    // What the file holds already: whole games are kept, a game cut short at its end is dropped.
    bool resume() {
        std::FILE* in = std::fopen(settings.out.c_str(), "rb");
        if (!in) return true;  // a new file
        std::vector<unsigned char> bytes;
        unsigned char block[1 << 16];
        for (size_t n; (n = std::fread(block, 1, sizeof block, in)) > 0;) bytes.insert(bytes.end(), block, block + n);
        std::fclose(in);
        size_t keep = 0;
        for (size_t at = 0; at + training::recordSize <= bytes.size(); at += training::recordSize) {
            training::Record r;
            std::string error;
            if (!training::unpack(&bytes[at], r, error)) {
                std::fprintf(stderr, "vimochess-generate: %s: record %zu is damaged (%s); not continued\n",
                             settings.out.c_str(), at / training::recordSize, error.c_str());
                return false;
            }
            if (r.lastOfGame) keep = at + training::recordSize, done.insert(r.game), ++games;
        }
        if (keep < bytes.size()) {
            std::fprintf(stderr, "vimochess-generate: %s: dropping %zu bytes of a game cut short\n", settings.out.c_str(),
                         bytes.size() - keep);
            if (std::FILE* out = std::fopen(settings.out.c_str(), "wb")) {
                const bool ok = std::fwrite(bytes.data(), 1, keep, out) == keep;
                if (std::fclose(out) != 0 || !ok) return std::fprintf(stderr, "vimochess-generate: cannot write %s\n", settings.out.c_str()), false;
            } else {
                return std::fprintf(stderr, "vimochess-generate: cannot write %s\n", settings.out.c_str()), false;
            }
        }
        positions = static_cast<int64_t>(keep / training::recordSize);
        return true;
    }

    void work() {
        deep::Table table(16);
        for (uint32_t number; take(number);) {
            std::vector<training::Record> records;
            play(number, table, records);
            if (!records.empty()) write(records);
        }
    }
};

}  // namespace

int main(int argc, char** argv) {
    Generator generator;
    Settings& s = generator.settings;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        const char* v = i + 1 < argc ? argv[i + 1] : nullptr;
        int64_t n = 0;
        bool ok = v != nullptr;
        if (a == "-out" && ok) s.out = v;
        else if (a == "-book" && ok) s.book = v;
        else if (a == "-eval" && ok) s.evaluation = v;
        else if (a == "-positions" && ok && (ok = number(v, 1, n))) s.positions = n;
        else if (a == "-nodes" && ok && (ok = number(v, 1, n))) s.nodes = n;
        else if (a == "-threads" && ok && (ok = number(v, 1, n) && n <= 256)) s.threads = static_cast<int>(n);
        else if (a == "-seed" && ok && (ok = number(v, 0, n))) s.seed = static_cast<uint64_t>(n);
        else if (a == "-random-plies" && ok && (ok = number(v, 0, n) && n <= 40)) s.randomPlies = static_cast<int>(n);
        else ok = false;
        if (!ok) {
            std::fprintf(stderr, "vimochess-generate: bad argument '%s%s%s'\n%s", a.c_str(), v ? " " : "", v ? v : "", usage);
            return 2;
        }
        ++i;
    }
    if (s.out.empty() || s.positions == 0) return std::fprintf(stderr, "%s", usage), 2;
    if (!s.book.empty()) {
        std::ifstream in(s.book);
        if (!in) return std::fprintf(stderr, "vimochess-generate: cannot read %s\n", s.book.c_str()), 2;
        int lineNumber = 0;
        for (std::string line, error; std::getline(in, line);) {
            ++lineNumber;
            if (line.empty()) continue;
            Board b;
            if (!readFen(line, b, error))
                return std::fprintf(stderr, "vimochess-generate: %s:%d: %s\n", s.book.c_str(), lineNumber, error.c_str()), 2;
            generator.openings.push_back(b);
        }
        if (generator.openings.empty()) return std::fprintf(stderr, "vimochess-generate: %s holds no opening\n", s.book.c_str()), 2;
    }
    if (s.evaluation == deep::builtInNetwork) {
        generator.network = &deep::embeddedNetwork();
    } else if (s.evaluation != deep::handMadeEvaluation) {
        std::string error;
        if (!(generator.loaded = deep::readNetwork(s.evaluation, error)))
            return std::fprintf(stderr, "vimochess-generate: %s\n", error.c_str()), 2;
        generator.network = generator.loaded.get();
    }
    if (!generator.resume()) return 1;
    generator.file = std::fopen(s.out.c_str(), "ab");
    if (!generator.file) return std::fprintf(stderr, "vimochess-generate: cannot write %s\n", s.out.c_str()), 1;

    const int64_t before = generator.positions.load();
    const auto start = std::chrono::steady_clock::now();
    std::vector<std::thread> threads;
    for (int t = 0; t < s.threads; ++t) threads.emplace_back([&generator] { generator.work(); });
    std::atomic<bool> finished{false};
    std::thread progress([&] {
        // Every ten seconds: where it is, how fast, and how long the rest will take at that speed.
        for (int tick = 1; !finished.load(); ++tick) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            if (tick % 100 != 0) continue;
            const double hours = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / 3600;
            const int64_t now = generator.positions.load(), made = now - before;
            const double rate = made / hours, left = rate > 0 ? (s.positions - now) / rate * 60 : 0;
            std::fprintf(stderr, "vimochess-generate: %lld of %lld positions, %lld games; %.0f positions an hour; %.0f minutes left\n",
                         static_cast<long long>(now), static_cast<long long>(s.positions),
                         static_cast<long long>(generator.games.load()), rate, left > 0 ? left : 0);
        }
    });
    for (std::thread& t : threads) t.join();
    finished = true;
    progress.join();
    std::fclose(generator.file);
    std::fprintf(stderr, "vimochess-generate: %s holds %lld positions of %lld games\n", s.out.c_str(),
                 static_cast<long long>(generator.positions.load()), static_cast<long long>(generator.games.load()));
    return 0;
}
