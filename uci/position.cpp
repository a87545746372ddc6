// The position command: reading positions and moves, and keeping the game's history for the
// deep search's draws by repetition and by the fifty-move rule.
#include <cctype>

#include "engine/deep/keys.h"
#include "engine/window/engine.h"
#include "rules/fen.h"
#include "rules/rule_checker.h"
#include "uci.h"

bool UciEngine::readUciMove(const std::string& text, const Board& b, std::string& error, MoveInfo& move) const {
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
    const RuleError code = checkMove(b, move, *session->moveTable, true, true);
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

void UciEngine::setPosition(const std::string& args, std::ostream& out) {
    const std::vector<std::string> w = words(args);
    size_t movesAt = 0;
    while (movesAt < w.size() && w[movesAt] != "moves") ++movesAt;
    // A refusal is told at once, and again by the next go, which answers 0000: a move of an earlier
    // position would be illegal in the one the GUI means.
    const auto refuse = [&](const std::string& text) {
        positionError = text;
        sayLine(out, "info string " + text + "; the position is refused");
    };
    positionError.clear();

    Board b;
    if (!w.empty() && w[0] == "startpos") {
        b.setStartPosition();
        b.chess960 = settings.chess960;
        if (movesAt > 1) sayLine(out, "info string ignored '" + w[1] + "' after startpos");
    } else if (!w.empty() && w[0] == "fen") {
        std::string fen, error;
        for (size_t i = 1; i < movesAt; ++i) fen += (i > 1 ? " " : "") + w[i];
        if (!readFen(fen, b, error, settings.chess960) || !(error = positionFault(b)).empty()) {
            return refuse("bad FEN '" + fen + "': " + error);
        }
    } else {
        return refuse("position needs startpos or fen");
    }

    // The FEN's half-move clock counts moves since the last capture or pawn move.
    std::vector<uint64_t> keys;
    int clock = b.quietMoveCount;
    for (size_t i = movesAt + 1; i < w.size(); ++i) {
        MoveInfo move;
        std::string error;
        if (!readUciMove(w[i], b, error, move)) {
            refuse(error);
            break;
        }
        deep::playGameMove(b, move, keys, clock);
    }
    *session->board = b;
    history = keys;
    halfMoves = clock;
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

std::string uciDeepScore(int score) {
    using deep::mateScore, deep::maxPly;
    if (score > mateScore - maxPly) return "mate " + std::to_string((mateScore - score + 1) / 2);
    if (score < maxPly - mateScore) return "mate -" + std::to_string((mateScore + score) / 2);
    return "cp " + std::to_string(score);
}
