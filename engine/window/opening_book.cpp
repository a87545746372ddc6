#include "opening_book.h"

#include "../../rules/board.h"
#include "random.h"

namespace {

const MoveInfo line1[] = {{"D2", "D4"}, {"D7", "D5"}, {"C2", "C4"}, {"C7", "C6"}, {"C4", "D5"}, {"C6", "D5"}};
const MoveInfo line2[] = {{"D2", "D4"}, {"D7", "D5"}, {"C2", "C4"}, {"C7", "C6"},
                          {"B1", "C3"}, {"E7", "E6"}, {"E2", "E4"}, {"D5", "E4"}};
const MoveInfo line3[] = {{"D2", "D4"}, {"D7", "D5"}, {"C2", "C4"}, {"C7", "C6"}, {"G1", "F3"},
                          {"G8", "F6"}, {"B1", "C3"}, {"E7", "E6"}, {"E2", "E3"}, {"B8", "D7"}};
const MoveInfo line4[] = {{"D2", "D4"}, {"G8", "F6"}, {"C2", "C4"}, {"G7", "G6"}, {"B1", "C3"},
                          {"F8", "G7"}, {"E2", "E4"}, {"D7", "D6"}, {"G1", "F3"}, {"E8", "G8"}};
const MoveInfo line5[] = {{"D2", "D4"}, {"G8", "F6"}, {"C2", "C4"}, {"G7", "G6"}, {"B1", "C3"},
                          {"F8", "G7"}, {"G2", "G3"}, {"E8", "G8"}, {"F1", "G2"}, {"D7", "D6"}};
const MoveInfo line6[] = {{"D2", "D4"}, {"G8", "F6"}, {"C2", "C4"}, {"E7", "E6"}, {"B1", "C3"},
                          {"F8", "B4"}, {"A2", "A3"}, {"B4", "C3"}, {"B2", "C3"}, {"C7", "C5"},
                          {"E2", "E3"}, {"B8", "C6"}, {"F1", "D3"}, {"B7", "B6"}, {"E3", "E4"},
                          {"D7", "D6"}, {"G1", "E2"}, {"E6", "E5"}, {"E1", "G1"}, {"F6", "D7"}};
const MoveInfo line7[] = {{"D2", "D4"}, {"G8", "F6"}, {"C2", "C4"}, {"E7", "E6"}, {"B1", "C3"},
                          {"F8", "B4"}, {"E2", "E3"}, {"C7", "C5"}, {"F1", "D3"}, {"E8", "G8"},
                          {"G1", "F3"}, {"D7", "D5"}, {"E1", "G1"}, {"B8", "C6"}, {"A2", "A3"},
                          {"B4", "C3"}, {"B2", "C3"}, {"D5", "C4"}, {"D3", "C4"}, {"D8", "C7"}};
const MoveInfo line8[] = {{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}, {"B8", "C6"}, {"D2", "D4"}};
const MoveInfo line9[] = {{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}, {"B8", "C6"}, {"F1", "C4"}, {"F8", "C5"}};
const MoveInfo line10[] = {{"E2", "E4"}, {"E7", "E5"}, {"F2", "F4"}, {"E5", "F4"}, {"G1", "F3"}, {"G8", "F6"}};
const MoveInfo line11[] = {{"E2", "E4"}, {"E7", "E5"}, {"F2", "F4"}, {"F8", "C5"}, {"G1", "F3"}, {"D7", "D6"}};
const MoveInfo line12[] = {{"E2", "E4"}, {"E7", "E5"}, {"G1", "F3"}, {"B8", "C6"}, {"F1", "B5"},
                           {"A7", "A6"}, {"B5", "C6"}, {"D7", "C6"}, {"E1", "G1"}, {"C8", "G4"},
                           {"H2", "H3"}, {"H7", "H5"}, {"D2", "D3"}, {"D8", "F6"}, {"C1", "E3"},
                           {"G4", "F3"}, {"D1", "F3"}, {"F6", "F3"}, {"G2", "F3"}, {"F8", "D6"}};

template <int N>
constexpr BookLine bookLine(const MoveInfo (&moves)[N]) {
    return BookLine{N, moves};
}

}  // namespace

const BookLine OpeningBook[bookLineCount] = {
    bookLine(line1), bookLine(line2), bookLine(line3), bookLine(line4),  bookLine(line5),  bookLine(line6),
    bookLine(line7), bookLine(line8), bookLine(line9), bookLine(line10), bookLine(line11), bookLine(line12),
};

void LoadOpeningBook(TranspositionTable& table) {
    Board* scratch = new Board;
    for (const BookLine& line : OpeningBook) {
        scratch->setStartPosition();
        for (int i = 0; i < line.moveCount; ++i) {
            table.put(table.indexOf(*scratch), table.checkKeyOf(*scratch), scratch->sideToMove, bookDepth,
                      line.moves[i]);
            makeMove(*scratch, line.moves[i]);
            scratch->switchSide();
        }
    }
    delete scratch;
}

TranspositionTable* freshTable(int8_t bits) {
    restartRandom();
    TranspositionTable* tt = new TranspositionTable(bits);
    LoadOpeningBook(*tt);
    return tt;
}
