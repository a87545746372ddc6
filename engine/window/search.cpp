// The search walks the tree on a stack of frames instead of building it from heap nodes. It visits
// exactly the positions, in exactly the order, that walking generateMoves' chains would: the
// candidates of a position come from the move generator in the engine's order, made one at a time
// as the walk reaches them, and a beta cut-off simply stops making them. Only the root, whose
// progress line shows the number of candidates, and a node given a first move list them all
// beforehand.
//
// What a visit costs is another matter, and most visits are leaves:
// - a position's keys, occupied squares and evaluation terms follow from its parent's and the
//   squares the move changes (Frame);
// - a leaf's board is not even made when the table surely holds nothing for it: its keys and score
//   follow from its parent's, and what leaving its square does to them is worked out once per piece
//   (LeafValues);
// - the table's probe marks settle almost every probe without reading the large table;
// - the root is compiled apart from the nodes below it (node<true>), so that what only the root
//   does, its panel lines, costs the others nothing.
#include <algorithm>
#include <cassert>
#include <vector>

#include "../../rules/game_end.h"
#include "../../rules/rule_checker.h"
#include "engine.h"
#include "frame.h"
#include "panel.h"

namespace {

MoveInfo withValue(const MoveInfo& m, int value) {
    return MoveInfo(m.fromRow, m.fromCol, m.toRow, m.toCol, m.promotion, value);
}

struct Search {
    const Engine& engine;
    const MoveTable& table;
    TranspositionTable& tt;
    const int32_t rootDepth;  // the context's, at hand
    void (*const show)(PanelText which, const char* text);
    int32_t nodeCount = 0;    // counted here, where it is at hand, and added to the context's at the end

    // A stored answer counts only when the rules accept its move here: two positions may share both
    // keys, and a node without a legal move stores the move that led to it.
    bool usable(const TableEntry* entry, const Board& b) const {
        return entry && entry->move.onBoard() && checkMove(b, entry->move, table, true, false) == Legal;
    }
    // The root, whose depth is rootDepth, shows its progress; the nodes below it show nothing.
    template <bool isRoot>
    MoveInfo node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal);

    // The root's progress and its best move so far, on the panel.
    void showProgress(int moveNo, int count) const {
        if (!show) return;
        char text[64];
        formatProgress(text, moveNo, count);
        show(ProgressText, text);
    }
    void showBestMove(const MoveInfo& move, int value) const {
        if (!show) return;
        char text[64];
        formatBestMove(text, move, value);
        show(BestMoveText, text);
    }
};

// The values that a node's children at depth 0 return to it, as node() would find them: the
// table's answer when its move passes the checker, otherwise the evaluation. Most children are
// plain moves of a piece other than the king: what leaving its square does to the keys and the
// score is worked out once for all its destinations, and when the table surely holds nothing for
// the child, its board is never made.
struct LeafValues {
    const Search& search;
    const TranspositionTable& tt;
    const Frame& f;
    const int32_t childSide;
    const SquareKeys (*const keys)[64];  // the table's, read here on every leaf
    const MoveScorer scorer;
    const bool scoring;  // the parent's running sums hold its score
    int origin = -1;
    bool plainPiece = false;
    MoveScorer::Departure departure{};
    SquareKeys departed{};

    LeafValues(const Search& s, const Frame& frame)
        : search(s), tt(s.tt), f(frame), childSide(opponent(frame.board.sideToMove)), keys(s.tt.keys),
          scorer(frame.terms, frame.board.sideToMove & 1), scoring(frame.terms.known()) {}

    // Inline where the plain moves are answered; the rest goes to a call of its own.
    __attribute__((always_inline)) int32_t of(const GeneratedMove& m) {
        const int from = m.from, to = m.to;
        const PieceCode piece = f.board.squares[from], captured = f.board.squares[to];
        if (from != origin) {
            origin = from;
            plainPiece = scoring && pieceKind(piece) != King;
            if (plainPiece) {
                departure = scorer.depart(from, piece);
                departed = SquareKeys{f.index ^ keys[piece][from].index, f.key ^ keys[piece][from].key};
            }
        }
        const bool kingTaken = captured != EmptySquare && pieceKind(captured) == King;
        if (plainPiece && !kingTaken && !mayChangeMore(f.board, piece, from, to)) {
            const SquareKeys &taken = keys[captured][to], &entered = keys[piece][to];
            if (!tt.mayAnswer(departed.index ^ taken.index ^ entered.index, departed.key ^ taken.key ^ entered.key,
                              childSide))
                return scorer.arrive(departure, to, captured, piece);
        }
        return made(m, piece, captured, kingTaken);
    }

