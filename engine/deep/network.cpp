#include "network.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#if defined(__SSE2__)
#include <immintrin.h>
#endif

namespace deep {

// The net the programs carry (network_data.cpp, made by the build from engine/deep/network.nnue).
extern const unsigned char networkFile[];
extern const size_t networkFileSize;

namespace {

const char magic[4] = {'V', 'M', 'N', 'N'};
const uint32_t version = 2;
const int activationLimit = 255;                   // the clipped ReLU's 1, in the hidden sums' units
const int outputScale = 400, outputUnits = 255 * 64;  // centipawns for the output's 1, and its units

uint32_t checksum(const unsigned char* bytes, size_t size) {
    uint32_t h = 2166136261u;
    for (size_t i = 0; i < size; ++i) h = (h ^ bytes[i]) * 16777619u;
    return h;
}

// The two operations the search repeats, one version for each instruction set: a position's sums
// from its parent's, and the output from the sums.
struct Kernels {
    void (*update)(int16_t* out, const int16_t* in, const Network& net, const int* removed, int removedCount,
                   const int* added, int addedCount);
    int32_t (*output)(const int16_t* us, const int16_t* them, const Network& net);
    const char* name;
};

#if !defined(__SSE2__)
void updatePlain(int16_t* out, const int16_t* in, const Network& net, const int* removed, int removedCount,
                 const int* added, int addedCount) {
    for (int i = 0; i < networkHidden; ++i) {
        int16_t v = in[i];
        for (int k = 0; k < removedCount; ++k) v = static_cast<int16_t>(v - net.featureWeights[removed[k]][i]);
        for (int k = 0; k < addedCount; ++k) v = static_cast<int16_t>(v + net.featureWeights[added[k]][i]);
        out[i] = v;
    }
}

int32_t outputPlain(const int16_t* us, const int16_t* them, const Network& net) {
    int32_t sum = 0;
    for (int i = 0; i < networkHidden; ++i)
        sum += std::clamp<int32_t>(us[i], 0, activationLimit) * net.outputWeights[0][i] +
               std::clamp<int32_t>(them[i], 0, activationLimit) * net.outputWeights[1][i];
    return sum;
}
#endif

#if defined(__SSE2__)
void updateSse2(int16_t* out, const int16_t* in, const Network& net, const int* removed, int removedCount,
                const int* added, int addedCount) {
    for (int i = 0; i < networkHidden; i += 8) {
        __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + i));
        for (int k = 0; k < removedCount; ++k)
            v = _mm_sub_epi16(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&net.featureWeights[removed[k]][i])));
        for (int k = 0; k < addedCount; ++k)
            v = _mm_add_epi16(v, _mm_loadu_si128(reinterpret_cast<const __m128i*>(&net.featureWeights[added[k]][i])));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), v);
    }
}

int32_t outputSse2(const int16_t* us, const int16_t* them, const Network& net) {
    const __m128i zero = _mm_setzero_si128(), limit = _mm_set1_epi16(activationLimit);
    __m128i sum = _mm_setzero_si128();
    for (int side = 0; side < 2; ++side) {
        const int16_t* sums = side == 0 ? us : them;
        for (int i = 0; i < networkHidden; i += 8) {
            const __m128i v = _mm_min_epi16(_mm_max_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(sums + i)), zero), limit);
            const __m128i w = _mm_loadu_si128(reinterpret_cast<const __m128i*>(&net.outputWeights[side][i]));
            sum = _mm_add_epi32(sum, _mm_madd_epi16(v, w));
        }
    }
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0x4e));
    sum = _mm_add_epi32(sum, _mm_shuffle_epi32(sum, 0xb1));
    return _mm_cvtsi128_si32(sum);
}

__attribute__((target("avx2"))) void updateAvx2(int16_t* out, const int16_t* in, const Network& net, const int* removed,
                                                int removedCount, const int* added, int addedCount) {
    for (int i = 0; i < networkHidden; i += 16) {
        __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + i));
        for (int k = 0; k < removedCount; ++k)
            v = _mm256_sub_epi16(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&net.featureWeights[removed[k]][i])));
        for (int k = 0; k < addedCount; ++k)
            v = _mm256_add_epi16(v, _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&net.featureWeights[added[k]][i])));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), v);
    }
}

__attribute__((target("avx2"))) int32_t outputAvx2(const int16_t* us, const int16_t* them, const Network& net) {
    const __m256i zero = _mm256_setzero_si256(), limit = _mm256_set1_epi16(activationLimit);
    __m256i sum = _mm256_setzero_si256();
    for (int side = 0; side < 2; ++side) {
        const int16_t* sums = side == 0 ? us : them;
        for (int i = 0; i < networkHidden; i += 16) {
            const __m256i v =
                _mm256_min_epi16(_mm256_max_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(sums + i)), zero), limit);
            const __m256i w = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&net.outputWeights[side][i]));
            sum = _mm256_add_epi32(sum, _mm256_madd_epi16(v, w));
        }
    }
    __m128i half = _mm_add_epi32(_mm256_castsi256_si128(sum), _mm256_extracti128_si256(sum, 1));
    half = _mm_add_epi32(half, _mm_shuffle_epi32(half, 0x4e));
    half = _mm_add_epi32(half, _mm_shuffle_epi32(half, 0xb1));
    return _mm_cvtsi128_si32(half);
}
#endif

