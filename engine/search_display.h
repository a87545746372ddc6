// What the engine shows under the board while and after it thinks: the texts of the panel's
// second and third lines. The texts are formatted here; each program decides where they go.
#pragma once

#include <cstdint>

#include "../rules/move_info.h"

enum PanelText {
    ProgressText,   // line 2, left: root moves taken up out of how many
    BestMoveText,   // line 2, right: best root move so far and its score
    NodesText,      // line 3, left: positions and seconds
    SpeedText       // line 3, right: positions per second
};

// Receives each text as it is made; null (the default) shows nothing. Set once before any game.
extern void (*showPanelText)(PanelText which, const char* text);

// Every buffer below needs at least 64 bytes.
void formatProgress(char* buffer, int moveNo, int count);             // "12/20    "
void formatBestMove(char* buffer, const MoveInfo& move, int value);   // "   E2-E4...     35"
void formatDepth(char* buffer, int depth);                            // "Td: 5     "
void formatValue(char* buffer, int value);                            // "   Val:    -12"
// msSinceStart: the clock's reading now minus its reading when the search started.
void formatNodes(char* buffer, int nodes, int64_t msSinceStart);      // "150 p, 0.3 s  "
void formatSpeed(char* buffer, int nodes, int64_t msSinceStart);      // "    500.0 p/s"

// A clock in milliseconds, as the engine times itself.
int64_t millisecondClock();

// Shows the statistics of the engine move that just ended (nodeCount, searchStartClock).
void drawSearchStatistics();
