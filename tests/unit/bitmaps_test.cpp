// The square pictures and the icon: the committed files are what the masks make, and the
// pictures follow the drawing rules (outline, silhouette, hatching, cut-out margin).
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "ui/board_view.h"
#include "ui/resources/bitmap_maker.h"

namespace {

const std::string resourcesDir = VIMOCHESS_RESOURCES_DIR;

std::vector<uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

PieceMask loadMask(int kind) {
    std::ifstream in(resourcesDir + "/masks/" + maskFileName(kind));
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    PieceMask mask;
    std::string error;
    EXPECT_TRUE(parseMask(text, squarePixels, mask, error)) << maskFileName(kind) << ": " << error;
    return mask;
}

uint32_t le32(const std::vector<uint8_t>& b, size_t at) {
    return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}
uint16_t le16(const std::vector<uint8_t>& b, size_t at) { return uint16_t(b[at] | b[at + 1] << 8); }

TEST(ResourceFiles, CommittedFilesAreWhatTheMasksMake) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    std::string error;
    ASSERT_TRUE(makeResourceFiles(resourcesDir + "/masks", files, error)) << error;
    ASSERT_EQ(files.size(), 27u);  // 26 pictures and the icon
    for (const auto& file : files)
        EXPECT_TRUE(readFile(resourcesDir + "/" + file.first) == file.second)
            << file.first << " differs: run make-bitmaps ui/resources/masks ui/resources";
}

TEST(ResourceFiles, BitmapsAre30By30At24BitsInBlackAndWhite) {
    for (int i = 0; i < squareBitmapCount; ++i) {
        const std::vector<uint8_t> bmp = readFile(resourcesDir + "/" + squareBitmapFileName(i));
        ASSERT_EQ(bmp.size(), 54u + 92u * 30u) << squareBitmapFileName(i);
        EXPECT_EQ(bmp[0], 'B');
        EXPECT_EQ(bmp[1], 'M');
        EXPECT_EQ(le32(bmp, 18), 30u);
        EXPECT_EQ(le32(bmp, 22), 30u);
        EXPECT_EQ(le16(bmp, 28), 24);
        for (size_t row = 0; row < 30; ++row)
            for (size_t x = 0; x < 90; x += 3) {
                const size_t at = 54 + row * 92 + x;
                EXPECT_TRUE((bmp[at] == 0 || bmp[at] == 255) && bmp[at] == bmp[at + 1] && bmp[at] == bmp[at + 2])
                    << squareBitmapFileName(i) << " pixel " << x / 3 << "," << row;
            }
    }
}

TEST(ResourceFiles, IconHas32And16PixelImagesOf16Colours) {
    const std::vector<uint8_t> ico = readFile(resourcesDir + "/ikonka.ico");
    ASSERT_GE(ico.size(), 38u);
    EXPECT_EQ(le16(ico, 2), 1);  // an icon
    ASSERT_EQ(le16(ico, 4), 2);
    const int sizes[2] = {32, 16};
    for (int i = 0; i < 2; ++i) {
        const size_t entry = 6 + 16 * size_t(i);
        EXPECT_EQ(ico[entry], sizes[i]);
        EXPECT_EQ(ico[entry + 1], sizes[i]);
        EXPECT_EQ(ico[entry + 2], 16);
        EXPECT_EQ(le16(ico, entry + 6), 4);
        const size_t image = le32(ico, entry + 12);
        ASSERT_LE(image + le32(ico, entry + 8), ico.size());
        EXPECT_EQ(le32(ico, image + 4), uint32_t(sizes[i]));
        EXPECT_EQ(le32(ico, image + 8), uint32_t(2 * sizes[i]));
    }
}

TEST(SquarePicturesDrawing, EmptySquares) {
    const Picture light = squarePicture(nullptr, false, false);
    const Picture dark = squarePicture(nullptr, false, true);
    for (int y = 0; y < 30; ++y) {
        int blackInRow = 0;
        for (int x = 0; x < 30; ++x) {
            EXPECT_FALSE(light.at(x, y));
            if (dark.at(x, y)) ++blackInRow;
        }
        EXPECT_GE(blackInRow, 7) << y;
        EXPECT_LE(blackInRow, 8) << y;
        for (int x = 4; x < 30; ++x) EXPECT_EQ(dark.at(x, y), dark.at(x - 4, y)) << x << "," << y;
        // Each row is the one above shifted one column left, so the lines rise to the right.
        if (y > 0) {
            for (int x = 1; x < 30; ++x) EXPECT_EQ(dark.at(x - 1, y), dark.at(x, y - 1)) << x << "," << y;
        }
    }
}

