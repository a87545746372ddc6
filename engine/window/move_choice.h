// The engine's turn: prepare the table, search at depths 3 to 5, show the statistics.
#pragma once

#include "../../rules/board.h"
#include "../../rules/move_table.h"
#include "context.h"
#include "transposition_table.h"

const int minDepth = 3;
const int maxDepth = 5;

// The engine's move for the side to move when that side is played by the engine; otherwise
// {0, 0, 0, 0, 12, 0}. The search counts and shows itself in context.
MoveInfo think(SearchContext& context, const Board& board, const MoveTable& table, TranspositionTable& tt,
               bool whiteIsEngine, bool blackIsEngine);

// The window program's search context: its games' engine moves count and show themselves here,
// and the program sets where the panel texts go once, before any game.
extern SearchContext gameSearch;
inline MoveInfo think(const Board& board, const MoveTable& table, TranspositionTable& tt, bool whiteIsEngine,
                      bool blackIsEngine) {
    return think(gameSearch, board, table, tt, whiteIsEngine, blackIsEngine);
}