Kernels chooseKernels() {
#if defined(__SSE2__)
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return Kernels{updateAvx2, outputAvx2, "avx2"};
    return Kernels{updateSse2, outputSse2, "sse2"};
#else
    return Kernels{updatePlain, outputPlain, "scalar"};
#endif
}

const Kernels& kernels() {
    static const Kernels chosen = chooseKernels();
    return chosen;
}

template <typename T>
T take(const unsigned char*& at) {
    T v = 0;
    for (size_t i = 0; i < sizeof(T); ++i) v = static_cast<T>(v | static_cast<T>(static_cast<uint64_t>(*at++) << (8 * i)));
    return v;
}

}  // namespace

bool Network::read(const unsigned char* bytes, size_t size, std::string& error) {
    const size_t expected = 4 + 4 + 4 + 2 * (networkInputs * networkHidden + networkHidden + 2 * networkHidden) + 4 + 4 * networkInputs + 4;
    if (size < 12 || !std::equal(magic, magic + 4, bytes)) return error = "not a VimoChess net (no VMNN at its start)", false;
    const unsigned char* at = bytes + 4;
    if (take<uint32_t>(at) != version) return error = "a net of another version than " + std::to_string(version), false;
    const uint32_t hidden = take<uint32_t>(at);
    if (hidden != networkHidden)
        return error = "a net of " + std::to_string(hidden) + " hidden neurons, not " + std::to_string(networkHidden), false;
    if (size != expected)
        return error = std::to_string(size) + " bytes long, not " + std::to_string(expected) + ": cut short or too long", false;
    if (checksum(bytes, size - 4) != take<uint32_t>(at = bytes + size - 4)) return error = "damaged: its checksum does not match", false;
    at = bytes + 12;
    for (auto& input : featureWeights)
        for (int16_t& w : input) w = take<int16_t>(at);
    for (int16_t& b : hiddenBiases) b = take<int16_t>(at);
    for (auto& side : outputWeights)
        for (int16_t& w : side) w = take<int16_t>(at);
    outputBias = take<int32_t>(at);
    for (int32_t& w : pieceSquares) w = take<int32_t>(at);
    return true;
}

const Network& embeddedNetwork() {
    static const std::unique_ptr<Network> net = [] {
        auto n = std::make_unique<Network>();
        std::string error;
        // The build embeds only a net that reads (CMakeLists.txt checks its size; the tests read it).
        n->read(networkFile, networkFileSize, error);
        return n;
    }();
    return *net;
}

std::unique_ptr<Network> readNetwork(const std::string& path, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = "cannot read " + path, nullptr;
    const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    auto net = std::make_unique<Network>();
    if (!net->read(bytes.data(), bytes.size(), error)) return error = path + ": " + error, nullptr;
    return net;
}

void Accumulator::refresh(const Network& net, const Board& board) {
    for (int side = 0; side < 2; ++side) {
        std::copy(net.hiddenBiases, net.hiddenBiases + networkHidden, sums[side]);
        pieceSquares[side] = 0;
        for (int square = 0; square < 64; ++square) {
            const PieceCode piece = board.squares[square];
            if (piece == EmptySquare) continue;
            const int input = networkInput(side, piece, square);
            for (int i = 0; i < networkHidden; ++i) sums[side][i] = static_cast<int16_t>(sums[side][i] + net.featureWeights[input][i]);
            pieceSquares[side] += net.pieceSquares[input];
        }
    }
}

void Accumulator::update(const Network& net, const Accumulator& parent, const int (&removed)[2][4], int removedCount,
                         const int (&added)[2][4], int addedCount) {
    for (int side = 0; side < 2; ++side) {
        kernels().update(sums[side], parent.sums[side], net, removed[side], removedCount, added[side], addedCount);
        pieceSquares[side] = parent.pieceSquares[side];
        for (int k = 0; k < removedCount; ++k) pieceSquares[side] -= net.pieceSquares[removed[side][k]];
        for (int k = 0; k < addedCount; ++k) pieceSquares[side] += net.pieceSquares[added[side][k]];
    }
}

int Accumulator::evaluate(const Network& net, int sideToMove) const {
    const int64_t linear = (int64_t(pieceSquares[sideToMove]) - pieceSquares[opponent(sideToMove)]) / 2;
    const int64_t sum = kernels().output(sums[sideToMove], sums[opponent(sideToMove)], net) + int64_t(net.outputBias) + linear;
    return static_cast<int>(sum * outputScale / outputUnits);
}

bool Accumulator::operator==(const Accumulator& o) const {
    return std::equal(&sums[0][0], &sums[0][0] + 2 * networkHidden, &o.sums[0][0]) && pieceSquares[0] == o.pieceSquares[0] &&
           pieceSquares[1] == o.pieceSquares[1];
}

const char* networkInstructions() { return kernels().name; }

}  // namespace deep
