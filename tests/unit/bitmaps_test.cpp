// The square pictures and the icon: the committed files are what the masks make, bad masks are
// refused, and the pictures follow the drawing rules (outline, silhouette, hatching, margin).
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "ui/resources/bitmap_maker.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Words = std::vector<uint32_t>;
const std::string resourcesDir = VIMOCHESS_RESOURCES_DIR, masksDir = resourcesDir + "/masks/";

std::string readFile(const std::string& path) {
    std::ostringstream text;
    text << std::ifstream(path, std::ios::binary).rdbuf();
    return text.str();
}
// The little-endian number in n bytes from i; all ones past the end.
uint32_t le(const Bytes& b, size_t i, int n = 4) {
    return i + n > b.size() ? ~0u : n ? b[i] | le(b, i + 1, n - 1) << 8 : 0;
}

TEST(ResourceFiles, CommittedFilesAreWhatTheMasksMakeAndBadMasksAreRefused) {
    std::vector<std::pair<std::string, Bytes>> files;
    std::string error;
    // 26 pictures and the icon.
    ASSERT_TRUE(makeResourceFiles(resourcesDir + "/masks", files, error) && files.size() == 27) << error;
    for (const auto& [name, b] : files)
        EXPECT_TRUE(readFile(resourcesDir + "/" + name) == std::string(b.begin(), b.end()))
            << name << " differs: run make-bitmaps ui/resources/masks ui/resources";
    // The icon: a 32- and a 16-pixel image of 16 colours (4 bits), whose headers give their sizes.
    const Bytes& ico = files.back().second;
    EXPECT_EQ(Words({le(ico, 2, 2), le(ico, 4, 2), le(ico, 6, 1), le(ico, 7, 1), le(ico, 8, 1), le(ico, 12, 2),
                     le(ico, 22, 1), le(ico, 23, 1), le(ico, 24, 1), le(ico, 28, 2), le(ico, le(ico, 18) + 4),
                     le(ico, le(ico, 18) + 8), le(ico, le(ico, 34) + 4), le(ico, le(ico, 34) + 8)}),
              Words({1, 2, 32, 32, 16, 4, 16, 16, 16, 4, 32, 64, 16, 32}));
    // A missing or malformed mask is refused, with its place.
    EXPECT_TRUE(!makeResourceFiles("/no-such-masks", files, error) && error.find("pawn.txt") != error.npos) << error;
    const std::string r = "....\n", r3 = r + r + r;
    const std::pair<std::string, std::string> bad[] = {
        {r3, "only 3 rows, not 4"}, {r + r + "..#\n" + r, "line 3 has 3 cells, not 4"},
        {r3 + ".x..\n", "line 4, column 2: unexpected character 'x'"}, {r3 + r + r, "more than 4 rows"}};
    PieceMask mask;
    for (const auto& [text, message] : bad) EXPECT_TRUE(!parseMask(text, 4, mask, error) && error == message) << error;
    ASSERT_TRUE(parseMask("....\r\n.#+.\r\n.##.\r\n....\r\n\n", 4, mask, error)) << error;
    EXPECT_EQ(Words({mask.inside(1, 1), mask.detail(2, 1), mask.detail(1, 1), mask.inside(0, 0), mask.inside(-1, 1)}),
              Words({1, 1, 0, 0, 0}));
}

TEST(SquarePicturesDrawing, PiecesFollowTheirMasksOnHatchedSquares) {
    // The hatching: one black pixel in any four of a row, each row the one above shifted one
    // column left, so that the lines rise to the right.
    const auto h = darkSquareHatch;
    for (int x = 3; x < 30; ++x) EXPECT_EQ(h(x, 0) + h(x - 1, 0) + h(x - 2, 0) + h(x - 3, 0), 1) << x;
    for (int i = 30; i < 900; ++i) EXPECT_EQ(h(i % 30, i / 30), h(i % 30 + 1, i / 30 - 1)) << i % 30 << "," << i / 30;
    for (int kind = -1; kind < 6; ++kind) {  // -1: an empty square
        PieceMask mask;
        std::string error;
        ASSERT_TRUE(kind < 0 || parseMask(readFile(masksDir + maskFileName(kind)), 30, mask, error)) << error;
        for (bool dark : {false, true}) {
            SCOPED_TRACE(std::string(kind < 0 ? "empty" : maskFileName(kind)) + (dark ? " dark" : " light"));
            const Picture white = squarePicture(kind < 0 ? nullptr : &mask, false, dark);
            const Picture black = squarePicture(kind < 0 ? nullptr : &mask, true, dark);
            // A BMP file of 30 x 30 pixels at 24 bits, rows of 90 bytes padded to 92, bottom row first.
            const Bytes bmp = encodeBmp24(black);
            const Words header = {le(bmp, 0, 2), le(bmp, 18), le(bmp, 22), le(bmp, 28, 2), uint32_t(bmp.size())};
            EXPECT_EQ(header, Words({0x4D42, 30, 30, 24, 54 + 92 * 30}));
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 30; ++x) {
                    int near = 0;  // the pixels of the 3 x 3 around this one that are inside the piece
                    for (int d = 0; d < 9; ++d) near += mask.inside(x + d % 3 - 1, y + d / 3 - 1);
                    // A black piece is its silhouette, a white piece the black outline of its mask;
                    // detail lines in the other colour. Around the piece a margin is cut out of the
                    // hatching, white on a dark square too.
                    const bool edge = mask.inside(x, y) && near < 9, detail = mask.detail(x, y);
                    const bool ground = near == 0 && dark && h(x, y);
                    EXPECT_EQ(black.at(x, y), mask.inside(x, y) ? !detail : ground) << x << "," << y;
                    EXPECT_EQ(white.at(x, y), edge || detail || ground) << x << "," << y;
                    const size_t i = 54 + (29 - y) * 92 + 3 * x;  // in the file: black 0, white 255
                    EXPECT_EQ(Words({bmp[i], bmp[i + 1], bmp[i + 2]}), Words(3, black.at(x, y) ? 0 : 255)) << i;
                }
        }
    }
}

}  // namespace
