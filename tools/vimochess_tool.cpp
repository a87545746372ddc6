// vimochess-tool: the rules and the engine from the command line, positions given as FEN.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/move_generation.h"
#include "fen.h"
#include "rules/rule_checker.h"

namespace {

const char usage[] =
    "usage: vimochess-tool COMMAND ARGS\n"
    "  perft FEN DEPTH    number of leaves of the tree of legal moves\n"
    "  divide FEN DEPTH   the same per legal move, then the total\n"
    "  check FEN MOVE     rule error code of a move such as E2-E4 (0 when legal)\n"
    "FEN may be one quoted argument or its fields as separate arguments.\n";

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

uint64_t perft(const Board& board, const MoveTable& table, int depth) {
    if (depth == 0) return 1;
    MoveList* list = generateMoves(board, table, true);
    uint64_t n = 0;
    if (depth == 1)
        n = childCount(list);
    else
        for (PositionNode* c = list->firstChild; c; c = c->nextSibling) n += perft(*c->board, table, depth - 1);
    destroyChildren(list);
    delete list;
    return n;
}

// Reads "FEN ... X": the position and the last word.
bool positionAnd(const Args& a, Board& board, std::string& last, std::string& error) {
    if (a.words.size() < 2) {
        error = "missing argument";
        return false;
    }
    last = a.words.back();
    return readFen(a.fen(1), board, error);
}

int perftCommand(const Args& a, const MoveTable& table, bool divide) {
    Board board;
    std::string depthText, error;
    if (!positionAnd(a, board, depthText, error)) return fail(error);
    int depth;
    if (!readDepth(depthText, 10, depth)) return fail("bad depth '" + depthText + "' (0 to 10)");
    if (!divide) {
        std::printf("%llu\n", static_cast<unsigned long long>(perft(board, table, depth)));
        return 0;
    }
    if (depth == 0) return fail("divide needs a depth of at least 1");
    MoveList* list = generateMoves(board, table, true);
    uint64_t total = 0;
    for (PositionNode* c = list->firstChild; c; c = c->nextSibling) {
        const uint64_t n = perft(*c->board, table, depth - 1);
        total += n;
        std::printf("%s %llu\n", moveName(c->board->lastMove).c_str(), static_cast<unsigned long long>(n));
    }
    destroyChildren(list);
    delete list;
    std::printf("total %llu\n", static_cast<unsigned long long>(total));
    return 0;
}

int checkCommand(const Args& a, const MoveTable& table) {
    Board board;
    std::string moveText, error;
    if (!positionAnd(a, board, moveText, error)) return fail(error);
    MoveInfo move;
    if (!readMove(moveText, board.sideToMove, move, error)) return fail(error);
    const RuleError code = checkMove(board, move, table, true, true);
    char text[64] = "";
    moveErrorText(code, text);
    std::printf(code ? "%d %s\n" : "%d\n", static_cast<int>(code), text);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(usage, stderr);
        return 2;
    }
    const std::string command = argv[1];
    Args args;
    for (int i = 2; i < argc; ++i) args.words.push_back(argv[i]);

    MoveTable* table = new MoveTable;
    buildMoveTable(*table);
    int status;
    if (command == "perft" || command == "divide")
        status = perftCommand(args, *table, command == "divide");
    else if (command == "check")
        status = checkCommand(args, *table);
    else if (command == "help" || command == "--help")
        status = (std::fputs(usage, stdout), 0);
    else
        status = fail("unknown command '" + command + "'\n" + usage);
    delete table;
    return status;
}
