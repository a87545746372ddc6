// Evaluation and search.
#pragma once

#include <cstdint>

#include "../rules/board.h"
#include "../rules/move_table.h"
#include "move_generation.h"
#include "transposition_table.h"

// Bounds the search window; mate and stalemate scores are built on it.
const int scoreLimit = 10000;

// Depth of the iteration in progress: a node is the root when its depth equals it.
extern int32_t rootDepth;
// Positions entered by the search during the current engine move.
extern int32_t nodeCount;

struct Engine {
    // Static score of the position in hundredths of a pawn, for the side to move.
    int32_t evaluate(const Board& position) const;

    // Negamax alpha-beta search of node's position to depth. firstMove, when given, is tried first.
    // On return node->legal tells whether the position can arise from a legal move.
    MoveInfo search(PositionNode* node, const MoveTable& table, TranspositionTable& tt, int depth, int alpha,
                    int beta, const MoveInfo* firstMove) const;
};
