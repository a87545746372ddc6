#include "panel.h"

#include <cstdio>

#include "../clock.h"

void formatProgress(char* buffer, int moveNo, int count) { std::sprintf(buffer, "%d/%d    ", moveNo, count); }

void formatBestMove(char* buffer, const MoveInfo& m, int value) {
    std::sprintf(buffer, "   %c%c-%c%c... %6d", 'A' + m.fromCol, '1' + m.fromRow, 'A' + m.toCol, '1' + m.toRow,
                 value);
}

void formatDepth(char* buffer, int depth) { std::sprintf(buffer, "Td: %d     ", depth); }

void formatValue(char* buffer, int value) { std::sprintf(buffer, "   Val: %6d", value); }

// The elapsed time counts one millisecond more than the clock difference, so it is never zero.
void formatNodes(char* buffer, int nodes, int64_t msSinceStart) {
    std::sprintf(buffer, "%d p, %3.1f s  ", nodes, static_cast<double>(msSinceStart + 1) / 1000.0);
}

void formatSpeed(char* buffer, int nodes, int64_t msSinceStart) {
    std::sprintf(buffer, "   %6.1f p/s", nodes * 1000.0 / static_cast<double>(msSinceStart + 1));
}

void drawSearchStatistics(const SearchContext& context) {
    const int64_t now = millisecondClock();
    if (!context.showPanelText) return;
    char text[64];
    formatNodes(text, context.nodeCount, now - context.searchStartClock);
    context.showPanelText(NodesText, text);
    formatSpeed(text, context.nodeCount, now - context.searchStartClock);
    context.showPanelText(SpeedText, text);
}
