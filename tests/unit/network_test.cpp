// The evaluation network: its sums kept up to date move by move equal the sums worked out afresh,
// its output equals the plain arithmetic of its definition, the colours mirrored score the same, the
// net the programs carry is the committed file, and a damaged net file is refused with the reason.
#include <fstream>
#include <iterator>

#include "engine/deep/position.h"
#include "test_support.h"

using namespace deep;

namespace {

const std::string netPath = std::string(VIMOCHESS_SOURCE_DIR) + "/engine/deep/network.nnue";

// The output by the definition: clipped sums times the output weights, the side to move's first.
int plainScore(const Network& net, const Accumulator& a, int side) {
    int64_t sum = net.outputBias + (int64_t(a.pieceSquares[side]) - a.pieceSquares[opponent(side)]) / 2;
    for (int i = 0; i < networkHidden; ++i)
        sum += std::clamp<int>(a.sums[side][i], 0, 255) * net.outputWeights[0][i] +
               std::clamp<int>(a.sums[opponent(side)][i], 0, 255) * net.outputWeights[1][i];
    return static_cast<int>(sum * 400 / (255 * 64));
}

}  // namespace

TEST(Network, SumsFollowTheMovesOfRandomGames) {
    const Network& net = embeddedNetwork();
    std::mt19937 random(11);
    int positions = 0;
    for (const char* start : {startFen, kiwipete, promotions, bugCatcher, "r3k2r/8/8/8/8/8/6p1/R3K2R w KQkq - 0 1"}) {
        for (int game = 0; game < 4; ++game) {
            Position p(fen(start), 0, &net);
            for (int ply = 0; ply < 80; ++ply, ++positions) {
                Accumulator fresh;
                fresh.refresh(net, p.board);
                ASSERT_TRUE(fresh == p.accumulator) << start << " ply " << ply;
                ASSERT_EQ(p.networkScore(), plainScore(net, fresh, p.side())) << start << " ply " << ply;
                std::vector<GeneratedMove> moves;
                MoveWalk walk(p.board, p.occupied, true);
                for (GeneratedMove m; walk.next(m);) moves.push_back(m);
                if (moves.empty()) break;
                Position child;
                child.play(p, moves[random() % moves.size()]);
                p = child;
            }
        }
    }
    EXPECT_GT(positions, 1000);
}

TEST(Network, MirroredColoursScoreTheSame) {
    const Network& net = embeddedNetwork();
    for (const Board& b : randomPositions(10, 40, 5)) {
        Board mirrored;
        for (int s = 0; s < 64; ++s)
            mirrored.squares[s ^ 56] = b.squares[s] == EmptySquare ? EmptySquare : static_cast<PieceCode>(b.squares[s] ^ 1);
        mirrored.sideToMove = opponent(b.sideToMove);
        Accumulator a, m;
        a.refresh(net, b), m.refresh(net, mirrored);
        ASSERT_EQ(a.evaluate(net, b.sideToMove), m.evaluate(net, mirrored.sideToMove));
    }
}

TEST(Network, TheCarriedNetIsTheCommittedFile) {
    std::string error;
    const std::unique_ptr<Network> file = readNetwork(netPath, error);
    ASSERT_TRUE(file) << error;
    const Network& carried = embeddedNetwork();
    EXPECT_TRUE(std::equal(&file->featureWeights[0][0], &file->featureWeights[0][0] + networkInputs * networkHidden,
                           &carried.featureWeights[0][0]) &&
                std::equal(file->pieceSquares, file->pieceSquares + networkInputs, carried.pieceSquares) &&
                file->outputBias == carried.outputBias);
}

TEST(Network, DamagedNetsRefused) {
    std::ifstream in(netPath, std::ios::binary);
    const std::string good((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto changed = [&](size_t at, char value) { std::string s = good; s[at] = value; return s; };
    const std::vector<std::pair<std::string, std::string>> cases = {
        {changed(0, 'X'), "not a VimoChess net (no VMNN at its start)"},
        {changed(4, 1), "a net of another version than 2"},
        {changed(8, 64), "a net of 64 hidden neurons, not " + std::to_string(networkHidden)},
        {good.substr(0, good.size() - 1), std::to_string(good.size() - 1) + " bytes long, not " + std::to_string(good.size()) + ": cut short or too long"},
        {changed(good.size() / 2, static_cast<char>(good[good.size() / 2] ^ 1)), "damaged: its checksum does not match"},
    };
    for (const auto& [bytes, reason] : cases) {
        const std::string path = testing::TempDir() + "damaged.nnue";
        std::ofstream(path, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        std::string error;
        EXPECT_FALSE(readNetwork(path, error));
        EXPECT_EQ(error, path + ": " + reason);
    }
}