TEST(SquarePicturesDrawing, PiecesFollowTheirMasks) {
    for (int kind = 0; kind < 6; ++kind) {
        const PieceMask mask = loadMask(kind);
        for (bool dark : {false, true}) {
            const Picture whitePiece = squarePicture(&mask, false, dark);
            const Picture blackPiece = squarePicture(&mask, true, dark);
            int blackOutline = 0, whiteInside = 0;
            for (int y = 0; y < 30; ++y)
                for (int x = 0; x < 30; ++x) {
                    bool edge = false, nearby = false;
                    for (int dy = -1; dy <= 1; ++dy)
                        for (int dx = -1; dx <= 1; ++dx) {
                            if (!mask.inside(x + dx, y + dy)) edge = true;
                            if (mask.inside(x + dx, y + dy)) nearby = true;
                        }
                    const std::string at = std::string(maskFileName(kind)) + " " + std::to_string(x) + "," +
                                           std::to_string(y) + (dark ? " dark" : " light");
                    if (mask.inside(x, y)) {
                        // A black piece is its solid silhouette, with its detail lines in white.
                        EXPECT_EQ(blackPiece.at(x, y), !mask.detail(x, y)) << at;
                        // A white piece is the black outline of its mask, white within.
                        if (edge) {
                            EXPECT_TRUE(whitePiece.at(x, y)) << at;
                            ++blackOutline;
                        } else if (!mask.detail(x, y)) {
                            EXPECT_FALSE(whitePiece.at(x, y)) << at;
                            ++whiteInside;
                        }
                    } else if (nearby) {
                        // The margin cut out around the piece is white, on a dark square too.
                        EXPECT_FALSE(whitePiece.at(x, y)) << at;
                        EXPECT_FALSE(blackPiece.at(x, y)) << at;
                    } else {
                        EXPECT_EQ(whitePiece.at(x, y), dark && darkSquareHatch(x, y)) << at;
                        EXPECT_EQ(blackPiece.at(x, y), dark && darkSquareHatch(x, y)) << at;
                    }
                }
            EXPECT_GT(blackOutline, 40) << maskFileName(kind);
            EXPECT_GT(whiteInside, 40) << maskFileName(kind);
        }
    }
}

TEST(Masks, MalformedMasksAreRefusedWithTheirLine) {
    const std::string row(4, '.');
    const struct {
        std::string text;
        const char* error;
    } cases[] = {
        {row + "\n" + row + "\n" + row + "\n", "only 3 rows, not 4"},
        {row + "\n" + row + "\n..#\n" + row + "\n", "line 3 has 3 cells, not 4"},
        {row + "\n" + row + "\n" + row + "\n.x..\n", "line 4, column 2: unexpected character 'x'"},
        {row + "\n" + row + "\n" + row + "\n" + row + "\n" + row + "\n", "more than 4 rows"},
    };
    for (const auto& c : cases) {
        PieceMask mask;
        std::string error;
        EXPECT_FALSE(parseMask(c.text, 4, mask, error));
        EXPECT_EQ(error, c.error);
    }
    PieceMask mask;
    std::string error;
    ASSERT_TRUE(parseMask("....\r\n.#+.\r\n.##.\r\n....\r\n\n", 4, mask, error)) << error;
    EXPECT_TRUE(mask.inside(1, 1));
    EXPECT_TRUE(mask.detail(2, 1));
    EXPECT_FALSE(mask.detail(1, 1));
    EXPECT_FALSE(mask.inside(0, 0));
    EXPECT_FALSE(mask.inside(-1, 1));
}

TEST(Masks, MissingMaskDirectoryIsReported) {
    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    std::string error;
    EXPECT_FALSE(makeResourceFiles("/nonexistent-masks", files, error));
    EXPECT_NE(error.find("pawn.txt"), std::string::npos) << error;
}

}  // namespace
