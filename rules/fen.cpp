#include "fen.h"

#include <cctype>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "game_end.h"

namespace {

const char pieceLetters[] = "PRNBQK";

bool parseCount(const std::string& s, long maxValue, int& out) {
    if (s.empty() || s.size() > 9) return false;
    for (char c : s)
        if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    long v = std::strtol(s.c_str(), nullptr, 10);
    if (v > maxValue) return false;
    out = static_cast<int>(v);
    return true;
}

bool readSquare(const std::string& s, size_t at, int& row, int& col) {
    if (s.size() < at + 2) return false;
    const char f = static_cast<char>(std::toupper(static_cast<unsigned char>(s[at])));
    const char r = s[at + 1];
    if (f < 'A' || f > 'H' || r < '1' || r > '8') return false;
    col = f - 'A';
    row = r - '1';
    return true;
}

// Reads a Chess960 castling field: K, Q, k and q for the outermost rook on that side of the king,
// a file letter for the rook on that file (upper case for White), each the right on its side.
bool readChess960Castling(const std::string& field, Board& b) {
    for (char ch : field) {
        const int colour = std::isupper(static_cast<unsigned char>(ch)) ? White : Black, rank = colour == White ? 0 : 56;
        const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        int king = -1;
        for (int file = 0; file < 8; ++file)
            if (b.squares[rank + file] == pieceCode(King, colour)) king = file;
        if (king < 0) return false;
        int rook = -1;
        const auto isRook = [&](int file) { return b.squares[rank + file] == pieceCode(Rook, colour); };
        if (letter == 'k')
            for (int file = 7; file > king && rook < 0; --file) rook = isRook(file) ? file : -1;
        else if (letter == 'q')
            for (int file = 0; file < king && rook < 0; ++file) rook = isRook(file) ? file : -1;
        else if (letter >= 'a' && letter <= 'h' && letter - 'a' != king && isRook(letter - 'a'))
            rook = letter - 'a';
        const int right = 2 * colour + (rook < king ? 1 : 0);
        if (rook < 0 || b.castlingRights[right] || (b.castlingRights[right ^ 1] && b.castlingKingFile[colour] != king))
            return false;
        b.castlingRights[right] = 1;
        b.castlingRookFile[right] = static_cast<int8_t>(rook);
        b.castlingKingFile[colour] = static_cast<int8_t>(king);
    }
    return true;
}

}  // namespace

bool readFen(const std::string& fen, Board& board, std::string& error, bool chess960) {
    std::istringstream in(fen);
    std::vector<std::string> fields;
    for (std::string f; in >> f;) fields.push_back(f);
    if (fields.size() < 4 || fields.size() > 6) {
        error = "a FEN record has 4 to 6 fields";
        return false;
    }
    Board b;
    int row = 7, col = 0;
    for (char ch : fields[0]) {
        if (ch == '/') {
            if (col != 8 || row == 0) {
                error = "bad rank layout in the placement field";
                return false;
            }
            --row;
            col = 0;
        } else if (ch >= '1' && ch <= '8') {
            col += ch - '0';
            if (col > 8) {
                error = "a rank of more than 8 squares";
                return false;
            }
        } else {
            const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
            const char* k = nullptr;
            for (const char* p = pieceLetters; *p; ++p)
                if (*p == upper) k = p;
            if (k == nullptr || col > 7) {
                error = std::string("bad piece '") + ch + "' in the placement field";
                return false;
            }
            b.set(row, col++, pieceCode(static_cast<int>(k - pieceLetters), ch == upper ? White : Black));
        }
    }
    if (row != 0 || col != 8) {
        error = "the placement field does not describe 8 ranks of 8 squares";
        return false;
    }

    if (fields[1] != "w" && fields[1] != "b") {
        error = "the side to move must be w or b";
        return false;
    }
    b.sideToMove = fields[1] == "w" ? White : Black;

    b.chess960 = chess960;
    if (chess960 && fields[2] != "-" && !readChess960Castling(fields[2], b)) {
        error = "bad castling field";
        return false;
    }
    if (!chess960 && fields[2] != "-") {
        const std::string order = "KQkq";
        for (char ch : fields[2]) {
            const size_t i = order.find(ch);
            if (i == std::string::npos || b.castlingRights[i]) {
                error = "bad castling field";
                return false;
            }
            b.castlingRights[i] = 1;
        }
    }

    b.lastMove = MoveInfo(-10, -1, -1, -1, NoPromotion, 0);
    if (fields[3] != "-") {
        int r, c;
        if (fields[3].size() != 2 || !readSquare(fields[3], 0, r, c) || (r != 2 && r != 5)) {
            error = "bad en passant field";
            return false;
        }
        // The double step that made the target square.
        b.lastMove = r == 2 ? MoveInfo(1, c, 3, c) : MoveInfo(6, c, 4, c);
    }

    int halfmoves = 0, fullmoves = 1;
    if (fields.size() > 4 && !parseCount(fields[4], 100000, halfmoves)) {
        error = "bad halfmove clock";
        return false;
    }
    if (fields.size() > 5 && (!parseCount(fields[5], 100000, fullmoves) || fullmoves < 1)) {
        error = "bad fullmove number";
        return false;
    }
    b.quietMoveCount = halfmoves;
    b.plyCount = 2 * (fullmoves - 1) + (b.sideToMove == Black ? 1 : 0);
    board = b;
    return true;
}

