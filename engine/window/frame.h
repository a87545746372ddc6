// A position on the search stack: the board with what the search keeps up to date move by move
// instead of working it out again from the 64 squares: the squares each side occupies, the table
// keys and the evaluation's running sums.
#pragma once

#include <cassert>

#include "../../rules/move_generator.h"
#include "engine.h"
#include "evaluation.h"
#include "transposition_table.h"

struct Frame {
    Board board;
    Occupancy occupied;
    int32_t index;  // the table keys: slot index and check key
    int32_t key;
    EvaluationTerms terms;

    Frame() = default;
    // The root: everything worked out from the board.
    Frame(const Board& root, const TranspositionTable& tt)
        : board(root), occupied(root), index(tt.indexOf(root)), key(tt.checkKeyOf(root)), terms(root) {}

    // The keys of the position after a move that does `effect`.
    void keysAfter(const MoveEffect& effect, const TranspositionTable& tt, int32_t& childIndex,
                   int32_t& childKey) const {
        childIndex = index, childKey = key;
        for (int i = 0; i < effect.count; ++i) {
            const SquareChange& c = effect.changes[i];
            const SquareKeys &was = tt.keys[c.was][c.square], &now = tt.keys[c.now][c.square];
            childIndex ^= was.index ^ now.index;
            childKey ^= was.key ^ now.key;
        }
    }

    // This frame becomes the parent's position after the move, whose effect and keys are known:
    // the move made, the side switched, the move recorded as the last move.
    void play(const Frame& parent, const MoveInfo& move, const MoveEffect& effect, int32_t childIndex,
              int32_t childKey) {
        makeCandidate(parent.board, parent.occupied, move, effect, board, occupied);
        terms = parent.terms;
        terms.apply(effect);
        index = childIndex;
        key = childKey;
    }
    void play(const Frame& parent, const GeneratedMove& move, const TranspositionTable& tt) {
        MoveEffect effect;
        describeMove(parent.board, move.from, move.to, move.promotion, effect);
        int32_t childIndex, childKey;
        parent.keysAfter(effect, tt, childIndex, childKey);
        play(parent, move.info(), effect, childIndex, childKey);
        assert(consistent(tt));
    }

    // What is kept up to date equals what the board gives when worked out afresh: the squares
    // occupied, the table keys and, where the running sums hold it, the score.
    bool consistent(const TranspositionTable& tt) const {
        const Occupancy fresh(board);
        return fresh.bySide[0] == occupied.bySide[0] && fresh.bySide[1] == occupied.bySide[1] &&
               index == tt.indexOf(board) && key == tt.checkKeyOf(board) &&
               (!terms.known() || terms.score(board.sideToMove) == Engine().evaluate(board));
    }

    // The static value for the side to move: from the running sums when they hold it.
    int32_t value(const Engine& engine) const {
        return terms.known() ? terms.score(board.sideToMove) : engine.evaluate(board);
    }
};
