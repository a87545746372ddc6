#include <cstdlib>

#include "engine.h"

namespace {

// Manhattan distance from a square to a king's square; a missing king (-1) reads as row 0, column -1.
int distance(int row, int col, int king) {
    const int kingRow = king / 8, kingCol = king - 8 * (king / 8);
    return std::abs(row - kingRow) + std::abs(col - kingCol);
}

}  // namespace

int32_t Engine::evaluate(const Board& b) const {
    const int whiteKing = b.findKingOfColour(White);
    const int blackKing = b.findKingOfColour(Black);
    int32_t sum = 0;

    int whitePawns[8] = {}, blackPawns[8] = {}, whiteRooks[8] = {}, blackRooks[8] = {}, pieces[8] = {};
    for (int s = 0; s < 64; ++s) {
        const PieceCode p = b.squares[s];
        if (p == EmptySquare) continue;
        const int r = s / 8, c = s % 8;
        const int dW = distance(r, c, whiteKing), dB = distance(r, c, blackKing);
        ++pieces[c];
        switch (p) {
            case 0: sum += 100 + 2 * r; ++whitePawns[c]; break;
            case 1: sum -= 100 + 2 * (7 - r); ++blackPawns[c]; break;
            case 2: sum += 512 - dB; ++whiteRooks[c]; break;
            case 3: sum -= 512 - dW; ++blackRooks[c]; break;
            case 4: sum += 310 - dB; break;
            case 5: sum -= 310 - dW; break;
            case 6: sum += 308 - dB; break;
            case 7: sum -= 308 - dW; break;
            case 8: sum += 914 - dB; break;
            case 9: sum -= 914 - dW; break;
            default: break;
        }
        // Knights away from the sixteen centre squares.
        const bool centre = r >= 2 && r <= 5 && c >= 2 && c <= 5;
        if (p == 4 && !centre) sum -= 15;
        if (p == 5 && !centre) sum += 15;
    }

    for (int c = 0; c < 8; ++c) {
        if (whitePawns[c] > 1) sum -= 20;
        if (blackPawns[c] > 1) sum += 20;
        // Rooks alone on a file; the two sides' weights differ.
        if (whiteRooks[c] > 0 && pieces[c] == whiteRooks[c]) sum += 50 * whiteRooks[c];
        if (blackRooks[c] > 0 && pieces[c] == blackRooks[c]) sum -= 30 * blackRooks[c];
        if (whitePawns[c] == 1 && blackPawns[c] == 0) sum += 30;
        if (blackPawns[c] == 1 && whitePawns[c] == 0) sum -= 30;
    }

    return b.sideToMove == White ? sum : -sum;
}
