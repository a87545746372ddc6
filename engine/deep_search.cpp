#include "deep_search.h"

#include <algorithm>
#include <cmath>

#include "../rules/move_generator.h"
#include "deep_evaluation.h"
#include "deep_position.h"
#include "exchange.h"
#include "clock.h"

namespace {

const int infinity = mateScore + 1;

// Bands of the move order.
const int tableMoveFirst = 1 << 30, goodCapture = 1 << 29, killer = 1 << 28;  // quiet moves: 0 up to killer
const int losingCapture = -(1 << 19), underpromotion = -(1 << 20);
bool isQuiet(int order) { return order >= 0 && order < killer; }

struct ScoredMove {
    GeneratedMove move;
    int order;
};

uint16_t packed(const GeneratedMove& m) { return packMove(m.info()); }

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

// Mate scores are kept in the table as distances from the position, not from the root.
int toTable(int score, int ply) { return score > mateScore - maxPly ? score + ply : score < maxPly - mateScore ? score - ply : score; }
int fromTable(int score, int ply) { return score > mateScore - maxPly ? score - ply : score < maxPly - mateScore ? score + ply : score; }

}  // namespace

TimeBudget timeBudget(const SearchLimits& l, int side) {
    TimeBudget b;  // a time per move is all spent: it sets no soft limit
    if (l.moveTime > 0) b.hard = std::max<int64_t>(1, l.moveTime - std::min<int64_t>(l.moveOverhead, l.moveTime / 10));
    const int64_t clock = l.time[side == White ? White : Black];
    if (clock < 0) return b;
    const int64_t usable = std::max<int64_t>(1, clock - l.moveOverhead);
    const int movesToGo = l.movesToGo > 0 ? std::min(l.movesToGo, 50) : 40;
    const int64_t increment = l.increment[side == White ? White : Black];
    int64_t hard = std::min<int64_t>(usable / movesToGo * 5 + increment, usable * (movesToGo == 1 ? 8 : 3) / 10);
    int64_t soft = std::min(hard, usable / movesToGo + increment * 3 / 4);
    hard = std::max<int64_t>(hard, 1), soft = std::max<int64_t>(soft, 1);
    b.soft = b.hard > 0 ? std::min(soft, b.hard) : soft;
    b.hard = b.hard > 0 ? std::min(hard, b.hard) : hard;
    return b;
}

struct DeepNode {
    DeepSearch& s;
    TimeBudget budget;
    bool timed;
    int64_t nextCheck = 0;
    bool aborted = false;
    std::vector<uint64_t> keys;  // the game's positions, then the current line's, by ply
    size_t rootAt = 0;
    uint16_t killers[maxPly + 1][2] = {};
    int history[12][64] = {};
    uint16_t pv[maxPly + 1][maxPly + 1] = {};
    int pvLength[maxPly + 1] = {};
    int selectiveDepth = 0;

    DeepNode(DeepSearch& search, bool clockOrTime) : s(search), timed(clockOrTime) {}

    int64_t elapsed() const { return millisecondClock() - s.startedAt; }

    bool timeUp() {
        if (aborted || (s.limits.nodes > 0 && s.nodes >= s.limits.nodes)) return aborted = true;
        if (s.nodes < nextCheck) return false;
        nextCheck = s.nodes + 1024;
        aborted = s.stop.load() || (budget.hard > 0 && !s.pondering.load() && elapsed() >= budget.hard);
        return aborted;
    }

    bool repeated(const DeepPosition& p, int ply) const {
        const size_t at = rootAt + ply;
        for (size_t back = 2; back <= static_cast<size_t>(p.halfMoves) && back <= at; back += 2)
            if (keys[at - back] == p.key) return true;
        return false;
    }

