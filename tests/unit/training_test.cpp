// The training data: records read back as written, damaged ones refused with the reason, and the
// generator's files continued where they stopped.
#include <cstdio>
#include <fstream>
#include <set>

#include "test_support.h"
#include "tools/training_data.h"

TEST(Training, RecordsReadBackAsWritten) {
    int i = 0;
    for (const Board& b : randomPositions(12, 30, 7)) {
        if (std::count(b.squares, b.squares + 64, WhiteKing) != 1 || std::count(b.squares, b.squares + 64, BlackKing) != 1) continue;
        training::Record r, back;
        std::copy(b.squares, b.squares + 64, r.board.squares);
        r.board.sideToMove = b.sideToMove;
        r.score = (i * 997) % 5001 - 2500, r.result = i % 3 - 1, r.lastOfGame = i % 5 == 0, r.game = 4000000000u - i;
        unsigned char bytes[training::recordSize];
        std::string error;
        training::pack(r, bytes);
        ASSERT_TRUE(training::unpack(bytes, back, error) && std::equal(b.squares, b.squares + 64, back.board.squares)) << i << error;
        EXPECT_EQ(spaced(back.board.sideToMove, back.score, back.result, back.lastOfGame, back.game),
                  spaced(b.sideToMove, r.score, r.result, r.lastOfGame, r.game));
        ++i;
    }
    EXPECT_GT(i, 200);
}

TEST(Training, DamagedRecordsRefused) {
    training::Record r;
    r.board = fen(kiwipete);
    unsigned char good[training::recordSize];
    training::pack(r, good);
    const std::vector<std::tuple<int, unsigned char, std::string>> cases = {  // byte, new value, reason
        {8, 0xfc, "piece code 12"}, {26, 2, "result 2"}, {27, 4, "flags 4"},
        {0, 0, "not one king a side"},  // the a1 rook gone: the pieces shift onto the wrong squares
        {8, 0xaa, "not one king a side"},
    };
    for (const auto& [at, value, reason] : cases) {
        unsigned char bad[training::recordSize];
        std::copy(good, good + training::recordSize, bad);
        bad[at] = value;
        training::Record out;
        std::string error;
        EXPECT_FALSE(training::unpack(bad, out, error)) << reason;
        EXPECT_EQ(error, reason);
    }
    const std::string path = testing::TempDir() + "short.bin";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(good), 31);
    std::vector<training::Record> records;
    std::string error;
    EXPECT_TRUE(!training::readFile(path, records, error) && error == path + ": ends inside record 0") << error;
}

// Two runs of 150 positions are the games of one run of 300; a game cut short is dropped and played
// again; bad arguments are refused.
TEST(Training, TheGeneratorContinuesItsFile) {
    const std::string dir = testing::TempDir(), once = dir + "once.bin", twice = dir + "twice.bin";
    std::remove(once.c_str()), std::remove(twice.c_str());
    const std::string generate = VIMOCHESS_GENERATE, common = " -nodes 300 -threads 1 -seed 5 -out ";
    ASSERT_EQ(run(generate, common + once + " -positions 300").first, 0);
    ASSERT_EQ(run(generate, common + twice + " -positions 150").first, 0);
    std::ifstream in(twice, std::ios::binary);
    const std::string part((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::ofstream(twice, std::ios::binary | std::ios::app).write(part.data(), 40);  // a game and a bit, cut short
    ASSERT_EQ(run(generate, common + twice + " -positions 300").first, 0);
    std::vector<training::Record> a, b;
    std::string error;
    ASSERT_TRUE(training::readFile(once, a, error) && training::readFile(twice, b, error)) << error;
    const auto games = [](const std::vector<training::Record>& records) {
        std::multiset<std::string> out;
        std::string game;
        for (const training::Record& r : records) {
            game += spaced(r.game, r.score, r.result, "");
            if (r.lastOfGame) out.insert(game), game.clear();
        }
        EXPECT_EQ(game, "");  // every game ends with its last record
        return out;
    };
    EXPECT_GE(a.size(), 300u);
    EXPECT_EQ(games(a), games(b));
    for (const char* args : {"-out x.bin", "-out x.bin -positions 0", "-positions 5 -out x.bin -nodes x", "-book /nonexistent -out x -positions 1"})
        EXPECT_EQ(run(generate, args).first, 2) << args;
}
