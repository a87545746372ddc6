#include "training_data.h"

#include <cstring>
#include <fstream>

namespace training {

void pack(const Record& r, unsigned char out[recordSize]) {
    std::memset(out, 0, recordSize);
    uint64_t occupied = 0;
    int n = 0;
    for (int square = 0; square < 64; ++square) {
        const PieceCode piece = r.board.squares[square];
        if (piece == EmptySquare) continue;
        occupied |= uint64_t(1) << square;
        if (n < 32) out[8 + n / 2] |= static_cast<unsigned char>(piece << (4 * (n % 2)));
        ++n;
    }
    for (int i = 0; i < 8; ++i) out[i] = static_cast<unsigned char>(occupied >> (8 * i));
    const uint16_t score = static_cast<uint16_t>(static_cast<int16_t>(r.score));
    out[24] = static_cast<unsigned char>(score), out[25] = static_cast<unsigned char>(score >> 8);
    out[26] = static_cast<unsigned char>(static_cast<int8_t>(r.result));
    out[27] = static_cast<unsigned char>((r.board.sideToMove == Black ? 1 : 0) | (r.lastOfGame ? 2 : 0));
    for (int i = 0; i < 4; ++i) out[28 + i] = static_cast<unsigned char>(r.game >> (8 * i));
}

bool unpack(const unsigned char in[recordSize], Record& r, std::string& error) {
    uint64_t occupied = 0;
    for (int i = 0; i < 8; ++i) occupied |= uint64_t(in[i]) << (8 * i);
    r = Record();
    int n = 0, kings[2] = {0, 0};
    for (int square = 0; square < 64; ++square) {
        if (!(occupied >> square & 1)) continue;
        if (n == 32) return error = "more than 32 pieces", false;
        const PieceCode piece = static_cast<PieceCode>(in[8 + n / 2] >> (4 * (n % 2)) & 15);
        if (piece > BlackKing) return error = "piece code " + std::to_string(piece), false;
        if (pieceKind(piece) == King) ++kings[pieceColour(piece)];
        r.board.squares[square] = piece;
        ++n;
    }
    if (kings[White] != 1 || kings[Black] != 1) return error = "not one king a side", false;
    r.score = static_cast<int16_t>(in[24] | in[25] << 8);
    r.result = static_cast<int8_t>(in[26]);
    if (r.result < -1 || r.result > 1) return error = "result " + std::to_string(r.result), false;
    if (in[27] > 3) return error = "flags " + std::to_string(in[27]), false;
    r.board.sideToMove = in[27] & 1 ? Black : White;
    r.lastOfGame = in[27] & 2;
    for (int i = 0; i < 4; ++i) r.game |= uint32_t(in[28 + i]) << (8 * i);
    return true;
}

bool readFile(const std::string& path, std::vector<Record>& records, std::string& error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return error = path + ": cannot be read", false;
    unsigned char bytes[recordSize];
    for (size_t index = 0;; ++index) {
        in.read(reinterpret_cast<char*>(bytes), recordSize);
        if (in.gcount() == 0) return true;
        if (in.gcount() < recordSize) return error = path + ": ends inside record " + std::to_string(index), false;
        Record r;
        std::string why;
        if (!unpack(bytes, r, why)) return error = path + ": record " + std::to_string(index) + " is damaged: " + why, false;
        records.push_back(r);
    }
}

}  // namespace training
