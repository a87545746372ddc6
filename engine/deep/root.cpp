// A search from its start to its answer: the threads that search, the main one deciding; and each
// thread's iterations at the root, deeper each time, the best lines one after the other, each told
// as it is found, until the limits or the search itself say it is enough.
#include <algorithm>
#include <thread>

#include "worker.h"

namespace deep {

MoveInfo Search::run(const Board& root, MoveInfo* ponder) {
    table.age.fetch_add(1, std::memory_order_relaxed);
    finished = false;
#ifdef VIMOCHESS_TUNING
    refreshReductions();  // the parameters may have been set since the last search
#endif
    if (memory)
        while (memory->size() < static_cast<size_t>(threads)) memory->push_back(std::make_unique<ThreadMemory>());
    Worker main(*this, root.sideToMove, 0);
    workers.assign(1, &main);
    // Lazy SMP: helpers search the same root on threads of their own, sharing only the table, a
    // ply deeper every other one; the main worker alone tells, keeps the time and decides.
    std::vector<std::unique_ptr<Worker>> helpers;
    for (int i = 1; i < threads; ++i) {
        helpers.push_back(std::make_unique<Worker>(*this, root.sideToMove, i));
        workers.push_back(helpers.back().get());
    }
    std::vector<std::thread> helping;
    for (std::unique_ptr<Worker>& helper : helpers) helping.emplace_back([&helper, root] { helper->iterate(root, nullptr); });
    const MoveInfo best = main.iterate(root, ponder);
    finished = true;
    for (std::thread& t : helping) t.join();
    nodes = nodesSearched();
    workers.clear();
    return best;
}

int64_t Search::nodesSearched() const {
    if (workers.empty()) return nodes;
    int64_t sum = 0;
    for (const Worker* w : workers) sum += w->nodes.load(std::memory_order_relaxed);
    return sum;
}

MoveInfo Worker::iterate(const Board& rootBoard, MoveInfo* ponder) {
    const Position root(rootBoard, s.rootHalfMoves, s.network);

    // The root moves in the order of search, only those asked for when a list is given.
    ScoredMove moves[256];
    Entry entry;
    int n = listMoves(root, moves, hints(s.table.probe(root.key, entry) ? entry.move : Move(), 0), false);
    if (!s.searchMoves.empty())
        n = static_cast<int>(std::remove_if(moves, moves + n, [&](const ScoredMove& m) {
                                 return std::find(s.searchMoves.begin(), s.searchMoves.end(), Move(m.move)) == s.searchMoves.end();
                             }) - moves);
    if (n == 0) return MoveInfo(-1, -1, -1, -1, NoPromotion, 0);
    std::stable_sort(moves, moves + n, [](const ScoredMove& a, const ScoredMove& b) { return a.order > b.order; });
    Move best = moves[0].move, reply;
    int bestValue = 0;
    const bool main = index == 0;
    const int lineCount = main ? std::max(1, std::min(s.lines, n)) : 1;
    const int noise = main ? s.noise : 0;

    uint32_t random = s.noiseSeed | 1;
    int changes = 0;  // of the best move, in halves, halved each iteration
    const int lastDepth = std::min(s.limits.depth > 0 ? s.limits.depth : maxPly - 1, maxPly - 1);
    // Iterations from depth 1, or, under a depth limit, from a few plies deeper (or the limit when
    // it is smaller); under a node limit too from 1, so that the first iteration fits in the
    // positions allowed.
    const bool deeperFirst = s.limits.depth > 0 && s.limits.nodes == 0;
    for (int depth = (deeperFirst ? std::min(firstDepthUnderDepthLimit, lastDepth) : 1) + (index & 1); depth <= lastDepth; ++depth) {
        std::vector<std::vector<Move>> found;  // the lines this iteration searched to the end
        std::vector<int> scores;
        // The best lines one after the other: each the best of the moves the lines before left.
        for (int k = 0; k < lineCount && !aborted; ++k) {
            int alpha = -infinity;
            int bestScore = -infinity, bestAt = -1;
            std::vector<Move> line;
            Position child;
            for (int i = k; i < n; ++i) {
                const GeneratedMove m = moves[i].move;
                if (main && s.report && time.elapsed() >= currentMoveAfter) {
                    Report r;
                    r.depth = depth, r.nodes = s.nodesSearched(), r.milliseconds = time.elapsed();
                    r.currentMove = m.info(), r.currentMoveNumber = i + 1;
                    s.report(s.reportContext, r);
                }
                child.play(root, m);
                playedAt[0] = pieceTo(root, m);
                keys[rootAt] = root.key;
                int score;
                if (noise > 0) {  // a weaker player: every move's score exactly, then an error added
                    score = -search(child, depth - 1, -infinity, infinity, 1, true);
                    random = random * 1664525u + 1013904223u;
                    if (!aborted) score += static_cast<int>(random >> 8) % (2 * noise + 1) - noise;
                } else if (i == k) {
                    score = -search(child, depth - 1, -infinity, -alpha, 1, true);
                } else {
                    score = -search(child, depth - 1, -alpha - 1, -alpha, 1, true);
                    if (score > alpha && !aborted) score = -search(child, depth - 1, -infinity, -alpha, 1, true);
                }
                if (aborted) break;
                moves[i].order = score;
                if (score > bestScore) {
                    bestScore = score, bestAt = i;
                    alpha = std::max(alpha, score);
                    line.assign(1, Move(m));
                    line.insert(line.end(), pv[1], pv[1] + pvLength[1]);
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
        if (!aborted || changed) {
            const std::vector<Move>& first = found[rank[0]];
            reply = first.size() > 1 ? first[1] : Move();
            for (int k = 0; main && s.report && k < completed; ++k) {
                Report r;
                r.depth = depth, r.score = scores[rank[k]], r.line = s.lines > 1 ? k + 1 : 0;
                for (size_t ply = 0; ply < found[rank[k]].size(); ++ply)
                    r.pv.push_back(found[rank[k]][ply].info(static_cast<int>(ply + rootBoard.sideToMove) % 2));
                r.selectiveDepth = std::max(depth, selectiveDepth);
                r.nodes = s.nodesSearched(), r.milliseconds = time.elapsed(), r.hashPermille = s.table.permille();
                r.phase = root.placement.phase;
                s.report(s.reportContext, r);
            }
        }
        if (aborted) break;
        answered = true;
        if (!main) continue;
        changes = changes / 2 + (changed && depth > 1 ? 2 : 0);
        if (!time.anotherIteration(depth, pliesToMate(bestValue), n, s.pondering.load(), changes / 2)) break;
        // A mate search ends with a mate in as many moves as asked, or, with no other limit, once
        // its iterations have shown that there is none.
        if (s.limits.mate > 0 && (pliesToMate(bestValue) < 2 * s.limits.mate && bestValue > 0)) break;
        if (s.limits.mate > 0 && depth >= 2 * s.limits.mate - 1 && !time.timed && s.limits.nodes == 0 && s.limits.depth == 0) break;
    }
    if (ponder) *ponder = reply.none() ? MoveInfo(-1, -1, -1, -1, NoPromotion, 0) : reply.info(opponent(rootBoard.sideToMove));
    MoveInfo answer = best.info(rootBoard.sideToMove);
    answer.value = bestValue;
    return answer;
}

}  // namespace deep
