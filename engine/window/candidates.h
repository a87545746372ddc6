// Candidate successor positions, as a chain of nodes that is also the search tree.
#pragma once

#include "../../rules/board.h"

struct PositionNode {
    Board* board = nullptr;
    uint8_t legal = 1;
    PositionNode* parent = nullptr;
    PositionNode* firstChild = nullptr;
    PositionNode* nextSibling = nullptr;
};

// The head node returned by generateMoves: its board is the caller's, its children the candidates.
typedef PositionNode MoveList;

// Every move checkMove accepts for the side to move, made on its own copy of the position, in the
// engine's order (the move generator's): White's moves from the highest origin and destination
// down, Black's from the lowest up; a promotion as queen, bishop, knight, rook. The caller owns the
// list and frees it with destroyChildren and delete.
MoveList* generateMoves(const Board& position, bool kingSafety);

// Prepends a node owning board to node's children.
void addChild(PositionNode* node, Board* board);
int childCount(const PositionNode* node);
// Moves the child at index to the front; an index at most 0 or past the last child changes nothing.
void moveChildToFront(PositionNode* node, int index);
// Frees node's children, their boards and their subtrees; node itself and its board stay.
void destroyChildren(PositionNode* node);
