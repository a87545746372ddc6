#include "move_generation.h"

#include "../rules/rule_checker.h"

namespace {

void addCandidate(MoveList* head, const Board& position, MoveInfo move) {
    Board* copy = new Board(position);
    makeMove(*copy, move);
    copy->switchSide();
    copy->lastMove = move;
    addChild(head, copy);
}

void tryMove(MoveList* head, const Board& position, const MoveTable& table, bool kingSafety, int from, int to) {
    if (checkMoveBetween(position, from, to, table, true, kingSafety) != Legal) return;
    MoveInfo move(from / 8, from % 8, to / 8, to % 8, NoPromotion, 0);
    const PieceCode piece = position.squares[from];
    if (!promotesPawn(piece, move)) {
        addCandidate(head, position, move);
        return;
    }
    for (int kind = Rook; kind <= Queen; ++kind) {
        move.promotion = pieceCode(kind, piece);
        addCandidate(head, position, move);
    }
}

}  // namespace

MoveList* generateMoves(const Board& position, const MoveTable& table, bool kingSafety) {
    MoveList* head = new MoveList;
    head->board = const_cast<Board*>(&position);  // the head never owns or changes its board

    // Destinations the table rules out are refused by the checker anyway; skipping them keeps
    // the order of the rest.
    const bool white = position.sideToMove == White;
    for (int i = 0; i < 64; ++i) {
        const int from = white ? i : 63 - i;
        const PieceCode piece = position.squares[from];
        if (pieceSide(piece) != position.sideToMove) continue;
        const uint8_t* row = table.flags[piece][from];
        for (int j = 0; j < 64; ++j) {
            const int to = white ? j : 63 - j;
            if (row[to]) tryMove(head, position, table, kingSafety, from, to);
        }
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
