#include "../engine/window/opening_book.h"
#include "game_control.h"

GameSession::GameSession(int8_t tableBits) : board(nullptr), moveTable(nullptr), table(nullptr) {
    board = new Board;
    moveTable = new MoveTable;  // filled when the game starts
    table = new TranspositionTable(tableBits);
    LoadOpeningBook(*table);
}

GameSession::~GameSession() {
    delete board;
    delete moveTable;
    delete table;
}
