// Writes the program's square pictures and icon from the piece masks:
//   make-bitmaps MASKS-DIR OUTPUT-DIR          write the 26 .bmp files and ikonka.ico
//   make-bitmaps --check MASKS-DIR FILES-DIR   exit 1 if any file there differs from what would be made
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bitmap_maker.h"

static int usage() {
    std::fprintf(stderr,
                 "usage: make-bitmaps MASKS-DIR OUTPUT-DIR\n"
                 "       make-bitmaps --check MASKS-DIR FILES-DIR\n");
    return 2;
}

int main(int argc, char** argv) {
    const bool check = argc == 4 && std::strcmp(argv[1], "--check") == 0;
    if (!check && argc != 3) return usage();
    const std::string masksDir = argv[check ? 2 : 1];
    const std::string outDir = argv[check ? 3 : 2];

    std::vector<std::pair<std::string, std::vector<uint8_t>>> files;
    std::string error;
    if (!makeResourceFiles(masksDir, files, error)) {
        std::fprintf(stderr, "make-bitmaps: %s\n", error.c_str());
        return 1;
    }
    int differing = 0;
    for (const auto& file : files) {
        const std::string path = outDir + "/" + file.first;
        if (check) {
            std::ifstream in(path, std::ios::binary);
            const std::vector<uint8_t> have((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            if (!in.good() && !in.eof()) {
                std::fprintf(stderr, "make-bitmaps: %s cannot be read\n", path.c_str());
                ++differing;
            } else if (have != file.second) {
                std::fprintf(stderr, "make-bitmaps: %s differs from what the masks make\n", path.c_str());
                ++differing;
            }
            continue;
        }
        std::ofstream out(path, std::ios::binary);
        out.write(reinterpret_cast<const char*>(file.second.data()), std::streamsize(file.second.size()));
        if (!out) {
            std::fprintf(stderr, "make-bitmaps: cannot write %s\n", path.c_str());
            return 1;
        }
    }
    return differing == 0 ? 0 : 1;
}
