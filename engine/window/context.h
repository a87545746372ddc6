// What the window engine's search is handed for one engine move, as the deep search is handed its
// limits and where its reports go: the iteration under way, the positions counted, when the
// search started, and where its panel texts and finished iterations go. The window program keeps
// one (gameSearch, move_choice.h); the UCI engine and the tool each keep their own.
#pragma once

#include <cstdint>

#include "../../rules/move_info.h"

enum PanelText {
    ProgressText,   // line 2, left: root moves taken up out of how many
    BestMoveText,   // line 2, right: best root move so far and its score
    NodesText,      // line 3, left: positions and seconds
    SpeedText       // line 3, right: positions per second
};

struct SearchContext {
    // Depth of the iteration in progress: a node is the root when its depth equals it.
    int32_t rootDepth = 0;
    // Positions entered by the search during the current engine move.
    int32_t nodeCount = 0;
    // The clock reading (millisecondClock) taken when the engine started searching.
    int64_t searchStartClock = 0;
    // Receives each panel text as it is made; null shows nothing.
    void (*showPanelText)(PanelText which, const char* text) = nullptr;
    // Told the result of each iteration of think (depths minDepth to maxDepth) as it ends, with
    // nodeCount holding the positions searched so far in this move; null tells no one.
    void (*iterationDone)(const SearchContext& context, int depth, const MoveInfo& result) = nullptr;
    void* listener = nullptr;  // whatever iterationDone needs: its owner's
};
