#include "move_table.h"

#include <cstdlib>
#include <cstring>

namespace {

const int knightSteps[8] = {10, 17, 15, 6, -6, -15, -17, -10};
const int kingSteps[8] = {1, 9, 8, 7, -1, -9, -8, -7};

void jumps(MoveTable& t, int white, const int (&steps)[8], int maxColumnShift) {
    for (int from = 0; from < 64; ++from)
        for (int step : steps) {
            int to = from + step;
            if (to < 0 || to > 63 || std::abs(to % 8 - from % 8) > maxColumnShift) continue;
            t.flags[white][from][to] = t.flags[white + 1][from][to] = MoveToEmpty | MoveToCapture;
        }
}

void pawns(MoveTable& t, int code, int dir, int firstRow, int lastRow, int doubleFrom, int epFrom) {
    for (int r = firstRow; r <= lastRow; ++r)
        for (int c = 0; c < 8; ++c) {
            const int from = r * 8 + c;
            const int ahead = (r + dir) * 8 + c;
            t.flags[code][from][ahead] = MoveToEmpty;
            if (r == doubleFrom) t.flags[code][from][ahead + dir * 8] = MoveToEmpty;
            for (int dc = -1; dc <= 1; dc += 2) {
                if (c + dc < 0 || c + dc > 7) continue;
                uint8_t f = MoveToCapture;
                if (r == epFrom) f |= EnPassantCandidate;
                t.flags[code][from][ahead + dc] = f;
            }
        }
}

}  // namespace

void buildMoveTable(MoveTable& t) {
    std::memset(t.flags, 0, sizeof t.flags);

    pawns(t, 0, +1, 1, 6, 1, 4);
    pawns(t, 1, -1, 1, 7, 6, 3);
    jumps(t, 4, knightSteps, 2);
    jumps(t, 10, kingSteps, 1);
    t.flags[10][4][6] = CastleKingSide;
    t.flags[11][60][62] = CastleKingSide;
    t.flags[10][4][2] = CastleQueenSide;
    t.flags[11][60][58] = CastleQueenSide;

    for (int from = 0; from < 64; ++from)
        for (int to = 0; to < 64; ++to) {
            if (from == to) continue;
            const int dr = std::abs(to / 8 - from / 8), dc = std::abs(to % 8 - from % 8);
            const bool diagonal = dr == dc;
            const bool straight = dr == 0 || dc == 0;
            const uint8_t any = MoveToEmpty | MoveToCapture;
            if (diagonal) t.flags[6][from][to] = t.flags[7][from][to] = any;
            if (straight) t.flags[2][from][to] = t.flags[3][from][to] = any;
            if (diagonal || straight) t.flags[8][from][to] = t.flags[9][from][to] = any;
        }
}
