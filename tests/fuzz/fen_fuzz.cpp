// Fuzz target: the FEN reader and the move reader take any text. A record they accept must give a
// board of piece codes and empty squares only, and a move they accept squares on the board.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "rules/fen.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Board board;
    MoveInfo move;
    std::string error;
    if (readFen(text, board, error))
        for (PieceCode p : board.squares)
            if (p != EmptySquare && (p < 0 || p > 11)) std::abort();
    if (readMove(text, White, move, error) && !(move.onBoard() && moveName(move).size() >= 5)) std::abort();
    return 0;
}
