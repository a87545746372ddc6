// The deep search's evaluation network, efficiently updatable (NNUE): the pieces on their squares as
// each side sees them (768 inputs a side, Black's board mirrored), one hidden layer of
// networkHidden neurons a side with the same weights for both, clipped ReLU, and one output over
// the side to move's neurons followed by the other side's, plus half the difference of a linear
// piece-square sum of each side's inputs (which learns material from few positions). Integers
// throughout: the hidden layer's
// sums (the accumulator) are kept for each position and brought up to date move by move, with
// SSE2 (which every processor the programs run on has) or AVX2 where the processor has it, chosen
// when the program starts. It is trained by tools/train.py on the engine's own games; the net file
// it writes is embedded in the programs (docs/strength.md says how each net was made).
//
// The net file, little-endian: "VMNN", uint32 version 2, uint32 the hidden size, int16 feature
// weights (768 x hidden, input by input, x 255), int16 hidden biases (x 255), int16 output weights
// (2 x hidden, the side to move's first, x 64), int32 output bias (x 255 x 64), int32 piece-square
// weights (768, x 255 x 64), and a uint32 FNV-1a checksum of every byte before it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "../../rules/board.h"

namespace deep {

constexpr int networkInputs = 768;
constexpr int networkHidden = 128;

struct Network {
    alignas(64) int16_t featureWeights[networkInputs][networkHidden];
    alignas(64) int16_t hiddenBiases[networkHidden];
    alignas(64) int16_t outputWeights[2][networkHidden];
    int32_t outputBias;
    int32_t pieceSquares[networkInputs];

    // Reads a net file's bytes; false, with the reason, when they are not one of this size.
    bool read(const unsigned char* bytes, size_t size, std::string& error);
};

// The net embedded in the program.
const Network& embeddedNetwork();
// A net from a file; null, with the reason, when it cannot be read or is damaged.
std::unique_ptr<Network> readNetwork(const std::string& path, std::string& error);

// The input of a piece on a square, as the side `perspective` sees it.
inline int networkInput(int perspective, PieceCode piece, int square) {
    return (pieceColour(piece) != perspective) * 384 + pieceKind(piece) * 64 + (perspective == White ? square : square ^ 56);
}

// The hidden layer's sums of a position, for White's view and Black's, and the piece-square sums.
struct Accumulator {
    alignas(64) int16_t sums[2][networkHidden];
    int32_t pieceSquares[2];

    // Worked out from the whole board.
    void refresh(const Network& net, const Board& board);
    // The parent's sums with the pieces a move takes off squares and puts on them (MoveEffect's
    // applyTo gives them) taken out and put in.
    void update(const Network& net, const Accumulator& parent, const int (&removed)[2][4], int removedCount,
                const int (&added)[2][4], int addedCount);
    // The evaluation for the side to move, in centipawns.
    int evaluate(const Network& net, int sideToMove) const;
    bool operator==(const Accumulator& o) const;
};

// What the processor's instruction sets give the network: "avx2" or "sse2" (or "scalar").
const char* networkInstructions();

}  // namespace deep
