// The engine's fast paths against the straightforward forms they replace: the search on a stack of
// boards with incremental keys and evaluation terms against a search over generateMoves' heap
// nodes with full-scan keys and a full-scan evaluation. Same moves, values, node counts, output
// lines and table contents, on many positions from random games. The evaluation's own terms are
// pinned by the recorded results (engine_test.cpp).
#include "engine/window/panel.h"
#include "engine/window/engine.h"
#include "rules/game_end.h"
#include "rules/rule_checker.h"
#include "test_support.h"

static std::string shown;
static void record(PanelText which, const char* text) { shown += " | " + std::to_string(which) + text; }

// The search walked over the heap nodes of generateMoves, as the rules of the search describe it.
static MoveInfo referenceSearch(SearchContext& context, PositionNode* n, TranspositionTable& tt, int depth, int alpha,
                                int beta, const MoveInfo* firstMove) {
    const Board& b = *n->board;
    if (const TableEntry* e = tt.lookup(b, depth))
        if (e->move.onBoard() && checkMove(b, e->move, table(), true, false) == Legal) return e->move;
    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit), firstLegal, last = b.lastMove;
    if (depth == 0) return last.value = Engine().evaluate(b), last;
    MoveList* list = generateMoves(b, false);
    const int count = childCount(list);
    int found = -1, i = 0, moveNo = 0;
    for (PositionNode* c = list->firstChild; firstMove && c; c = c->nextSibling, ++i)
        if (c->board->lastMove.sameSquares(*firstMove)) found = i;
    if (found >= 0) moveChildToFront(list, found);
    bool anyLegal = false;
    char text[64];
    for (PositionNode* c = list->firstChild; c && best.value < beta; c = c->nextSibling) {
        ++context.nodeCount;
        if (depth == context.rootDepth) formatProgress(text, ++moveNo, count), record(ProgressText, text);
        if (c->board->findKing(true) == -1) return freeList(list), n->legal = 0, best;
        alpha = std::max(alpha, best.value);
        MoveInfo m = c->board->lastMove;
        m.value = -referenceSearch(context, c, tt, depth - 1, -beta, -alpha, nullptr).value;
        if (!c->legal) continue;
        if (!anyLegal) firstLegal = m;
        anyLegal = true;
        if (m.value <= best.value) continue;
        best = m;
        if (depth == context.rootDepth) formatBestMove(text, m, m.value), record(BestMoveText, text);
    }
    freeList(list);
    MoveInfo answer = depth == context.rootDepth && anyLegal && best.value <= -scoreLimit ? firstLegal : best;
    if (!anyLegal) {
        const int ply = context.rootDepth - depth;
        best = answer = last;
        best.value = answer.value = isInCheck(b) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply;
    }
    tt.store(tt.indexOf(b), tt.checkKeyOf(b), b.sideToMove, depth, best);
    return answer;
}

TEST(FastPaths, SearchMatchesTheHeapNodeSearch) {
    const std::vector<Board> positions = randomPositions(24, 40, 5);
    for (size_t i = 0; i < positions.size(); i += 2) {
        Board b = positions[i];
        // Small tables with the same keys and the book: many shared slots.
        std::unique_ptr<TranspositionTable> tables[2] = {newGameTable(10), newGameTable(10)};  // fast, slow
        MoveInfo results[2];
        SearchContext context;
        context.showPanelText = record;  // the reference records its lines itself
        // Two iterations, the second with the first's move in front, as the move choice runs them.
        for (int depth = 1 + i % 3, last = depth + 1; depth <= last; ++depth) {
            std::string seen[2];
            for (int slow = 0; slow < 2; ++slow) {
                PositionNode root;
                root.board = &b;
                context.rootDepth = depth, context.nodeCount = 0, shown.clear();
                const MoveInfo first = results[slow];
                const MoveInfo& m = results[slow] =
                    slow ? referenceSearch(context, &root, *tables[1], depth, -scoreLimit, scoreLimit, &first)
                         : Engine().search(context, &root, table(), *tables[0], depth, -scoreLimit, scoreLimit, &first);
                seen[slow] = spaced(moveName(m), int(m.promotion), m.value, context.nodeCount, int(root.legal), shown);
            }
            ASSERT_EQ(seen[0], seen[1]) << "position " << i;
        }
        const auto entry = [&](int slow, int e) {
            const TableEntry& x = tables[slow]->entries[e];
            return spaced(int(x.valid), x.side, int(x.depth), x.key, moveName(x.move), int(x.move.promotion),
                          x.move.value);
        };
        for (int32_t e = 0; e < tables[1]->size(); ++e) ASSERT_EQ(entry(0, e), entry(1, e)) << "table entry " << e;
    }
}
