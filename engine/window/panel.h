// What the engine shows under the board while and after it thinks: the texts of the panel's
// second and third lines. The texts are formatted here; each program decides where they go.
#pragma once

#include <cstdint>

#include "../../rules/move_info.h"
#include "context.h"

// Every buffer below needs at least 64 bytes.
void formatProgress(char* buffer, int moveNo, int count);             // "12/20    "
void formatBestMove(char* buffer, const MoveInfo& move, int value);   // "   E2-E4...     35"
void formatDepth(char* buffer, int depth);                            // "Td: 5     "
void formatValue(char* buffer, int value);                            // "   Val:    -12"
// msSinceStart: the clock's reading now minus its reading when the search started.
void formatNodes(char* buffer, int nodes, int64_t msSinceStart);      // "150 p, 0.3 s  "
void formatSpeed(char* buffer, int nodes, int64_t msSinceStart);      // "    500.0 p/s"

// Shows the statistics of the engine move that just ended (its nodeCount and searchStartClock).
void drawSearchStatistics(const SearchContext& context);