    // The general route: the child's effect and keys, the table's answer, the evaluation.
    __attribute__((noinline)) int32_t made(const GeneratedMove& m, PieceCode piece, PieceCode captured, bool kingTaken) {
        const int from = m.from, to = m.to;
        MoveEffect effect;
        describeMove(f.board, from, to, m.promotion, effect);
        int32_t index, key;
        f.keysAfter(effect, tt, index, key);
        const TableEntry* entry = tt.probe(index, key, childSide, 0);
        if (!entry && !kingTaken && scoring && effect.count == 2)
            return scorer.scoreAfter(from, to, piece, captured, effect.arriving);
        Frame child;
        child.play(f, m.info(), effect, index, key);
        assert(child.consistent(tt));
        if (search.usable(entry, child.board)) return entry->move.value;
        return child.value(search.engine);
    }
};

// The answer of a position without a legal move, ply half-moves below the root: mated, the sooner
// the worse, or stalemated, with the move that led to it.
MoveInfo noMoveValue(const Board& b, int ply) {
    return withValue(b.lastMove, isInCheck(b) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply);
}

template <bool isRoot>
MoveInfo Search::node(const Frame& f, int depth, int alpha, int beta, const MoveInfo* firstMove, bool& legal) {
    const Board& b = f.board;
    const TableEntry* stored = tt.probe(f.index, f.key, b.sideToMove, depth);
    if (usable(stored, b)) return stored->move;

    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) return withValue(b.lastMove, f.value(engine));

    // The opponent's king: a candidate that removes the last one shows this position illegal.
    const PieceCode theirKing = pieceCode(King, opponent(b.sideToMove));
    const int theirKings = f.terms.kings[pieceColour(theirKing)];

    // The root and a node given a first move know all their candidates beforehand.
    MoveWalk walk(b, f.occupied, false);
    std::vector<GeneratedMove> listed;
    const bool isListed = isRoot || firstMove;
    if (isListed) {
        for (GeneratedMove m; walk.next(m);) listed.push_back(m);
        int found = -1;
        for (size_t i = 0; firstMove && i < listed.size(); ++i)
            if (listed[i].info().sameSquares(*firstMove)) found = static_cast<int>(i);
        if (found > 0) std::rotate(listed.begin(), listed.begin() + found, listed.begin() + found + 1);
    }
    const int count = static_cast<int>(listed.size());
    int moveNo = 0;
    const auto take = [&](GeneratedMove& m) {
        if (!isListed) return walk.next(m);
        if (static_cast<size_t>(moveNo) == listed.size()) return false;
        m = listed[moveNo];
        return true;
    };

    LeafValues leaves(*this, f);
    bool anyLegal = false;
    MoveInfo firstLegal;
    Frame child;
    for (GeneratedMove m; best.value < beta && take(m);) {
        ++nodeCount;
        ++moveNo;
        if (isRoot) showProgress(moveNo, count);
        if (theirKings - (b.squares[m.to] == theirKing) <= 0) {
            legal = false;
            return best;
        }

        alpha = std::max(alpha, best.value);
        bool childLegal = true;
        int v;
        if (depth == 1) {
            v = -leaves.of(m);
        } else {
            child.play(f, m, tt);
            v = -node<false>(child, depth - 1, -beta, -alpha, nullptr, childLegal).value;
        }
        if (childLegal) {
            if (!anyLegal) firstLegal = withValue(m.info(), v);
            anyLegal = true;
            if (v > best.value) {
                best = withValue(m.info(), v);
                if (isRoot) showBestMove(best, v);
            }
        }
    }

    // The root must always name a move: when every legal move scores the lowest possible value,
    // play the first of them rather than the empty record.
    MoveInfo answer = best;
    if (isRoot && anyLegal && best.value <= -scoreLimit) answer = firstLegal;
    if (!anyLegal) answer = best = noMoveValue(b, rootDepth - depth);
    tt.store(f.index, f.key, b.sideToMove, depth, best);
    return answer;
}

}  // namespace

MoveInfo Engine::search(SearchContext& context, PositionNode* node, const MoveTable& table, TranspositionTable& tt,
                        int depth, int alpha, int beta, const MoveInfo* firstMove) const {
    Search s{*this, table, tt, context.rootDepth, context.showPanelText};
    const Frame root(*node->board, tt);
    bool legal = true;
    const MoveInfo result = depth == context.rootDepth ? s.node<true>(root, depth, alpha, beta, firstMove, legal)
                                                       : s.node<false>(root, depth, alpha, beta, firstMove, legal);
    context.nodeCount += s.nodeCount;
    if (!legal) node->legal = 0;
    return result;
}
