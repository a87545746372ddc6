#include "move_choice.h"

#include "engine.h"
#include "opening_book.h"
#include "random.h"
#include "search_display.h"

int64_t searchStartClock = 0;
SharedMove currentMove;
void (*iterationDone)(int depth, const MoveInfo& result) = nullptr;

MoveInfo SharedMove::load() const {
    return MoveInfo(fromRow.load(), fromCol.load(), toRow.load(), toCol.load(),
                    static_cast<PieceCode>(promotion.load()), value.load());
}

void SharedMove::store(const MoveInfo& m) {
    fromCol = m.fromCol;
    fromRow = m.fromRow;
    toCol = m.toCol;
    toRow = m.toRow;
    promotion = m.promotion;
    value = m.value;
}

MoveInfo think(const Board& board, const MoveTable& table, TranspositionTable& tt, bool whiteIsEngine,
               bool blackIsEngine) {
    Engine* engine = new Engine;
    MoveInfo result(0, 0, 0, 0, NoPromotion, 0);
    currentMove.reset();

    if ((board.sideToMove == White && whiteIsEngine) || (board.sideToMove == Black && blackIsEngine)) {
        nodeCount = 0;
        PositionNode* root = new PositionNode;
        root->board = const_cast<Board*>(&board);  // searched, never changed

        // One engine move in four starts from an empty table; early in the game the book returns.
        if (nextRandom() % 4 == 0) {
            tt.clear();
            if (board.plyCount <= 9) LoadOpeningBook(tt);
        }

        searchStartClock = millisecondClock();
        for (rootDepth = minDepth; rootDepth <= maxDepth; ++rootDepth) {
            const MoveInfo previous = result;
            result = engine->search(root, table, tt, rootDepth, -scoreLimit, scoreLimit, &previous);
            if (iterationDone) iterationDone(rootDepth, result);
        }
        drawSearchStatistics();
        delete root;
    }
    delete engine;
    return result;
}
