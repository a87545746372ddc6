#include "search.h"

#include <algorithm>
#include <cmath>

#include "../../rules/move_generator.h"
#include "evaluation.h"
#include "exchange.h"
#include "position.h"

namespace deep {

namespace {

// Bands of the move order.
const int tableMoveFirst = 1 << 30, goodCapture = 1 << 29, killer = 1 << 28;  // quiet moves: 0 up to killer
const int losingCapture = -(1 << 19), underpromotion = -(1 << 20);
bool isQuiet(int order) { return order >= 0 && order < killer; }

struct ScoredMove {
    GeneratedMove move;
    int order;
};

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

// The one who searches: the search's time, what it learns of the move order (killers, history),
// the principal variation, and the keys of the game and of the line it is on.
struct Worker {
    Search& s;
    TimeManager time;
    const bool proving;  // a mate search: nothing is pruned, reduced or answered by the table
    int64_t nextCheck = 0;
    bool aborted = false;
    std::vector<uint64_t> keys;  // the game's positions, then the current line's, by ply
    size_t rootAt = 0;
    Move killers[maxPly + 1][2] = {};
    int history[12][64] = {};
    Move pv[maxPly + 1][maxPly + 1] = {};
    int pvLength[maxPly + 1] = {};
    int selectiveDepth = 0;

    Worker(Search& search, int sideToMove)
        : s(search), time(search.limits, sideToMove), proving(search.limits.mate > 0), keys(search.history),
          rootAt(search.history.size()) {
        keys.resize(rootAt + maxPly + 2);
    }

    // Whether to stop: a node limit reached, or, looked at every 1024 positions, stop told or the
    // time up.
    bool timeUp() {
        if (aborted || (s.limits.nodes > 0 && s.nodes >= s.limits.nodes)) return aborted = true;
        if (s.nodes < nextCheck) return false;
        nextCheck = s.nodes + 1024;
        aborted = s.stop.load() || time.outOfTime(s.pondering.load());
        return aborted;
    }

    bool repeated(const Position& p, int ply) const {
        const size_t at = rootAt + ply;
        for (size_t back = 2; back <= static_cast<size_t>(p.halfMoves) && back <= at; back += 2)
            if (keys[at - back] == p.key) return true;
        return false;
    }

