#include "bitmap_maker.h"

#include <cctype>
#include <fstream>
#include <sstream>

#include "../board_view.h"

bool parseMask(const std::string& text, int size, PieceMask& mask, std::string& error) {
    mask.size = size;
    mask.cells.assign(size_t(size) * size, 0);
    std::istringstream in(text);
    std::string line;
    int row = 0;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (row >= size) {
            if (line.empty()) continue;  // trailing blank lines are harmless
            error = "more than " + std::to_string(size) + " rows";
            return false;
        }
        if (int(line.size()) != size) {
            error = "line " + std::to_string(row + 1) + " has " + std::to_string(line.size()) + " cells, not " +
                    std::to_string(size);
            return false;
        }
        for (int x = 0; x < size; ++x) {
            uint8_t cell;
            switch (line[x]) {
                case '.': cell = 0; break;
                case '#': cell = 1; break;
                case '+': cell = 2; break;
                default:
                    error = "line " + std::to_string(row + 1) + ", column " + std::to_string(x + 1) +
                            ": unexpected character '" + std::string(1, line[x]) + "'";
                    return false;
            }
            mask.cells[size_t(row) * size + x] = cell;
        }
        ++row;
    }
    if (row != size) {
        error = "only " + std::to_string(row) + " rows, not " + std::to_string(size);
        return false;
    }
    return true;
}

bool darkSquareHatch(int x, int y) { return (x + y) % 4 == 3; }

// True when a pixel of the mask lies within one pixel (the eight neighbours) of (x, y).
static bool nearPiece(const PieceMask& piece, int x, int y) {
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (piece.inside(x + dx, y + dy)) return true;
    return false;
}

// A pixel of the mask with any of its eight neighbours outside it: the piece's outline, closed
// also across diagonal steps of the shape.
static bool onOutline(const PieceMask& piece, int x, int y) {
    if (!piece.inside(x, y)) return false;
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (!piece.inside(x + dx, y + dy)) return true;
    return false;
}

Picture squarePicture(const PieceMask* piece, bool blackPiece, bool darkSquare) {
    const int size = piece ? piece->size : 30;
    Picture p(size, size);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            bool black;
            if (piece && piece->inside(x, y)) {
                if (blackPiece)
                    black = !piece->detail(x, y);
                else
                    black = onOutline(*piece, x, y) || piece->detail(x, y);
            } else if (piece && nearPiece(*piece, x, y)) {
                black = false;  // the margin cut out of the hatching
            } else {
                black = darkSquare && darkSquareHatch(x, y);
            }
            p.set(x, y, black);
        }
    }
    return p;
}

std::string squareBitmapFileName(int index) {
    std::string name = squareBitmapName(index);
    for (char& c : name) c = char(std::tolower(static_cast<unsigned char>(c)));
    return name + ".bmp";
}

const char* maskFileName(int kind) {
    static const char* const names[6] = {"pawn.txt", "rook.txt", "knight.txt", "bishop.txt", "queen.txt", "king.txt"};
    return kind >= 0 && kind < 6 ? names[kind] : "";
}

Picture iconPicture(const PieceMask& knight, int size) {
    Picture p(size, size);
    const int offset = (size - knight.size) / 2;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const int mx = x - offset, my = y - offset;
            bool black;
            if (x == 0 || y == 0 || x == size - 1 || y == size - 1)
                black = true;  // the border
            else if (knight.inside(mx, my))
                black = !knight.detail(mx, my);
            else if (nearPiece(knight, mx, my))
                black = false;
            else
                black = darkSquareHatch(x, y);
            p.set(x, y, black);
        }
    }
    return p;
}

static void put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}
static void put32(std::vector<uint8_t>& out, uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

static void putInfoHeader(std::vector<uint8_t>& out, int width, int height, int bitCount, uint32_t imageSize,
                          uint32_t coloursUsed) {
    put32(out, 40);
    put32(out, uint32_t(width));
    put32(out, uint32_t(height));
    put16(out, 1);
    put16(out, uint16_t(bitCount));
    put32(out, 0);  // no compression
    put32(out, imageSize);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, coloursUsed);
    put32(out, 0);
}

