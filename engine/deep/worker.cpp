#include "worker.h"

#include <algorithm>
#include <cmath>

#include "../../rules/move_generator.h"
#include "evaluation.h"
#include "exchange.h"

namespace deep {

namespace {

// Bands of the move order.
const int tableMoveFirst = 1 << 30, goodCapture = 1 << 29, killer = 1 << 28;  // quiet moves: 0 up to killer
const int losingCapture = -(1 << 19), underpromotion = -(1 << 20);
const int quietMove = 1 << 20;  // and its history, from -historyLimit to historyLimit, added
bool isQuiet(int order) { return order >= 0 && order < killer; }

// A move's history: what it gained when it caused a cut-off, less what it lost when another did,
// by the square of the depth; the more it has, the less a change moves it.
const int historyLimit = 16384;
template <typename Cell>
void credit(Cell& history, int bonus) {
    history = static_cast<Cell>(history + bonus - history * std::abs(bonus) / historyLimit);
}

// The structure terms stay within this margin, mostly: beyond it material and placement decide
// alone.
const int lazyMargin = 300;

// How much shallower the late quiet moves are looked at, by depth and by place in the order.
struct Reductions {
    int8_t by[64][64];
    Reductions() {
        for (int d = 0; d < 64; ++d)
            for (int i = 0; i < 64; ++i)
                by[d][i] = static_cast<int8_t>(d && i ? 0.5 + std::log(d) * std::log(i) / 2.0 : 0);
    }
};
const Reductions reductions;
const auto& lateMoveReduction = reductions.by;

}  // namespace

// The moves of the position, each with its place in the order of search: the table's move,
// captures that do not lose material (by the value taken, then the taker) and queen promotions,
// the killers, the quiet moves by history, the captures that lose material, the other
// promotions. Capturing alone, the losing captures are left out.
int Worker::listMoves(const Position& p, ScoredMove* list, Move tableMove, int ply, bool capturesOnly) {
    SquareSet only = ~SquareSet();
    if (capturesOnly) {
        only = p.occupied.bySide[opponent(p.side())];
        for (int c = 0; c < 8; ++c) only.add(8 * (p.side() == White ? 7 : 0) + c);
        const int file = enPassantFile(p.board);
        if (file < 8) only.add(8 * (p.side() == White ? 5 : 2) + file);
    }
    MoveWalk walk(p.board, p.occupied, true, only);
    int n = 0;
    const Move counter = counterTo(p);
    for (GeneratedMove m; walk.next(m);) {
        const PieceCode piece = p.board.squares[m.from];
        // In Chess960 castling is the king's move onto its own rook: no capture.
        const PieceCode victim = pieceSide(p.board.squares[m.to]) == p.side() ? EmptySquare : p.board.squares[m.to];
        const bool capture = victim != EmptySquare || (pieceKind(piece) == Pawn && (m.from & 7) != (m.to & 7));
        const bool queening = m.promotion != NoPromotion && pieceKind(m.promotion) == Queen;
        if (capturesOnly && !capture && !queening) continue;
        const bool losing = capture && !queening && exchangeBelow(p.board, p.occupied, m.from, m.to, 0);
        if (capturesOnly && losing) continue;  // a capture that loses material is no way to quiet a position
        const Move move(m);
        const int mostValuableVictimFirst =
            16 * (victim == EmptySquare ? (queening ? 800 : 100) : exchangeValue(pieceKind(victim))) -
            exchangeValue(pieceKind(piece)) / 100 + (queening ? 1000 : 0);
        int order;
        if (move == tableMove && !tableMove.none())
            order = tableMoveFirst;
        else if ((capture || queening) && !losing)
            order = goodCapture + mostValuableVictimFirst;
        else if (capture)
            order = losingCapture + mostValuableVictimFirst;
        else if (m.promotion != NoPromotion)
            order = underpromotion;
        else if (move == killers[ply][0])
            order = killer + 1;
        else if (move == killers[ply][1])
            order = killer;
        else if (move == counter && !counter.none())
            order = killer - 1;
        else
            order = quietMove + history[piece][m.to] + continuationOf(ply, piece * 64 + m.to);
        list[n++] = ScoredMove{m, order, capture || m.promotion != NoPromotion};
    }
    return n;
}

// Material and placement, and the structure terms, which are not worked out when the first
// are so far outside the window that they could not bring it back.
int Worker::evaluate(const Position& p, int alpha, int beta) const {
    const int base = p.placement.score(p.side());
    if (base + lazyMargin <= alpha || base - lazyMargin >= beta) return base;
    EvalCache::Entry& known = evalCache->entries[p.key & EvalCache::mask];
    if (!known.kept || known.key != p.key) known = {p.key, deep::evaluate(p.board, p.occupied, p.placement, pawnCache), true};
    return known.score;
}

// The search of captures (of every move when in check) until the position is quiet.
int Worker::quiesce(const Position& p, int alpha, int beta, int ply) {
    pvLength[ply] = 0;
    if (timeUp()) return 0;  // before counting: a node limit reached stops the search here
    count();
    selectiveDepth = std::max(selectiveDepth, ply);
    if (p.deadDraw()) return 0;
    const bool check = p.inCheck();
    if (ply >= maxPly) return evaluate(p);
    // The table may answer here too: any search of the position is at least as deep as this one.
    Entry entry;
    if (!proving && s.table.probe(p.key, entry)) {
        const int score = entry.scoreAt(ply);
        if (entry.settles(score, alpha, beta)) return score;
    }
    int best = -infinity;
    if (!check) {  // standing pat: the side to move need not capture
        best = evaluate(p, alpha, beta);
        if (best >= beta) return best;
        alpha = std::max(alpha, best);
    }
    ScoredMove list[256];
    const int n = listMoves(p, list, Move(), ply, !check);
    if (n == 0) return check ? ply - mateScore : best;
    Position child;
    for (int i = 0; i < n; ++i) {
        const GeneratedMove m = takeBest(list, n, i);
        playedAt[ply] = pieceTo(p, m);
        child.play(p, m);
        s.table.prefetch(child.key);
        const int score = -quiesce(child, -beta, -alpha, ply + 1);
        if (aborted) return 0;
        if (score > best) {
            best = score;
            if (score > alpha) alpha = score;
            if (score >= beta) break;
        }
    }
    return best;
}

// The score of the position, ply half-moves below the root, searched to depth within alpha and
// beta; in a window wider than one, the principal variation from it in pv[ply].
int Worker::search(const Position& p, int depth, int alpha, int beta, int ply, bool nullAllowed) {
    const bool pvNode = beta - alpha > 1;
    pvLength[ply] = 0;
    keys[rootAt + ply] = p.key;
    // Stop when told; a repetition, a dead position and the fifty-move rule draw, unless the
    // 100th half-move mates; no mate can come sooner than one already found.
    if (ply > 0) {
        if (timeUp()) return 0;
        if (repeated(p, ply) || p.deadDraw()) return 0;
        if (p.halfMoves >= 100 && (!p.inCheck() || hasLegalMove(p.board))) return 0;
        alpha = std::max(alpha, ply - mateScore);
        beta = std::min(beta, mateScore - ply - 1);
        if (alpha >= beta) return alpha;
    }
    // In check one ply deeper; at the horizon, the search of captures.
    const bool check = p.inCheck();
    if (check) ++depth;
    if (depth <= 0 || ply >= maxPly) return quiesce(p, alpha, beta, ply);
    count();

    // The table: its move goes first; outside the principal variation its score may answer.
    Entry entry;
    const bool known = s.table.probe(p.key, entry);
    const Move tableMove = known ? entry.move : Move();
    if (known && !pvNode && !proving && entry.depth >= depth) {
        const int score = entry.scoreAt(ply);
        if (entry.settles(score, alpha, beta)) return score;
    }

    // Internal iterative reduction: a position the table knows no move for is searched a ply shallower.
    if (tableMove.none() && depth >= 4 && !proving) --depth;

    // The static value, and the pruning it allows near the leaves while no mate is in sight.
    const bool mateNear = proving || std::abs(beta) > mateScore - maxPly;
    int staticValue = check ? -infinity : evaluate(p);
    // Improving: better than two plies before, when the side to move was to move too.
    staticValues[ply] = staticValue;
    // The table's score is the better guess when its bound lies on the far side of the evaluation.
    if (known && !check && !proving) {
        const int score = entry.scoreAt(ply);
        if (std::abs(score) < mateScore - maxPly && (entry.bound & (score > staticValue ? LowerBound : UpperBound)))
            staticValue = score;
    }
    const bool improving = !check && ply >= 2 && staticValue > staticValues[ply - 2];
    // Reverse futility: far enough above beta, the opponent would not let it come to this.
    if (!pvNode && !check && !mateNear && depth <= 3 && staticValue - 120 * (depth - improving) >= beta) return staticValue;
    // Razoring: far below alpha at the leaves, only the captures are looked at.
    if (!pvNode && !check && !mateNear && depth <= 2 && staticValue + 300 * depth < alpha) {
        const int score = quiesce(p, alpha, beta, ply);
        if (aborted) return 0;
        if (score < alpha) return score;
    }
    // Null move: a pass that still leaves the opponent short of beta makes searching on pointless.
    if (nullAllowed && !pvNode && !check && !proving && depth >= 3 && p.hasPieces() && staticValue >= beta) {
        Position passed;
        passed.pass(p);
        playedAt[ply] = -1;
        // The deeper and the further above beta, the shallower the pass is searched.
        const int reduction = 3 + depth / 4 + std::min(3, (staticValue - beta) / 200);
        const int score = -search(passed, depth - reduction, -beta, -beta + 1, ply + 1, false);
        if (aborted) return 0;
        if (score >= beta) return score > mateScore - maxPly ? beta : score;
    }
    // Futility: far below alpha, only captures and promotions may bring it back.
    const bool futile = !pvNode && !check && !mateNear && depth <= 3 && staticValue + 100 + 120 * depth <= alpha;

    // The moves in order; without one, mate or stalemate.
    ScoredMove list[256];
    const int n = listMoves(p, list, tableMove, ply, false);
    if (n == 0) return check ? ply - mateScore : 0;

    // The move loop: the first move with the whole window; the others with a null window that
    // proves them worse, late quiet ones first at a reduced depth; one that proves better is
    // searched again deeper, then with the whole window.
    const int alphaBefore = alpha;
    int best = -infinity;
    Move bestMove;
    Position child;
    GeneratedMove quietsSearched[64];  // every quiet move searched, the table's and the killers too
    int quietsTried = 0, lateQuietsTried = 0;
    for (int i = 0; i < n; ++i) {
        const GeneratedMove m = takeBest(list, n, i);
        const bool quiet = isQuiet(list[i].order);  // after the table's move and the killers
        child.play(p, m);
        // A quiet move that gives check is never left out for being quiet: it may mate.
        const bool prunable = quiet && !child.inCheck();
        if (futile && i > 0 && prunable) continue;
        // Late move pruning: near the leaves, once enough quiet moves have failed, the rest are left.
        if (!pvNode && !check && !mateNear && prunable && depth <= 4 && lateQuietsTried >= (3 + depth * depth) / (2 - improving)) continue;
        // Exchange pruning: near the leaves, a move that loses too much material is left too.
        if (!pvNode && !check && !mateNear && depth <= 5 && best > maxPly - mateScore &&
            exchangeBelow(p.board, p.occupied, m.from, m.to, quiet ? -30 * depth * depth : -100 * depth))
            continue;
        lateQuietsTried += quiet;
        if (!list[i].tactical && quietsTried < 64) quietsSearched[quietsTried++] = m;
        playedAt[ply] = pieceTo(p, m);
        s.table.prefetch(child.key);
        int score;
        if (i == 0) {
            score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
        } else {
            int reduction = 0;
            // Reduced less for a move with a good history, more for a bad one.
            if (quiet && !check && !proving && depth >= 3 && i >= 3) {
                const int byHistory = (history[p.board.squares[m.from]][m.to] + continuationOf(ply, pieceTo(p, m))) / historyLimit;
                reduction = std::max(1, std::min(lateMoveReduction[std::min(depth, 63)][std::min(i, 63)] - pvNode - byHistory, depth - 2));
            }
            score = -search(child, depth - 1 - reduction, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && reduction) score = -search(child, depth - 1, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && score < beta) score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
        }
        if (aborted) return 0;
        if (score > best) {
            best = score;
            bestMove = m;
            if (score > alpha) {
                alpha = score;
                pv[ply][0] = bestMove;
                std::copy(pv[ply + 1], pv[ply + 1] + pvLength[ply + 1], pv[ply] + 1);
                pvLength[ply] = pvLength[ply + 1] + 1;
            }
            // A cut-off: a quiet move that caused it becomes a killer and gains history, the quiet
            // moves searched before it lose some.
            if (score >= beta) {
                if (!list[i].tactical) {
                    if (killers[ply][0] != bestMove) killers[ply][1] = killers[ply][0], killers[ply][0] = bestMove;
                    if (Move* slot = counterSlot(p)) *slot = bestMove;
                    const int bonus = std::min(depth * depth, 1200);
                    for (int j = 0; j < quietsTried; ++j) {
                        const GeneratedMove& q = quietsSearched[j];
                        const int gain = q.from == m.from && q.to == m.to ? bonus : -bonus;
                        credit(history[p.board.squares[q.from]][q.to], gain);
                        for (int back = 1; back <= 2 && back <= ply; ++back)
                            if (playedAt[ply - back] >= 0) credit(continuation[playedAt[ply - back]][pieceTo(p, q)], gain);
                    }
                }
                break;
            }
        }
    }
    // The store, with the bound the score is.
    const Bound bound = best >= beta ? LowerBound : best > alphaBefore ? ExactBound : UpperBound;
    s.table.store(p.key, depth, best, ply, bound, bestMove);
    return best;
}

}  // namespace deep
