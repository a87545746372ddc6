// The window engine: its evaluation and its search, on a stateless record.
#pragma once

#include <cstdint>

#include "../../rules/board.h"
#include "../../rules/move_table.h"
#include "candidates.h"
#include "context.h"
#include "transposition_table.h"

// Bounds the search window; mate and stalemate scores are built on it.
const int scoreLimit = 10000;

struct Engine {
    // Static score of the position in hundredths of a pawn, for the side to move.
    int32_t evaluate(const Board& position) const;

    // Negamax alpha-beta search of node's position to depth, for the engine move that context
    // counts and shows (its rootDepth names the root's depth). firstMove, when given, is tried
    // first. On return node->legal tells whether the position can arise from a legal move.
    MoveInfo search(SearchContext& context, PositionNode* node, const MoveTable& table, TranspositionTable& tt,
                    int depth, int alpha, int beta, const MoveInfo* firstMove) const;
};
