// The engine's fast paths against the straightforward forms they replace: the search on a stack of
// boards with incremental keys and evaluation terms against a search over generateMoves' heap
// nodes with full-scan keys and a full-scan evaluation. Same moves, values, node counts, output
// lines and table contents, on many positions from random games.
#include <cstdlib>
#include <cstring>

#include "engine/engine.h"
#include "engine/evaluation.h"
#include "engine/search_display.h"
#include "rules/game_end.h"
#include "rules/rule_checker.h"
#include "test_support.h"

namespace {

int32_t referenceEvaluate(const Board& b) {
    const int kings[2] = {b.findKingOfColour(White), b.findKingOfColour(Black)};
    auto dist = [&](int s, int colour) {
        const int k = kings[colour], kr = k / 8, kc = k - 8 * (k / 8);
        return std::abs(s / 8 - kr) + std::abs(s % 8 - kc);
    };
    int32_t sum = 0;
    int pawns[2][8] = {}, rooks[2][8] = {}, pieces[8] = {};
    for (int s = 0; s < 64; ++s) {
        const PieceCode p = b.squares[s];
        if (p == EmptySquare) continue;
        const int r = s / 8, c = s % 8, colour = p % 2, sign = colour ? -1 : 1;
        ++pieces[c];
        if (p <= 1) {
            sum += sign * (100 + 2 * (colour ? 7 - r : r));
            ++pawns[colour][c];
        } else if (p <= 9) {
            static const int values[5] = {0, 512, 310, 308, 914};
            sum += sign * (values[p / 2] - dist(s, 1 - colour));
            if (p / 2 == Rook) ++rooks[colour][c];
            if (p / 2 == Knight && !(r >= 2 && r <= 5 && c >= 2 && c <= 5)) sum -= sign * 15;
        }
    }
    for (int c = 0; c < 8; ++c) {
        sum += (pawns[0][c] > 1 ? -20 : 0) + (pawns[1][c] > 1 ? 20 : 0);
        if (rooks[0][c] && pieces[c] == rooks[0][c]) sum += 50 * rooks[0][c];
        if (rooks[1][c] && pieces[c] == rooks[1][c]) sum -= 30 * rooks[1][c];
        if (pawns[0][c] == 1 && pawns[1][c] == 0) sum += 30;
        if (pawns[1][c] == 1 && pawns[0][c] == 0) sum -= 30;
    }
    return b.sideToMove == White ? sum : -sum;
}

std::vector<std::string> shown;
void record(PanelText which, const char* text) { shown.push_back(std::to_string(which) + text); }

// The search walked over the heap nodes of generateMoves, as the rules of the search describe it.
MoveInfo referenceSearch(PositionNode* n, TranspositionTable& tt, int depth, int alpha, int beta,
                         const MoveInfo* firstMove) {
    const Board& b = *n->board;
    if (const TableEntry* e = tt.lookup(b, depth))
        if (e->move.onBoard() && checkMove(b, e->move, table(), true, false) == Legal) return e->move;
    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) return MoveInfo(b.lastMove.fromRow, b.lastMove.fromCol, b.lastMove.toRow, b.lastMove.toCol,
                                    b.lastMove.promotion, referenceEvaluate(b));
    const bool isRoot = depth == rootDepth;
    MoveList* list = generateMoves(b, table(), false);
    const int count = childCount(list);
    int found = -1, i = 0;
    for (PositionNode* c = list->firstChild; firstMove && c; c = c->nextSibling, ++i)
        if (c->board->lastMove.sameSquares(*firstMove)) found = i;
    if (found >= 0) moveChildToFront(list, found);
    bool anyLegal = false;
    int moveNo = 0;
    MoveInfo firstLegal;
    char text[64];
    for (PositionNode* c = list->firstChild; c && best.value < beta; c = c->nextSibling) {
        ++nodeCount;
        if (isRoot) formatProgress(text, ++moveNo, count), record(ProgressText, text);
        if (c->board->findKing(true) == -1) {
            n->legal = 0;
            freeList(list);
            return best;
        }
        alpha = std::max(alpha, best.value);
        const int v = -referenceSearch(c, tt, depth - 1, -beta, -alpha, nullptr).value;
        if (!c->legal) continue;
        MoveInfo m = c->board->lastMove;
        m.value = v;
        if (!anyLegal) firstLegal = m;
        anyLegal = true;
        if (v > best.value) {
            best = m;
            if (isRoot) formatBestMove(text, best, v), record(BestMoveText, text);
        }
    }
    freeList(list);
    MoveInfo answer = isRoot && anyLegal && best.value <= -scoreLimit ? firstLegal : best;
    if (!anyLegal) {
        const int ply = rootDepth - depth;
        best = b.lastMove;
        best.value = isInCheck(b, table()) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply;
        answer = best;
    }
    tt.store(tt.indexOf(b), tt.checkKeyOf(b), b.sideToMove, depth, best);
    return answer;
}

