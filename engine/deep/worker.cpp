// The node search and the search of captures. A node's steps run in the order numbered below;
// the numbers the steps use are named in parameters.h.
#include "worker.h"

#include <algorithm>
#include <cmath>

#include "../../rules/move_generator.h"
#include "exchange.h"

namespace deep {

namespace {

// How much shallower the late quiet moves are looked at, by depth and by place in the order.
struct Reductions {
    int8_t by[64][64];
    Reductions() {
        for (int d = 0; d < 64; ++d)
            for (int i = 0; i < 64; ++i)
                by[d][i] = static_cast<int8_t>(d && i ? reductionBase / double(percent) +
                                                            std::log(d) * std::log(i) / (reductionDivisor / double(percent))
                                                      : 0);
    }
};

Reductions reductions;

int8_t lateMoveReduction(int depth, int place) { return reductions.by[std::min(depth, 63)][std::min(place, 63)]; }

}  // namespace

void refreshReductions() { reductions = Reductions(); }

int Worker::evaluate(const Position& p, int alpha, int beta) {
    if (p.net) return p.networkScore();
    const int base = p.placement.score(p.side());
    if (base + lazyMargin <= alpha || base - lazyMargin >= beta) return base;
    EvalCache::Entry& known = memory.evaluations.entries[p.key & EvalCache::mask];
    if (!known.kept || known.key != p.key) known = {p.key, deep::evaluate(p.board, p.occupied, p.placement, &memory.pawns), true};
    return known.score;
}

int Worker::quiesce(const Position& p, int alpha, int beta, int ply) {
    // 1. Stop when told, before counting the node: a node limit reached stops the search here.
    pvLength[ply] = 0;
    if (timeUp()) return 0;
    count();
    selectiveDepth = std::max(selectiveDepth, ply);
    if (p.deadDraw()) return 0;
    const bool check = p.inCheck();
    if (ply >= maxPly) return evaluate(p);
    // 2. The table may answer: any search of the position is at least as deep as this one.
    Entry entry;
    if (!proving && s.table.probe(p.key, entry)) {
        const int score = entry.scoreAt(ply);
        if (entry.settles(score, alpha, beta)) return score;
    }
    // 3. Standing pat: out of check, the side to move need not capture.
    int best = -infinity;
    if (!check) {
        best = evaluate(p, alpha, beta);
        if (best >= beta) return best;
        alpha = std::max(alpha, best);
    }
    // 4. The captures that do not lose material and the queen promotions (every move in check);
    // none in check is mate.
    ScoredMove list[256];
    const int n = listMoves(p, list, hints(Move(), ply), !check);
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

int Worker::search(const Position& p, int depth, int alpha, int beta, int ply, bool nullAllowed) {
    const bool pvNode = beta - alpha > 1;
    pvLength[ply] = 0;
    keys[rootAt + ply] = p.key;
    // 1. Stop when told; a repetition, a dead position and the fifty-move rule draw, unless its last
    // half-move mates; no mate can come sooner than one already found.
    if (ply > 0) {
        if (timeUp()) return 0;
        if (repeated(p, ply) || p.deadDraw()) return 0;
        if (p.halfMoves >= fiftyMoveHalfMoves && (!p.inCheck() || hasLegalMove(p.board))) return 0;
        alpha = std::max(alpha, ply - mateScore);
        beta = std::min(beta, mateScore - ply - 1);
        if (alpha >= beta) return alpha;
    }
    // 2. In check one ply deeper; at the horizon, the search of captures.
    const bool check = p.inCheck();
    if (check) ++depth;
    if (depth <= 0 || ply >= maxPly) return quiesce(p, alpha, beta, ply);
    count();

    // 3. The table: its move goes first; outside the principal variation its score may answer.
    Entry entry;
    const bool known = s.table.probe(p.key, entry);
    const Move tableMove = known ? entry.move : Move();
    if (known && !pvNode && !proving && entry.depth >= depth) {
        const int score = entry.scoreAt(ply);
        if (entry.settles(score, alpha, beta)) return score;
    }

    // 4. Internal iterative reduction: a position the table knows no move for is searched a ply shallower.
    if (tableMove.none() && depth >= iirDepth && !proving) --depth;

    // 5. The static value, improved on by the table's score when its bound lies on the far side of
    // the evaluation; improving: better than two plies before, when the side to move was to move too.
    const bool mateNear = proving || std::abs(beta) > mateScore - maxPly;
    int staticValue = check ? -infinity : evaluate(p);
    staticValues[ply] = staticValue;
    if (known && !check && !proving) {
        const int score = entry.scoreAt(ply);
        if (std::abs(score) < mateScore - maxPly && (entry.bound & (score > staticValue ? LowerBound : UpperBound)))
            staticValue = score;
    }
    const bool improving = !check && ply >= 2 && staticValue > staticValues[ply - 2];
    const bool prunable = !pvNode && !check && !mateNear;

    // 6. Reverse futility: far enough above beta, the opponent would not let it come to this.
    if (prunable && depth <= reverseFutilityDepth && staticValue - reverseFutilityMargin * (depth - improving) >= beta)
        return staticValue;
    // 7. Razoring: far below alpha near the leaves, only the captures are looked at.
    if (prunable && depth <= razorDepth && staticValue + razorMargin * depth < alpha) {
        const int score = quiesce(p, alpha, beta, ply);
        if (aborted) return 0;
        if (score < alpha) return score;
    }
    // 8. Null move: a pass that still leaves the opponent short of beta makes searching on
    // pointless; the deeper and the further above beta, the shallower the pass is searched.
    if (nullAllowed && !pvNode && !check && !proving && depth >= nullMoveDepth && p.hasPieces() && staticValue >= beta) {
        Position passed;
        passed.pass(p);
        playedAt[ply] = -1;
        const int reduction = nullMoveBase + depth / nullMoveDepthDivisor +
                              std::min(nullMoveEvalMax, (staticValue - beta) / nullMoveEvalDivisor);
        const int score = -search(passed, depth - reduction, -beta, -beta + 1, ply + 1, false);
        if (aborted) return 0;
        if (score >= beta) return score > mateScore - maxPly ? beta : score;
    }
    // 9. Futility: far below alpha, only captures and promotions may bring it back.
    const bool futile = prunable && depth <= futilityDepth && staticValue + futilityBase + futilityMargin * depth <= alpha;

    // 10. The moves in order; without one, mate or stalemate.
    ScoredMove list[256];
    const int n = listMoves(p, list, hints(tableMove, ply), false);
    if (n == 0) return check ? ply - mateScore : 0;

    // 11. The move loop: the first move with the whole window; the others with a null window that
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
        // 11a. Pruning near the leaves: a quiet move that gives check is never left out for being
        // quiet, as it may mate. Futility; late move pruning, once enough quiet moves have failed;
        // exchange pruning, of a move that loses too much material.
        const bool quietNoCheck = quiet && !child.inCheck();
        if (futile && i > 0 && quietNoCheck) continue;
        if (prunable && quietNoCheck && depth <= lateMovePruningDepth &&
            lateQuietsTried >= (lateMovePruningBase + depth * depth) / (2 - improving))
            continue;
        if (prunable && depth <= exchangePruningDepth && best > maxPly - mateScore &&
            exchangeBelow(p.board, p.occupied, m.from, m.to, quiet ? -exchangeQuietMargin * depth * depth : -exchangeCaptureMargin * depth))
            continue;
        lateQuietsTried += quiet;
        if (!list[i].tactical && quietsTried < 64) quietsSearched[quietsTried++] = m;
        playedAt[ply] = pieceTo(p, m);
        s.table.prefetch(child.key);
        // 11b. The search of the move: late quiet moves reduced, less for a good history, more for
        // a bad one.
        int score;
        if (i == 0) {
            score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
        } else {
            int reduction = 0;
            if (quiet && !check && !proving && depth >= reductionDepth && i >= reductionMoveIndex) {
                const int byHistory =
                    (memory.history[p.board.squares[m.from]][m.to] + continuationOf(memory, playedAt, ply, pieceTo(p, m))) / historyLimit;
                reduction = std::max(1, std::min(lateMoveReduction(depth, i) - pvNode - byHistory, depth - 2));
            }
            score = -search(child, depth - 1 - reduction, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && reduction) score = -search(child, depth - 1, -alpha - 1, -alpha, ply + 1, true);
            if (score > alpha && score < beta) score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
        }
        if (aborted) return 0;
        // 11c. A better move: the principal variation; a cut-off by a quiet move teaches the order.
        if (score > best) {
            best = score;
            bestMove = m;
            if (score > alpha) {
                alpha = score;
                pv[ply][0] = bestMove;
                std::copy(pv[ply + 1], pv[ply + 1] + pvLength[ply + 1], pv[ply] + 1);
                pvLength[ply] = pvLength[ply + 1] + 1;
            }
            if (score >= beta) {
                if (!list[i].tactical) rewardCutoff(memory, killers[ply], p, m, quietsSearched, quietsTried, playedAt, ply, depth);
                break;
            }
        }
    }
    // 12. The table keeps the score with the bound it is.
    const Bound bound = best >= beta ? LowerBound : best > alphaBefore ? ExactBound : UpperBound;
    s.table.store(p.key, depth, best, ply, bound, bestMove);
    return best;
}

}  // namespace deep
