#include "../engine/opening_book.h"
#include "game_control.h"

GameSession::GameSession() : board(nullptr), moveTable(nullptr), table(nullptr) {
    board = new Board;
    moveTable = new MoveTable;  // filled when the game starts
    table = new TranspositionTable(18);
    LoadOpeningBook(*table);
}

GameSession::~GameSession() {
    delete board;
    delete moveTable;
    delete table;
}
