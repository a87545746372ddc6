// The search walks the tree on a stack of boards instead of building it from heap nodes. It visits
// exactly the positions, in exactly the order, that walking generateMoves' chains would:
// the candidates of a position come in chain order (White: origins and destinations from 63 down,
// Black: from 0 up, promotions queen, bishop, knight, rook), made one at a time as the walk reaches
// them, and a beta cut-off simply stops making them. Only the root, whose progress line shows the
// number of candidates, and a node given a first move list them all beforehand.
#include <algorithm>
#include <cassert>
#include <vector>

#include "../rules/game_end.h"
#include "../rules/rule_checker.h"
#include "engine.h"
#include "evaluation.h"
#include "search_display.h"

int32_t rootDepth = 0;
int32_t nodeCount = 0;

namespace {

void showProgress(int moveNo, int count) {
    if (!showPanelText) return;
    char text[64];
    formatProgress(text, moveNo, count);
    showPanelText(ProgressText, text);
}

void showBestMove(const MoveInfo& move, int value) {
    if (!showPanelText) return;
    char text[64];
    formatBestMove(text, move, value);
    showPanelText(BestMoveText, text);
}

// For every piece and origin, the destinations its geometry allows, in ascending order.
struct Destinations {
    uint8_t count[12][64];
    uint8_t to[12][64][28];

    explicit Destinations(const MoveTable& table) {
        for (int p = 0; p < 12; ++p)
            for (int from = 0; from < 64; ++from) {
                int n = 0;
                for (int t = 0; t < 64; ++t)
                    if (table.flags[p][from][t]) to[p][from][n++] = static_cast<uint8_t>(t);
                count[p][from] = static_cast<uint8_t>(n);
            }
    }
};

// A position on the search stack, with its table keys kept up to date move by move.
struct Frame {
    Board board;
    int32_t index;
    int32_t key;
    EvaluationTerms terms;
};

struct Search {
    const Engine& engine;
    const MoveTable& table;
    TranspositionTable& tt;
    const Destinations& destinations;

    MoveInfo node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal);
    void makeChild(const Frame& parent, const MoveInfo& move, Frame& child) const;
    void prepareChild(const Frame& parent, const MoveInfo& move, Frame& child) const {
        makeChild(parent, move, child);
        __builtin_prefetch(&tt.entries[child.index]);
    }
};

// The keys change only on the squares a move touches: origin, destination, the pawn taken en
// passant and the castling rook's two squares.
void Search::makeChild(const Frame& parent, const MoveInfo& m, Frame& child) const {
    child.board = parent.board;
    Board& b = child.board;
    makeMove(b, m);
    b.switchSide();
    b.lastMove = m;

    const int from = m.fromRow * 8 + m.fromCol;
    const PieceCode piece = parent.board.squares[from];
    int touched[5] = {from, m.toRow * 8 + m.toCol};
    int n = 2;
    if ((piece == 0 || piece == 1) && m.fromCol != m.toCol) touched[n++] = m.fromRow * 8 + m.toCol;
    if ((piece == 10 || piece == 11) && m.fromCol == 4 && (m.toCol == 2 || m.toCol == 6)) {
        touched[n++] = m.fromRow * 8 + (m.toCol == 2 ? 0 : 7);
        touched[n++] = m.fromRow * 8 + (m.toCol == 2 ? 3 : 5);
    }
    int32_t index = parent.index, key = parent.key;
    child.terms = parent.terms;
    for (int i = 0; i < n; ++i) {
        const int s = touched[i];
        const PieceCode was = parent.board.squares[s], now = b.squares[s];
        if (was == now) continue;
        if (was != EmptySquare) {
            index ^= tt.indexKeys[was][s], key ^= tt.checkKeys[was][s];
            child.terms.remove(was, s);
        }
        if (now != EmptySquare) {
            index ^= tt.indexKeys[now][s], key ^= tt.checkKeys[now][s];
            child.terms.add(now, s);
        }
    }
    child.terms.settle();
    child.index = index;
    child.key = key;
    assert(index == tt.indexOf(b) && key == tt.checkKeyOf(b));
}

// The candidates of a position in chain order, made one at a time.
struct CandidateWalk {
    const Board& b;
    const MoveTable& table;
    const Destinations& d;
    const bool white;
    int origin;       // counts 0..63 along the walk
    int dest = -1;    // position in the origin's destination list, -1 before it starts
    int promotion = -1;  // the next promotion piece kind, -1 when not promoting
    MoveInfo pending;

    CandidateWalk(const Board& board, const MoveTable& t, const Destinations& dests)
        : b(board), table(t), d(dests), white(board.sideToMove == White), origin(0) {}