    // The moves of the position, each with its place in the order of search: the table's move,
    // captures that do not lose material (by the value taken, then the taker) and queen promotions,
    // the killers, the quiet moves by history, the captures that lose material, the other
    // promotions. Capturing alone, the losing captures are left out.
    int listMoves(const Position& p, ScoredMove* list, Move tableMove, int ply, bool capturesOnly) {
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
            const PieceCode piece = p.board.squares[m.from];
            // In Chess960 castling is the king's move onto its own rook: no capture.
            const PieceCode victim = pieceSide(p.board.squares[m.to]) == p.side() ? EmptySquare : p.board.squares[m.to];
            const bool capture = victim != EmptySquare || (pieceKind(piece) == Pawn && (m.from & 7) != (m.to & 7));
            const bool queening = m.promotion != NoPromotion && pieceKind(m.promotion) == Queen;
            if (capturesOnly && !capture && !queening) continue;
            const bool losing = capture && !queening && exchangeGain(p.board, p.occupied, m.from, m.to) < 0;
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
    int evaluate(const Position& p, int alpha = -infinity, int beta = infinity) const {
        const int base = p.placement.score(p.side());
        if (base + lazyMargin <= alpha || base - lazyMargin >= beta) return base;
        return base + structureTerms(p.board, p.occupied, p.placement);
    }

    // The search of captures (of every move when in check) until the position is quiet.
    int quiesce(const Position& p, int alpha, int beta, int ply) {
        ++s.nodes;
        pvLength[ply] = 0;
        selectiveDepth = std::max(selectiveDepth, ply);
        if (timeUp()) return 0;
        if (p.deadDraw()) return 0;
        const bool check = p.inCheck();
        if (ply >= maxPly) return evaluate(p);
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

    // The score of the position, ply half-moves below the root, searched to depth within alpha and
    // beta; in a window wider than one, the principal variation from it in pv[ply].
    int search(const Position& p, int depth, int alpha, int beta, int ply, bool nullAllowed) {
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
        ++s.nodes;

        // The table: its move goes first; outside the principal variation its score may answer.
        const Entry* entry = s.table.probe(p.key);
        const Move tableMove = entry ? entry->move : Move();
        if (entry && !pvNode && !proving && entry->depth >= depth) {
            const int score = entry->scoreAt(ply);
            if (entry->bound == ExactBound || (entry->bound == LowerBound && score >= beta) ||
                (entry->bound == UpperBound && score <= alpha))
                return score;
        }

        // The static value, and the pruning it allows near the leaves while no mate is in sight.
        const bool mateNear = proving || std::abs(beta) > mateScore - maxPly;
        const int staticValue = check ? -infinity : evaluate(p);
        // Reverse futility: far enough above beta, the opponent would not let it come to this.
        if (!pvNode && !check && !mateNear && depth <= 3 && staticValue - 120 * depth >= beta) return staticValue;
        // Null move: a pass that still leaves the opponent short of beta makes searching on pointless.
        if (nullAllowed && !pvNode && !check && !proving && depth >= 3 && p.hasPieces() && staticValue >= beta) {
            Position passed;
            passed.pass(p);
            const int score = -search(passed, depth - 3 - depth / 6, -beta, -beta + 1, ply + 1, false);
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
        for (int i = 0; i < n; ++i) {
            const GeneratedMove m = takeBest(list, n, i);
            const bool quiet = isQuiet(list[i].order);
            if (futile && i > 0 && quiet) continue;
            child.play(p, m);
            int score;
            if (i == 0) {
                score = -search(child, depth - 1, -beta, -alpha, ply + 1, true);
            } else {
                int reduction = 0;
                if (quiet && !check && !proving && depth >= 3 && i >= 3)
                    reduction = std::max(1, std::min(lateMoveReduction[std::min(depth, 63)][std::min(i, 63)] - pvNode, depth - 2));
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
                // A cut-off: a quiet move that caused it becomes a killer and gains history.
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
        // The store, with the bound the score is.
        const Bound bound = best >= beta ? LowerBound : best > alphaBefore ? ExactBound : UpperBound;
        s.table.store(p.key, depth, best, ply, bound, bestMove);
        return best;
    }
};

MoveInfo Search::run(const Board& rootBoard, MoveInfo* ponder) {
    nodes = 0;
    ++table.age;
    Worker w(*this, rootBoard.sideToMove);
    const Position root(rootBoard, rootHalfMoves);

    // The root moves in the order of search, only those asked for when a list is given.
    ScoredMove moves[256];
    const Entry* entry = table.probe(root.key);
    int n = w.listMoves(root, moves, entry ? entry->move : Move(), 0, false);
    if (!searchMoves.empty())
        n = static_cast<int>(std::remove_if(moves, moves + n, [&](const ScoredMove& m) {
                                 return std::find(searchMoves.begin(), searchMoves.end(), Move(m.move)) == searchMoves.end();
                             }) - moves);
    if (n == 0) return MoveInfo(-1, -1, -1, -1, NoPromotion, 0);
    std::stable_sort(moves, moves + n, [](const ScoredMove& a, const ScoredMove& b) { return a.order > b.order; });
    Move best = moves[0].move, reply;
    int bestValue = 0;
    const int lineCount = std::max(1, std::min(lines, n));

    uint32_t random = noiseSeed | 1;
    const int lastDepth = std::min(limits.depth > 0 ? limits.depth : maxPly - 1, maxPly - 1);
    // Iterations from depth 1, or, under a depth limit, from 3 (or the limit when it is smaller).
    for (int depth = limits.depth > 0 ? std::min(3, lastDepth) : 1; depth <= lastDepth; ++depth) {
        std::vector<std::vector<Move>> found;  // the lines this iteration searched to the end
        std::vector<int> scores;
        // The best lines one after the other: each the best of the moves the lines before left.
        for (int k = 0; k < lineCount && !w.aborted; ++k) {
            int alpha = -infinity;
            int bestScore = -infinity, bestAt = -1;
            std::vector<Move> line;
            Position child;
            for (int i = k; i < n; ++i) {
                const GeneratedMove m = moves[i].move;
                if (report && w.time.elapsed() >= 1000) {
                    Report r;
                    r.depth = depth, r.nodes = nodes, r.milliseconds = w.time.elapsed();
                    r.currentMove = m.info(), r.currentMoveNumber = i + 1;
                    report(reportContext, r);
                }
                child.play(root, m);
                w.keys[w.rootAt] = root.key;
                int score;
                if (noise > 0) {  // a weaker player: every move's score exactly, then an error added
                    score = -w.search(child, depth - 1, -infinity, infinity, 1, true);
                    random = random * 1664525u + 1013904223u;
                    if (!w.aborted) score += static_cast<int>(random >> 8) % (2 * noise + 1) - noise;
                } else if (i == k) {
                    score = -w.search(child, depth - 1, -infinity, -alpha, 1, true);
                } else {
                    score = -w.search(child, depth - 1, -alpha - 1, -alpha, 1, true);
                    if (score > alpha && !w.aborted) score = -w.search(child, depth - 1, -infinity, -alpha, 1, true);
                }
                if (w.aborted) break;
                moves[i].order = score;
                if (score > bestScore) {
                    bestScore = score, bestAt = i;
                    alpha = std::max(alpha, score);
                    line.assign(1, Move(m));
                    line.insert(line.end(), w.pv[1], w.pv[1] + w.pvLength[1]);
                }
            }
            // A line cut short counts with the moves it searched to the end: the last whole
            // iteration's best, searched first, and any that then proved better.
            if (bestAt < 0) break;
            // The line's best at its place in the next iteration, then the rest as this one scored them.
            const Move best = moves[bestAt].move;
            std::stable_sort(moves + k, moves + n, [&](const ScoredMove& a, const ScoredMove& b) {
                return Move(a.move) == best ? true : Move(b.move) == best ? false : a.order > b.order;
            });
            found.push_back(line), scores.push_back(bestScore);
        }
        const int completed = static_cast<int>(found.size());
        if (completed == 0) break;
        // The lines best first: a later line's search may score its move above an earlier one's.
        std::vector<int> rank(completed);
        for (int k = 0; k < completed; ++k) rank[k] = k;
        std::stable_sort(rank.begin(), rank.end(), [&](int a, int b) { return scores[a] > scores[b]; });
        std::vector<ScoredMove> ranked;
        for (int k : rank) ranked.push_back(moves[k]);
        std::copy(ranked.begin(), ranked.end(), moves);
        const bool changed = Move(moves[0].move) != best;
        best = moves[0].move, bestValue = scores[rank[0]];
        // An iteration cut short is told only when it changed the move: the answer, and the reply
        // expected, always come from the last principal variation told.
        if (!w.aborted || changed) {
            const std::vector<Move>& first = found[rank[0]];
            reply = first.size() > 1 ? first[1] : Move();
            for (int k = 0; report && k < completed; ++k) {
                Report r;
                r.depth = depth, r.score = scores[rank[k]], r.line = lines > 1 ? k + 1 : 0;
                for (size_t ply = 0; ply < found[rank[k]].size(); ++ply)
                    r.pv.push_back(found[rank[k]][ply].info(static_cast<int>(ply + rootBoard.sideToMove) % 2));
                r.selectiveDepth = std::max(depth, w.selectiveDepth);
                r.nodes = nodes, r.milliseconds = w.time.elapsed(), r.hashPermille = table.permille();
                r.phase = root.placement.phase;
                report(reportContext, r);
            }
        }
        if (w.aborted || !w.time.anotherIteration(depth, pliesToMate(bestValue), n, pondering.load())) break;
        // A mate search ends with a mate in as many moves as asked, or, with no other limit, once
        // its iterations have shown that there is none.
        if (limits.mate > 0 && (pliesToMate(bestValue) < 2 * limits.mate && bestValue > 0)) break;
        if (limits.mate > 0 && depth >= 2 * limits.mate - 1 && !w.time.timed && limits.nodes == 0 && limits.depth == 0) break;
    }
    if (ponder) *ponder = reply.none() ? MoveInfo(-1, -1, -1, -1, NoPromotion, 0) : reply.info(opponent(rootBoard.sideToMove));
    MoveInfo answer = best.info(rootBoard.sideToMove);
    answer.value = bestValue;
    return answer;
}

}  // namespace deep