std::string positionFault(const Board& b) {
    int kings[2] = {0, 0};
    for (int s = 0; s < 64; ++s) {
        const PieceCode p = b.squares[s];
        if (p == WhiteKing || p == BlackKing) ++kings[pieceColour(p)];
        if ((p == WhitePawn || p == BlackPawn) && (s / 8 == 0 || s / 8 == 7))
            return "a pawn on the first or last rank";
    }
    if (kings[White] != 1 || kings[Black] != 1) return "each side needs exactly one king";
    Board other(b);
    other.switchSide();
    if (isInCheck(other)) return "the side not to move is in check";
    return "";
}

bool readMove(const std::string& text, int sideToMove, MoveInfo& move, std::string& error) {
    int fr, fc, tr, tc;
    if ((text.size() != 5 && text.size() != 6) || !readSquare(text, 0, fr, fc) || text[2] != '-' ||
        !readSquare(text, 3, tr, tc)) {
        error = "bad move '" + text + "' (expected a form like E2-E4 or E7-E8Q)";
        return false;
    }
    PieceCode promotion = NoPromotion;
    if (text.size() == 6) {
        const char upper = static_cast<char>(std::toupper(static_cast<unsigned char>(text[5])));
        int kind = -1;
        for (int k = Rook; k <= Queen; ++k)
            if (pieceLetters[k] == upper) kind = k;
        if (kind < 0) {
            error = "bad promotion piece in '" + text + "' (Q, R, B or N)";
            return false;
        }
        promotion = pieceCode(kind, sideToMove == White ? White : Black);
    }
    move = MoveInfo(fr, fc, tr, tc, promotion, 0);
    return true;
}

std::string moveName(const MoveInfo& m) {
    std::string s;
    s += static_cast<char>('A' + m.fromCol);
    s += static_cast<char>('1' + m.fromRow);
    s += '-';
    s += static_cast<char>('A' + m.toCol);
    s += static_cast<char>('1' + m.toRow);
    if (isPromotionPiece(m.promotion)) s += pieceLetters[pieceKind(m.promotion)];
    return s;
}

std::string uciMoveName(const MoveInfo& m) {
    std::string s;
    s += static_cast<char>('a' + m.fromCol);
    s += static_cast<char>('1' + m.fromRow);
    s += static_cast<char>('a' + m.toCol);
    s += static_cast<char>('1' + m.toRow);
    if (isPromotionPiece(m.promotion)) s += "?rnbq"[pieceKind(m.promotion)];
    return s;
}

std::vector<std::string> words(const std::string& line) {
    std::istringstream in(line);
    std::vector<std::string> w;
    for (std::string s; in >> s;) w.push_back(s);
    return w;
}
