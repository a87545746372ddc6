// Makes the square pictures and the icon from the piece masks: black and white pictures,
// written as 24-bit BMP files and as a 16-colour icon file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A piece shape read from a text mask: one line per pixel row, '.' outside the piece, '#' inside
// it, '+' inside it on a detail line (drawn in the other colour: black on a white piece, white
// on a black one).
struct PieceMask {
    int size = 0;
    std::vector<uint8_t> cells;  // size * size; 0 outside, 1 body, 2 detail

    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < size && y < size && cells[y * size + x] != 0; }
    bool detail(int x, int y) const { return inside(x, y) && cells[y * size + x] == 2; }
};

// Reads a mask of size x size cells. Returns false with a message naming the line on bad input.
bool parseMask(const std::string& text, int size, PieceMask& mask, std::string& error);

// A picture in black and white; row 0 is the top row.
struct Picture {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> black;  // width * height; 1 black, 0 white

    Picture() = default;
    Picture(int w, int h) : width(w), height(h), black(size_t(w) * h, 0) {}
    bool at(int x, int y) const { return black[size_t(y) * width + x] != 0; }
    void set(int x, int y, bool b) { black[size_t(y) * width + x] = b ? 1 : 0; }
};

// The hatching of a dark square: one black pixel in four along each row, shifted one column
// per row so that the lines rise to the right.
bool darkSquareHatch(int x, int y);

// A square picture of the mask's size. piece null: an empty square. blackPiece: a solid
// silhouette; otherwise the black outline of the mask on white. darkSquare: hatched, with a
// white margin of one pixel cut out around the piece.
Picture squarePicture(const PieceMask* piece, bool blackPiece, bool darkSquare);

// The file names of the 26 square pictures, in bitmap-index order ("r_b_pion_b.bmp" ...).
std::string squareBitmapFileName(int index);
// The mask file of each piece kind, pawn 0 to king 5 ("pawn.txt" ...).
const char* maskFileName(int kind);

// The icon's pictures: a black knight on a hatched square with a black border.
Picture iconPicture(const PieceMask& knight, int size);

// A bottom-up 24-bit BMP file of the picture.
std::vector<uint8_t> encodeBmp24(const Picture& picture);
// An icon file with one 16-colour image per picture, fully opaque.
std::vector<uint8_t> encodeIcon(const std::vector<Picture>& pictures);

// Every file the generator makes (name, contents), from the masks in masksDir.
// Returns false with a message when a mask is missing or malformed.
bool makeResourceFiles(const std::string& masksDir,
                       std::vector<std::pair<std::string, std::vector<uint8_t>>>& files, std::string& error);