TEST(FastPaths, EvaluationTermsMatchTheFullScan) {
    int checked = 0;
    for (const Board& b : randomPositions(40, 60, 11)) {
        ASSERT_EQ(Engine().evaluate(b), referenceEvaluate(b));
        // The running terms after a move equal the terms built from scratch.
        EvaluationTerms terms(b);
        MoveList* list = generateMoves(b, table(), false);
        for (PositionNode* c = list->firstChild; c; c = c->nextSibling, ++checked) {
            EvaluationTerms after = terms;
            for (int s = 0; s < 64; ++s)
                if (b.squares[s] != c->board->squares[s]) {
                    if (b.squares[s] != EmptySquare) after.remove(b.squares[s], s);
                    if (c->board->squares[s] != EmptySquare) after.add(c->board->squares[s], s);
                }
            after.settle();
            ASSERT_TRUE(!after.known() || after.score(c->board->sideToMove) == referenceEvaluate(*c->board));
        }
        freeList(list);
    }
    EXPECT_GT(checked, 20000);
}

TEST(FastPaths, SearchMatchesTheHeapNodeSearch) {
    int compared = 0;
    const std::vector<Board> positions = randomPositions(24, 40, 5);
    for (size_t i = 0; i < positions.size(); i += 2, ++compared) {
        Board b = positions[i];
        std::unique_ptr<TranspositionTable> fastTable = freshTable(10);  // small tables: many shared slots
        TranspositionTable slowTable(10);
        std::memcpy(slowTable.indexKeys, fastTable->indexKeys, sizeof slowTable.indexKeys);
        std::memcpy(slowTable.checkKeys, fastTable->checkKeys, sizeof slowTable.checkKeys);
        LoadOpeningBook(slowTable);
        // Two iterations, the second with the first's move in front, as the move choice runs them.
        MoveInfo results[2];  // fast, slow
        showPanelText = record;  // the reference records its lines itself
        for (int depth = 1 + i % 3, last = depth + 1; depth <= last; ++depth) {
            const MoveInfo firstMoves[2] = {results[0], results[1]};
            PositionNode roots[2];
            std::string seen[2];
            for (int slow = 0; slow < 2; ++slow) {
                roots[slow].board = &b;
                rootDepth = depth;
                nodeCount = 0;
                shown.clear();
                const MoveInfo& m = results[slow] =
                    slow ? referenceSearch(&roots[1], slowTable, depth, -scoreLimit, scoreLimit, &firstMoves[1])
                         : Engine().search(&roots[0], table(), *fastTable, depth, -scoreLimit, scoreLimit, &firstMoves[0]);
                seen[slow] = moveName(m) + " " + std::to_string(m.promotion) + " " + std::to_string(m.value) + " " +
                             std::to_string(nodeCount) + " " + std::to_string(roots[slow].legal);
                for (const std::string& line : shown) seen[slow] += " | " + line;
            }
            ASSERT_EQ(seen[0], seen[1]) << "position " << i;
        }
        showPanelText = nullptr;
        const auto fields = [](const TableEntry& x) {
            return std::make_tuple(x.valid, x.side, x.depth, x.key, moveName(x.move), x.move.promotion, x.move.value);
        };
        for (int32_t e = 0; e < slowTable.size(); ++e)
            ASSERT_EQ(fields(fastTable->entries[e]), fields(slowTable.entries[e])) << "table entry " << e;
    }
    EXPECT_GT(compared, 100);
}

}  // namespace
