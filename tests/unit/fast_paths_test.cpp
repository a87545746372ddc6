// The engine's fast paths against the straightforward forms they replace: the search on a stack of
// boards with incremental keys and evaluation terms against a search over generateMoves' heap
// nodes with full-scan keys and a full-scan evaluation. Same moves, values, node counts, output
// lines and table contents, on many positions from random games.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "engine/evaluation.h"
#include "engine/opening_book.h"
#include "engine/random.h"
#include "engine/search_display.h"
#include "fen.h"
#include "rules/game_end.h"
#include "rules/rule_checker.h"

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
MoveInfo referenceSearch(PositionNode* n, const MoveTable& table, TranspositionTable& tt, int depth, int alpha,
                         int beta, const MoveInfo* firstMove) {
    const Board& b = *n->board;
    const int32_t index = tt.indexOf(b), key = tt.checkKeyOf(b);
    if (const TableEntry* e = tt.lookup(b, depth))
        if (e->move.onBoard() && checkMove(b, e->move, table, true, false) == Legal) return e->move;
    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) {
        MoveInfo leaf = b.lastMove;
        leaf.value = referenceEvaluate(b);
        return leaf;
    }
    const bool isRoot = depth == rootDepth;
    MoveList* list = generateMoves(b, table, false);
    const int count = childCount(list);
    if (firstMove) {
        int found = -1, i = 0;
        for (PositionNode* c = list->firstChild; c; c = c->nextSibling, ++i)
            if (c->board->lastMove.sameSquares(*firstMove)) found = i;
        if (found >= 0) moveChildToFront(list, found);
    }
    bool anyLegal = false;
    int moveNo = 0;
    MoveInfo firstLegal;
    char text[64];
    for (PositionNode* c = list->firstChild; c && best.value < beta; c = c->nextSibling) {
        ++nodeCount;
        ++moveNo;
        if (isRoot) formatProgress(text, moveNo, count), record(ProgressText, text);
        if (c->board->findKing(true) == -1) {
            n->legal = 0;
            destroyChildren(list);
            delete list;
            return best;
        }
        alpha = std::max(alpha, best.value);
        const int v = -referenceSearch(c, table, tt, depth - 1, -beta, -alpha, nullptr).value;
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
    destroyChildren(list);
    delete list;
    MoveInfo answer = isRoot && anyLegal && best.value <= -scoreLimit ? firstLegal : best;
    if (!anyLegal) {
        const int ply = rootDepth - depth;
        best = b.lastMove;
        best.value = isInCheck(b, table) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply;
        answer = best;
    }
    tt.store(index, key, b.sideToMove, depth, best);
    return answer;
}

// Positions met along seeded random games from varied starts, legal and pseudo-legal moves mixed.
std::vector<Board> randomPositions(const MoveTable& table, int games, int plies, unsigned seed) {
    const char* starts[] = {
        "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1",
        "r3k2r/p1ppqpb1/bn2pnp1/3PN3/1p2P3/2N2Q1p/PPPBBPPP/R3K2R w KQkq - 0 1",
        "8/2p5/3p4/KP5r/1R3p1k/8/4P1P1/8 w - - 0 1",
        "rnbq1k1r/pp1Pbppp/2p5/8/2B5/8/PPP1NnPP/RNBQK2R w KQ - 1 8",
        "r3k2r/Pppp1ppp/1b3nbN/nP6/BBP1P3/q4N2/Pp1P2PP/R2Q1RK1 w kq - 0 1",
        "4k3/8/8/8/8/8/8/R3K2R w KQ - 0 1",
        "8/8/8/4k3/8/8/8/4K2R b K - 0 1",  // a side without pieces but its king
        "rnb1kbnr/8/8/8/8/8/8/RNBQKBNR w KQkq - 0 1",
    };
    std::mt19937 rng(seed);
    std::vector<Board> out;
    for (int g = 0; g < games; ++g) {
        Board b;
        std::string error;
        readFen(starts[g % (sizeof starts / sizeof *starts)], b, error);
        for (int p = 0; p < plies; ++p) {
            out.push_back(b);
            MoveList* list = generateMoves(b, table, rng() % 4 != 0);
            const int n = childCount(list);
            if (n == 0) {
                destroyChildren(list);
                delete list;
                break;
            }
            PositionNode* c = list->firstChild;
            for (int i = static_cast<int>(rng() % n); i > 0; --i) c = c->nextSibling;
            b = *c->board;
            destroyChildren(list);
            delete list;
        }
    }
    return out;
}

