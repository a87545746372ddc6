// The square pictures and the icon: the committed files are what the masks make, and bad masks
// are refused with their place.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ui/resources/bitmap_maker.h"

TEST(ResourceFiles, CommittedFilesAreWhatTheMasksMake) {
    const std::string dir = VIMOCHESS_RESOURCES_DIR;
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    std::string error;
    ASSERT_TRUE(makeResourceFiles(dir + "/masks", files, error) && files.size() == 27) << error;  // 26 and the icon
    for (const auto& [name, bytes] : files) {
        std::ostringstream committed;
        committed << std::ifstream(dir + "/" + name, std::ios::binary).rdbuf();
        EXPECT_TRUE(committed.str() == std::string(bytes.begin(), bytes.end()))
            << name << " differs: run make-bitmaps ui/resources/masks ui/resources";
    }
    EXPECT_TRUE(!makeResourceFiles("/no-such-masks", files, error) && error.find("pawn.txt") != error.npos) << error;
}

TEST(ResourceFiles, MasksAreReadStrictly) {
    const std::string r = "....\n", r3 = r + r + r;
    const std::pair<std::string, std::string> bad[] = {
        {r3, "only 3 rows, not 4"}, {r + r + "..#\n" + r, "line 3 has 3 cells, not 4"},
        {r3 + ".x..\n", "line 4, column 2: unexpected character 'x'"}, {r3 + r + r, "more than 4 rows"}};
    PieceMask mask;
    std::string error;
    for (const auto& [text, message] : bad) EXPECT_TRUE(!parseMask(text, 4, mask, error) && error == message) << error;
    ASSERT_TRUE(parseMask("....\r\n.#+.\r\n.##.\r\n....\r\n\n", 4, mask, error)) << error;  // CR LF, a blank line
    EXPECT_EQ(std::string(mask.cells.begin(), mask.cells.end()), std::string("\0\0\0\0\0\1\2\0\0\1\1\0\0\0\0\0", 16));
}
