#include "move_choice.h"

#include "../clock.h"
#include "opening_book.h"
#include "panel.h"
#include "random.h"
#include "engine.h"

SearchContext gameSearch;

MoveInfo think(SearchContext& context, const Board& board, const MoveTable& table, TranspositionTable& tt,
               bool whiteIsEngine, bool blackIsEngine) {
    Engine* engine = new Engine;
    MoveInfo result(0, 0, 0, 0, NoPromotion, 0);

    if ((board.sideToMove == White && whiteIsEngine) || (board.sideToMove == Black && blackIsEngine)) {
        context.nodeCount = 0;
        PositionNode* root = new PositionNode;
        root->board = const_cast<Board*>(&board);  // searched, never changed

        // One engine move in four starts from an empty table; early in the game the book returns.
        if (nextRandom() % 4 == 0) {
            tt.clear();
            if (board.plyCount <= 9) LoadOpeningBook(tt);
        }

        context.searchStartClock = millisecondClock();
        for (context.rootDepth = minDepth; context.rootDepth <= maxDepth; ++context.rootDepth) {
            const MoveInfo previous = result;
            result = engine->search(context, root, table, tt, context.rootDepth, -scoreLimit, scoreLimit, &previous);
            if (context.iterationDone) context.iterationDone(context, context.rootDepth, result);
        }
        drawSearchStatistics(context);
        delete root;
    }
    delete engine;
    return result;
}