    // The moves of the position, each with its place in the order of search: the table's move,
    // captures that do not lose material (by the value taken, then the taker) and queen promotions,
    // the killers, the quiet moves by history, the captures that lose material, the other
    // promotions. Capturing alone, the losing captures are left out.
    int listMoves(const DeepPosition& p, ScoredMove* list, uint16_t tableMove, int ply, bool capturesOnly) {
        SquareSet only = ~SquareSet();
        if (capturesOnly) {
            only = p.occupied.bySide[opponent(p.side())];
            for (int c = 0; c < 8; ++c) only.add(8 * (p.side() == White ? 7 : 0) + c);
            const int file = enPassantFile(p.board);
            if (file < 8) only.add(8 * (p.side() == White ? 5 : 2) + file);
        }
        MoveWalk walk(p.board, p.occupied, true, only);
        int n = 0;
        for (GeneratedMove m; walk.next(m);) {
            const PieceCode piece = p.board.squares[m.from], victim = p.board.squares[m.to];
            const bool capture = victim != EmptySquare || (pieceKind(piece) == Pawn && (m.from & 7) != (m.to & 7));
            const bool queening = m.promotion != NoPromotion && pieceKind(m.promotion) == Queen;
            if (capturesOnly && !capture && !queening) continue;
            const bool losing = capture && !queening && exchangeGain(p.board, p.occupied, m.from, m.to) < 0;
            if (capturesOnly && losing) continue;  // a capture that loses material is no way to quiet a position
            int order;
            const int mostValuableVictimFirst = 16 * (victim == EmptySquare ? (queening ? 800 : 100) : exchangeValue[pieceKind(victim)]) -
                                                exchangeValue[pieceKind(piece)] / 100 + (queening ? 1000 : 0);
            if (packed(m) == tableMove && tableMove)
                order = tableMoveFirst;
            else if ((capture || queening) && !losing)
                order = goodCapture + mostValuableVictimFirst;
            else if (capture)
                order = losingCapture + mostValuableVictimFirst;
            else if (m.promotion != NoPromotion)
                order = underpromotion;
            else if (packed(m) == killers[ply][0])
                order = killer + 1;
            else if (packed(m) == killers[ply][1])
                order = killer;
            else
                order = history[piece][m.to];
            list[n++] = ScoredMove{m, order};
        }
        return n;
    }

    static GeneratedMove takeBest(ScoredMove* list, int n, int i) {
        int best = i;
        for (int j = i + 1; j < n; ++j)
            if (list[j].order > list[best].order) best = j;
        std::swap(list[i], list[best]);
        return list[i].move;
    }

    // Material and placement, and the structure terms, which are not worked out when the first
    // are so far outside the window that they could not bring it back.
    int evaluate(const DeepPosition& p, int alpha = -infinity, int beta = infinity) const {
        const int base = p.placement.score(p.side());
        if (base + lazyMargin <= alpha || base - lazyMargin >= beta) return base;
        return base + structureTerms(p.board, p.occupied, p.placement);
    }

