#include <algorithm>

#include "../rules/game_end.h"
#include "../rules/rule_checker.h"
#include "engine.h"
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

void freeList(MoveList* list) {
    destroyChildren(list);
    delete list;
}

// The move that led to a child, as the child's board records it, with a score.
MoveInfo moveTo(const PositionNode* child, int value) {
    MoveInfo m = child->board->lastMove;
    return MoveInfo(m.fromRow, m.fromCol, m.toRow, m.toCol, m.promotion, value);
}

}  // namespace

MoveInfo Engine::search(PositionNode* node, const MoveTable& table, TranspositionTable& tt, int depth, int alpha,
                        int beta, const MoveInfo* firstMove) const {
    const Board& b = *node->board;
    const int32_t index = tt.indexOf(b);
    const int32_t key = tt.checkKeyOf(b);

    // A stored answer counts only when the rules accept its move here: two positions may share
    // both keys, and a node without a legal move stores the move that led to it.
    const TableEntry& entry = tt.entries[index];
    if (entry.valid == 1 && entry.side == b.sideToMove && entry.key == key && entry.depth >= depth &&
        entry.move.onBoard() && checkMove(b, entry.move, table, true, false) == Legal)
        return entry.move;

    MoveInfo best(0, 0, 0, 0, NoPromotion, -scoreLimit);
    if (depth == 0) {
        MoveInfo leaf = b.lastMove;
        leaf.value = evaluate(b);
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
    const PositionNode* firstLegal = nullptr;
    int firstLegalValue = 0;
    for (PositionNode* c = list->firstChild; c && best.value < beta; c = c->nextSibling) {
        c->parent = node;
        ++nodeCount;
        ++moveNo;
        if (isRoot) showProgress(moveNo, count);

        if (c->board->findKing(true) == -1) {
            // This position lets the side to move take the opponent's king: it cannot arise.
            node->legal = 0;
            freeList(list);
            return best;
        }

        alpha = std::max(alpha, best.value);
        const MoveInfo r = search(c, table, tt, depth - 1, -beta, -alpha, nullptr);
        const int v = -r.value;
        if (c->legal == 0) continue;

        if (!anyLegal) {
            firstLegal = c;
            firstLegalValue = v;
        }
        anyLegal = true;
        if (v > best.value) {
            best = moveTo(c, v);
            if (isRoot) showBestMove(best, v);
        }
    }

    // The root must always name a move: when every legal move scores the lowest possible value,
    // play the first of them rather than the empty record.
    MoveInfo rootAnswer = best;
    if (isRoot && anyLegal && best.value <= -scoreLimit) rootAnswer = moveTo(firstLegal, firstLegalValue);
    freeList(list);

    if (!anyLegal) {
        const int ply = rootDepth - depth;
        best = b.lastMove;
        best.value = isInCheck(b, table) ? ply - (scoreLimit + 1) : (scoreLimit + 1) - ply;
        rootAnswer = best;
    }

    tt.store(index, key, b.sideToMove, depth, best);
    return rootAnswer;
}
