#include "geometry.h"

#include <cstdlib>

namespace {

const int rowStep[8] = {1, 1, 0, -1, -1, -1, 0, 1}, colStep[8] = {0, 1, 1, 1, 0, -1, -1, -1};
const int knightOffsets[8][2] = {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}};

bool onBoard(int row, int col) { return row >= 0 && row < 8 && col >= 0 && col < 8; }

}  // namespace

Geometry::Geometry() {
    for (int from = 0; from < 64; ++from) {
        const int r = from / 8, c = from % 8;
        for (int d = 0; d < 8; ++d) {
            if (onBoard(r + rowStep[d], c + colStep[d])) kingSteps[from].add(from + 8 * rowStep[d] + colStep[d]);
            for (int tr = r + rowStep[d], tc = c + colStep[d]; onBoard(tr, tc); tr += rowStep[d], tc += colStep[d])
                rays[from][d].add(tr * 8 + tc);
            if (onBoard(r + knightOffsets[d][0], c + knightOffsets[d][1]))
                knightJumps[from].add(from + 8 * knightOffsets[d][0] + knightOffsets[d][1]);
        }
        for (int colour = White; colour <= Black; ++colour) {
            const int forward = colour == White ? 1 : -1;
            const bool moves = colour == White ? r >= 1 && r <= 6 : r >= 1;
            if (!moves) continue;
            pawnSteps[colour][from].add(from + 8 * forward);
            if (r == pawnStartRow[colour]) pawnDoubleSteps[colour][from].add(from + 16 * forward);
            for (int side = -1; side <= 1; side += 2)
                if (onBoard(r + forward, c + side)) {
                    pawnCaptures[colour][from].add(from + 8 * forward + side);
                    pawnAttackers[colour][from + 8 * forward + side].add(from);
                }
        }
    }
}

const Geometry geometry;