    int quiesce(const DeepPosition& p, int alpha, int beta, int ply) {
        ++s.nodes;
        pvLength[ply] = 0;
        selectiveDepth = std::max(selectiveDepth, ply);
        if (timeUp()) return 0;
        if (p.deadDraw()) return 0;
        const bool check = p.inCheck();
        if (ply >= maxPly) return evaluate(p);
        int best = -infinity;
        if (!check) {
            best = evaluate(p, alpha, beta);
            if (best >= beta) return best;
            alpha = std::max(alpha, best);
        }
        ScoredMove list[256];
        const int n = listMoves(p, list, 0, ply, !check);
        if (n == 0) return check ? ply - mateScore : best;
        DeepPosition child;
        for (int i = 0; i < n; ++i) {
            child.play(p, takeBest(list, n, i));
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

    int search(const DeepPosition& p, int depth, int alpha, int beta, int ply, bool nullAllowed) {
        const bool pvNode = beta - alpha > 1;
        pvLength[ply] = 0;
        keys[rootAt + ply] = p.key;
        if (ply > 0) {
            if (timeUp()) return 0;
            if (repeated(p, ply) || p.deadDraw()) return 0;
            if (p.halfMoves >= 100 && (!p.inCheck() || hasLegalMove(p.board))) return 0;
            alpha = std::max(alpha, ply - mateScore);  // no mate can come sooner than this one
            beta = std::min(beta, mateScore - ply - 1);
            if (alpha >= beta) return alpha;
        }
        const bool check = p.inCheck();
        if (check) ++depth;
        if (depth <= 0 || ply >= maxPly) return quiesce(p, alpha, beta, ply);
        ++s.nodes;

        const DeepEntry* entry = s.table.probe(p.key);
        const uint16_t tableMove = entry ? entry->move : 0;
        if (entry && !pvNode && entry->depth >= depth) {
            const int score = fromTable(entry->score, ply);
            if (entry->bound == ExactBound || (entry->bound == LowerBound && score >= beta) ||
                (entry->bound == UpperBound && score <= alpha))
                return score;
        }

        const bool mateNear = std::abs(beta) > mateScore - maxPly;
        const int staticValue = check ? -infinity : evaluate(p);
        // Far enough above beta near the leaves: the opponent would not let it come to this.
        if (!pvNode && !check && !mateNear && depth <= 3 && staticValue - 120 * depth >= beta) return staticValue;
        // A pass that still leaves the opponent short of beta makes searching on pointless.
        if (nullAllowed && !pvNode && !check && depth >= 3 && p.hasPieces() && staticValue >= beta) {
            DeepPosition passed;
            passed.pass(p);
            const int score = -search(passed, depth - 3 - depth / 6, -beta, -beta + 1, ply + 1, false);
            if (aborted) return 0;
            if (score >= beta) return score > mateScore - maxPly ? beta : score;
        }
        // Near the leaves, far below alpha: only captures and promotions may bring it back.
        const bool futile = !pvNode && !check && !mateNear && depth <= 3 && staticValue + 100 + 120 * depth <= alpha;

        ScoredMove list[256];
        const int n = listMoves(p, list, tableMove, ply, false);
        if (n == 0) return check ? ply - mateScore : 0;

        const int alphaBefore = alpha;
        int best = -infinity;
        uint16_t bestMove = 0;
        DeepPosition child;
        for (int i = 0; i < n; ++i) {
            const GeneratedMove m = takeBest(list, n, i);
            const bool quiet = isQuiet(list[i].order);
            if (futile && i > 0 && quiet) continue;
            child.play(p, m);
            int score;
            if (i == 0) {
                score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
            } else {
                // Late quiet moves first get a shallower look; a null window proves them worse.
                int reduction = 0;
                if (quiet && !check && depth >= 3 && i >= 3)
                    reduction = std::max(1, std::min(lateMoveReduction[std::min(depth, 63)][std::min(i, 63)] - pvNode, depth - 2));
                score = -search(child, depth - 1 - reduction, -alpha - 1, -alpha, ply + 1, true);
                if (score > alpha && reduction)
                    score = -search(child, depth - 1, -alpha - 1, -alpha, ply + 1, true);
                if (score > alpha && score < beta) score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
            }
            if (aborted) return 0;
            if (score > best) {
                best = score;
                bestMove = packed(m);
                if (score > alpha) {
                    alpha = score;
                    pv[ply][0] = bestMove;
                    std::copy(pv[ply + 1], pv[ply + 1] + pvLength[ply + 1], pv[ply] + 1);
                    pvLength[ply] = pvLength[ply + 1] + 1;
                }
                if (score >= beta) {
                    if (quiet) {
                        if (killers[ply][0] != bestMove) killers[ply][1] = killers[ply][0], killers[ply][0] = bestMove;
                        int& h = history[p.board.squares[m.from]][m.to];
                        h = std::min(h + depth * depth, 1 << 26);
                    }
                    break;
                }
            }
        }
        const Bound bound = best >= beta ? LowerBound : best > alphaBefore ? ExactBound : UpperBound;
        s.table.store(p.key, depth, toTable(best, ply), bound, bestMove);
        return best;
    }
};

MoveInfo DeepSearch::run(const Board& rootBoard, MoveInfo* ponder) {
    startedAt = millisecondClock();
    nodes = 0;
    ++table.age;
    const bool timed = limits.moveTime > 0 || limits.time[rootBoard.sideToMove == White ? White : Black] >= 0;
    DeepNode d(*this, timed);
    d.budget = timeBudget(limits, rootBoard.sideToMove);
    d.keys = history;
    d.rootAt = history.size();
    d.keys.resize(d.rootAt + maxPly + 2);

    DeepPosition root;
    root.board = rootBoard;
    root.occupied = Occupancy(rootBoard);
    root.placement = Placement(rootBoard);
    root.key = positionKey(rootBoard);
    root.halfMoves = rootHalfMoves;

    ScoredMove moves[256];
    const DeepEntry* entry = table.probe(root.key);
    const int n = d.listMoves(root, moves, entry ? entry->move : 0, 0, false);
    MoveInfo best(-1, -1, -1, -1, NoPromotion, 0);
    if (n == 0) return best;
    std::stable_sort(moves, moves + n, [](const ScoredMove& a, const ScoredMove& b) { return a.order > b.order; });
    best = moves[0].move.info();
    MoveInfo reply(-1, -1, -1, -1, NoPromotion, 0);

    uint32_t random = noiseSeed | 1;
    const int lastDepth = std::min(limits.depth > 0 ? limits.depth : maxPly - 1, maxPly - 1);
    // Iterations from depth 1, or, under a depth limit, from 3 (or the limit when it is smaller).
    for (int depth = limits.depth > 0 ? std::min(3, lastDepth) : 1; depth <= lastDepth; ++depth) {
        int alpha = -infinity;
        int bestScore = -infinity, bestAt = -1;
        std::vector<uint16_t> line;
        DeepPosition child;
        for (int i = 0; i < n; ++i) {
            const GeneratedMove m = moves[i].move;
            if (report && d.elapsed() >= 1000) {
                SearchReport r;
                r.depth = depth, r.nodes = nodes, r.milliseconds = d.elapsed();
                r.currentMove = m.info(), r.currentMoveNumber = i + 1;
                report(reportContext, r);
            }
            child.play(root, m);
            d.keys[d.rootAt] = root.key;
            int score;
            if (noise > 0) {  // a weaker player: every move's score exactly, then an error added
                score = -d.search(child, depth - 1, -infinity, infinity, 1, true);
                random = random * 1664525u + 1013904223u;
                if (!d.aborted) score += static_cast<int>(random >> 8) % (2 * noise + 1) - noise;
            } else if (i == 0) {
                score = -d.search(child, depth - 1, -infinity, -alpha, 1, true);
            } else {
                score = -d.search(child, depth - 1, -alpha - 1, -alpha, 1, true);
                if (score > alpha && !d.aborted) score = -d.search(child, depth - 1, -infinity, -alpha, 1, true);
            }
            if (d.aborted) break;
            moves[i].order = score;
            if (score > bestScore) {
                bestScore = score, bestAt = i;
                alpha = std::max(alpha, score);
                line.assign(1, packMove(m.info()));
                line.insert(line.end(), d.pv[1], d.pv[1] + d.pvLength[1]);
            }
        }
        // An iteration cut short counts with the moves it searched to the end: the last whole
        // iteration's best, searched first, and any that then proved better.
        if (bestAt < 0) break;
        const bool changed = !moves[bestAt].move.info().sameSquares(best) || moves[bestAt].move.promotion != best.promotion;
        best = moves[bestAt].move.info();
        best.value = bestScore;
        // The best first in the next iteration, then the rest as this one scored them.
        std::stable_sort(moves, moves + n, [&](const ScoredMove& a, const ScoredMove& b) {
            return a.move.info().sameSquares(best) && a.move.promotion == best.promotion ? true
                   : b.move.info().sameSquares(best) && b.move.promotion == best.promotion ? false
                   : a.order > b.order;
        });
        std::vector<MoveInfo> pvMoves;
        for (uint16_t u : line)
            pvMoves.push_back(MoveInfo((u & 63) >> 3, u & 7, (u >> 6 & 63) >> 3, (u >> 6) & 7,
                                       (u >> 12) ? pieceCode(u >> 12, static_cast<int>(pvMoves.size() + rootBoard.sideToMove) % 2)
                                                 : NoPromotion));
        // An iteration cut short is told only when it changed the move: the answer, and the reply
        // expected, always come from the last principal variation told.
        if (!d.aborted || changed) reply = pvMoves.size() > 1 ? pvMoves[1] : MoveInfo(-1, -1, -1, -1, NoPromotion, 0);
        if (report && (!d.aborted || changed)) {
            SearchReport r;
            r.depth = depth, r.selectiveDepth = std::max(depth, d.selectiveDepth), r.score = bestScore;
            r.nodes = nodes, r.milliseconds = d.elapsed(), r.hashPermille = table.permille(), r.pv = pvMoves;
            report(reportContext, r);
        }
        if (d.aborted) break;
        // A mate is not worth more time: deeper iterations cannot change it.
        const int toMate = mateScore - std::abs(bestScore);
        if (timed && toMate < maxPly && depth >= toMate + 2) break;
        const bool lastTime = !pondering.load() && d.budget.soft > 0 && d.elapsed() * 2 >= d.budget.soft;
        if (lastTime || (timed && n == 1 && !pondering.load())) break;
    }
    if (ponder) *ponder = reply;
    return best;
}