struct FastPaths : ::testing::Test {
    MoveTable* table = new MoveTable;
    void SetUp() override { buildMoveTable(*table); }
    void TearDown() override {
        delete table;
        showPanelText = nullptr;
    }
};

TEST_F(FastPaths, EvaluationTermsMatchTheFullScan) {
    int checked = 0;
    for (const Board& b : randomPositions(*table, 40, 60, 11)) {
        ASSERT_EQ(Engine().evaluate(b), referenceEvaluate(b));
        // The running terms after a move equal the terms built from scratch.
        EvaluationTerms terms(b);
        MoveList* list = generateMoves(b, *table, false);
        for (PositionNode* c = list->firstChild; c; c = c->nextSibling) {
            EvaluationTerms after = terms;
            for (int s = 0; s < 64; ++s)
                if (b.squares[s] != c->board->squares[s]) {
                    if (b.squares[s] != EmptySquare) after.remove(b.squares[s], s);
                    if (c->board->squares[s] != EmptySquare) after.add(c->board->squares[s], s);
                }
            after.settle();
            if (after.known()) {
                ASSERT_EQ(after.score(c->board->sideToMove), referenceEvaluate(*c->board));
            }
            ++checked;
        }
        destroyChildren(list);
        delete list;
    }
    EXPECT_GT(checked, 20000);
    // Two kings of a colour: the first in square order counts.
    Board twoKings;
    std::string error;
    readFen("4k3/8/8/8/8/8/8/K2QK3 w - - 0 1", twoKings, error);
    EXPECT_EQ(Engine().evaluate(twoKings), referenceEvaluate(twoKings));
}

TEST_F(FastPaths, SearchMatchesTheHeapNodeSearch) {
    int compared = 0;
    const std::vector<Board> positions = randomPositions(*table, 24, 40, 5);
    for (size_t i = 0; i < positions.size(); i += 2) {
        Board b = positions[i];
        const int depth = 1 + static_cast<int>(i % 3);
        restartRandom();
        TranspositionTable fastTable(10), slowTable(10);  // small tables: many shared slots
        LoadOpeningBook(fastTable);
        std::memcpy(slowTable.indexKeys, fastTable.indexKeys, sizeof fastTable.indexKeys);
        std::memcpy(slowTable.checkKeys, fastTable.checkKeys, sizeof fastTable.checkKeys);
        LoadOpeningBook(slowTable);

        // Two iterations, the second with the first's move in front, as the move choice runs them.
        MoveInfo fast, slow;
        for (int iteration = 0; iteration < 2; ++iteration) {
            const MoveInfo fastFirst = fast, slowFirst = slow;
            rootDepth = depth + iteration;
            shown.clear();
            showPanelText = record;
            nodeCount = 0;
            PositionNode fastRoot;
            fastRoot.board = &b;
            fast = Engine().search(&fastRoot, *table, fastTable, rootDepth, -scoreLimit, scoreLimit, &fastFirst);
            const int fastNodes = nodeCount;
            const std::vector<std::string> fastShown = shown;

            showPanelText = nullptr;
            shown.clear();
            nodeCount = 0;
            PositionNode slowRoot;
            slowRoot.board = &b;
            slow = referenceSearch(&slowRoot, *table, slowTable, rootDepth, -scoreLimit, scoreLimit, &slowFirst);

            ASSERT_TRUE(fast.sameSquares(slow)) << "position " << i;
            ASSERT_EQ(fast.promotion, slow.promotion);
            ASSERT_EQ(fast.value, slow.value);
            ASSERT_EQ(fastNodes, nodeCount);
            ASSERT_EQ(fastRoot.legal, slowRoot.legal);
            ASSERT_EQ(fastShown, shown);
        }
        for (int32_t e = 0; e < fastTable.size(); ++e) {
            const TableEntry &x = fastTable.entries[e], &y = slowTable.entries[e];
            ASSERT_TRUE(x.valid == y.valid && x.side == y.side && x.depth == y.depth && x.key == y.key &&
                        x.move.sameSquares(y.move) && x.move.promotion == y.move.promotion &&
                        x.move.value == y.move.value)
                << "table entry " << e;
        }
        ++compared;
    }
    EXPECT_GT(compared, 100);
}

}  // namespace