    bool next(MoveInfo& m) {
        if (promotion >= Rook) {
            m = pending;
            m.promotion = pieceCode(promotion--, white ? White : Black);
            if (promotion < Rook) promotion = -1;
            return true;
        }
        for (; origin < 64; ++origin) {
            const int from = white ? 63 - origin : origin;
            const PieceCode piece = b.squares[from];
            if (pieceSide(piece) != b.sideToMove) continue;
            const int n = d.count[piece][from];
            if (dest < 0) dest = 0;
            while (dest < n) {
                const int k = white ? n - 1 - dest : dest;
                ++dest;
                const int to = d.to[piece][from][k];
                // A move onto an own piece is always refused; that is the commonest case.
                if (pieceSide(b.squares[to]) == b.sideToMove) continue;
                if (checkMoveBetween(b, from, to, table, true, false) != Legal) continue;
                const MoveInfo move(from / 8, from % 8, to / 8, to % 8, NoPromotion, 0);
                if (promotesPawn(piece, move)) {
                    pending = move;
                    m = move;
                    m.promotion = pieceCode(Queen, piece);
                    promotion = Bishop;  // then knight and rook
                    return true;
                }
                m = move;
                return true;
            }
            dest = -1;
        }
        return false;
    }
};

MoveInfo withValue(const MoveInfo& m, int value) {
    return MoveInfo(m.fromRow, m.fromCol, m.toRow, m.toCol, m.promotion, value);
}

MoveInfo Search::node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal) {
    const Board& b = f.board;

    // A stored answer counts only when the rules accept its move here: two positions may share
    // both keys, and a node without a legal move stores the move that led to it.
    const TableEntry& entry = tt.entries[f.index];
    if (entry.valid == 1 && entry.side == b.sideToMove && entry.key == f.key && entry.depth >= depth &&
        entry.move.onBoard() && checkMove(b, entry.move, table, true, false) == Legal)
        return entry.move;

    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) {
        const int32_t value = f.terms.known() ? f.terms.score(b.sideToMove) : engine.evaluate(b);
        assert(value == engine.evaluate(b));
        return withValue(b.lastMove, value);
    }

    const bool isRoot = depth == rootDepth;
    // The opponent's king: a candidate that removes the last one shows this position illegal.
    const PieceCode theirKing = b.sideToMove == White ? 11 : 10;
    const int theirKings = f.terms.kings[theirKing % 2];

    // The root and a node given a first move know all their candidates beforehand.
    std::vector<MoveInfo> listed;
    CandidateWalk walk(b, table, destinations);
    const bool listAll = isRoot || firstMove;
    if (listAll) {
        for (MoveInfo m; walk.next(m);) listed.push_back(m);
        if (firstMove) {
            int found = -1;
            for (size_t i = 0; i < listed.size(); ++i)
                if (listed[i].sameSquares(*firstMove)) found = static_cast<int>(i);
            if (found > 0) std::rotate(listed.begin(), listed.begin() + found, listed.begin() + found + 1);
        }
    }
    const int count = static_cast<int>(listed.size());

    bool anyLegal = false;
    int moveNo = 0;
    MoveInfo firstLegal;
    size_t at = 0;
    auto nextCandidate = [&](MoveInfo& m) {
        if (!listAll) return walk.next(m);
        if (at == listed.size()) return false;
        m = listed[at++];
        return true;
    };
    // Candidates are made a few steps ahead, so that their table entries are on their way into
    // the cache while earlier ones are searched: most candidates are leaves, and the table probe
    // is their costliest step.
    const int ring = 3;
    Frame frames[ring];
    MoveInfo moves[ring];
    int made = 0, used = 0;
    auto refill = [&] {
        while (made - used < ring && nextCandidate(moves[made % ring])) {
            prepareChild(f, moves[made % ring], frames[made % ring]);
            ++made;
        }
    };
    refill();
    while (used < made && best.value < beta) {
        const MoveInfo& m = moves[used % ring];
        const Frame& child = frames[used % ring];

        ++nodeCount;
        ++moveNo;
        if (isRoot) showProgress(moveNo, count);

        if (theirKings - (b.at(m.toRow, m.toCol) == theirKing) <= 0) {
            legal = false;
            return best;
        }

        alpha = std::max(alpha, best.value);
        bool childLegal = true;
        const MoveInfo r = node(child, depth - 1, -beta, -alpha, nullptr, childLegal);
        const int v = -r.value;
        if (childLegal) {
            if (!anyLegal) firstLegal = withValue(m, v);
            anyLegal = true;
            if (v > best.value) {
                best = withValue(m, v);
                if (isRoot) showBestMove(best, v);
            }
        }
        ++used;
        refill();
    }

    // The root must always name a move: when every legal move scores the lowest possible value,
    // play the first of them rather than the empty record.
    MoveInfo answer = best;
    if (isRoot && anyLegal && best.value <= -scoreLimit) answer = firstLegal;

    if (!anyLegal) {
        const int ply = rootDepth - depth;
        best = withValue(b.lastMove, isInCheck(b, table) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply);
        answer = best;
    }

    tt.store(f.index, f.key, b.sideToMove, depth, best);
    return answer;
}

}  // namespace

MoveInfo Engine::search(PositionNode* node, const MoveTable& table, TranspositionTable& tt, int depth, int alpha,
                        int beta, const MoveInfo* firstMove) const {
    Destinations* destinations = new Destinations(table);
    Search s{*this, table, tt, *destinations};
    Frame root;
    root.board = *node->board;
    root.index = tt.indexOf(root.board);
    root.key = tt.checkKeyOf(root.board);
    root.terms = EvaluationTerms(root.board);
    bool legal = true;
    const MoveInfo result = s.node(root, depth, alpha, beta, firstMove, legal);
    if (!legal) node->legal = 0;
    delete destinations;
    return result;
}