std::vector<uint8_t> encodeBmp24(const Picture& picture) {
    const uint32_t rowBytes = (uint32_t(picture.width) * 3 + 3) & ~3u;
    const uint32_t imageSize = rowBytes * uint32_t(picture.height);
    std::vector<uint8_t> out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + imageSize);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, picture.width, picture.height, 24, imageSize, 0);
    for (int y = picture.height - 1; y >= 0; --y) {
        for (int x = 0; x < picture.width; ++x) {
            const uint8_t v = picture.at(x, y) ? 0 : 255;
            out.insert(out.end(), {v, v, v});
        }
        for (uint32_t pad = uint32_t(picture.width) * 3; pad < rowBytes; ++pad) out.push_back(0);
    }
    return out;
}

// The standard 16-colour palette, as blue, green, red.
static const uint8_t vgaPalette[16][3] = {
    {0, 0, 0},       {0, 0, 128},   {0, 128, 0},   {0, 128, 128}, {128, 0, 0},   {128, 0, 128},
    {128, 128, 0},   {192, 192, 192}, {128, 128, 128}, {0, 0, 255}, {0, 255, 0}, {0, 255, 255},
    {255, 0, 0},     {255, 0, 255}, {255, 255, 0}, {255, 255, 255}};

std::vector<uint8_t> encodeIcon(const std::vector<Picture>& pictures) {
    std::vector<std::vector<uint8_t>> images;
    for (const Picture& p : pictures) {
        const uint32_t xorRow = ((uint32_t(p.width) * 4 + 31) / 32) * 4;
        const uint32_t andRow = ((uint32_t(p.width) + 31) / 32) * 4;
        std::vector<uint8_t> img;
        putInfoHeader(img, p.width, p.height * 2, 4, (xorRow + andRow) * uint32_t(p.height), 16);
        for (const auto& c : vgaPalette) img.insert(img.end(), {c[0], c[1], c[2], 0});
        for (int y = p.height - 1; y >= 0; --y) {
            std::vector<uint8_t> row(xorRow, 0);
            for (int x = 0; x < p.width; ++x) {
                const uint8_t colour = p.at(x, y) ? 0 : 15;
                row[x / 2] |= uint8_t(x % 2 == 0 ? colour << 4 : colour);
            }
            img.insert(img.end(), row.begin(), row.end());
        }
        img.insert(img.end(), size_t(andRow) * p.height, 0);  // every pixel opaque
        images.push_back(img);
    }
    std::vector<uint8_t> out;
    put16(out, 0);
    put16(out, 1);
    put16(out, uint16_t(images.size()));
    uint32_t offset = 6 + 16 * uint32_t(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(uint8_t(pictures[i].width));
        out.push_back(uint8_t(pictures[i].height));
        out.push_back(16);
        out.push_back(0);
        put16(out, 1);
        put16(out, 4);
        put32(out, uint32_t(images[i].size()));
        put32(out, offset);
        offset += uint32_t(images[i].size());
    }
    for (const auto& img : images) out.insert(out.end(), img.begin(), img.end());
    return out;
}

static bool readMask(const std::string& path, int size, PieceMask& mask, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    if (!parseMask(text.str(), size, mask, error)) {
        error = path + ": " + error;
        return false;
    }
    return true;
}

bool makeResourceFiles(const std::string& masksDir,
                       std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error) {
    PieceMask masks[6];
    for (int kind = 0; kind < 6; ++kind)
        if (!readMask(masksDir + "/" + maskFileName(kind), squarePixels, masks[kind], error)) return false;
    PieceMask smallKnight;
    if (!readMask(masksDir + "/knight16.txt", 14, smallKnight, error)) return false;

    files.clear();
    for (int index = 0; index < squareBitmapCount; ++index) {
        const SquareBitmap b = squareBitmapContents(index);
        const PieceMask* piece = b.kind >= 0 ? &masks[b.kind] : nullptr;
        files.emplace_back(squareBitmapFileName(index), encodeBmp24(squarePicture(piece, b.colour == Black, b.dark)));
    }
    files.emplace_back("ikonka.ico", encodeIcon({iconPicture(masks[Knight], 32), iconPicture(smallKnight, 16)}));
    return true;
}
