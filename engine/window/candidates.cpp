#include "candidates.h"

#include <vector>

#include "../../rules/move_generator.h"

MoveList* generateMoves(const Board& position, bool kingSafety) {
    MoveList* head = new MoveList;
    head->board = const_cast<Board*>(&position);  // the head never owns or changes its board
    const Occupancy occupied(position);
    std::vector<GeneratedMove> moves;
    MoveWalk walk(position, occupied, kingSafety);
    for (GeneratedMove m; walk.next(m);) moves.push_back(m);
    // Children are prepended: the last move first, so that the chain runs in the walk's order.
    for (auto m = moves.rbegin(); m != moves.rend(); ++m) {
        Board* copy = new Board;
        Occupancy unused;
        makeCandidate(position, occupied, *m, *copy, unused);
        addChild(head, copy);
    }
    return head;
}

void addChild(PositionNode* node, Board* board) {
    PositionNode* child = new PositionNode;
    child->board = board;
    child->parent = node;
    child->nextSibling = node->firstChild;
    node->firstChild = child;
}

int childCount(const PositionNode* node) {
    int n = 0;
    for (const PositionNode* c = node->firstChild; c; c = c->nextSibling) ++n;
    return n;
}

void moveChildToFront(PositionNode* node, int index) {
    if (index <= 0 || node->firstChild == nullptr) return;
    PositionNode* before = node->firstChild;
    for (int i = 1; i < index && before->nextSibling; ++i) before = before->nextSibling;
    PositionNode* moved = before->nextSibling;
    if (moved == nullptr) return;
    before->nextSibling = moved->nextSibling;
    moved->nextSibling = node->firstChild;
    node->firstChild = moved;
}

void destroyChildren(PositionNode* node) {
    PositionNode* child = node->firstChild;
    while (child) {
        PositionNode* next = child->nextSibling;
        destroyChildren(child);
        delete child->board;
        delete child;
        child = next;
    }
}
