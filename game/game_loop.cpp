#include "../engine/window/move_choice.h"
#include "../rules/game_end.h"
#include "../rules/move_generator.h"
#include "../rules/rule_checker.h"
#include "game_control.h"

GameUi gameUi = {};
SharedMove currentMove;
std::atomic<bool> gameRunning{false};
std::atomic<GameSession*> currentSession{nullptr};
std::atomic<int32_t> whiteIsEngine{0};
std::atomic<int32_t> blackIsEngine{0};
std::mutex sessionGuard;

MoveInfo SharedMove::load() const {
    return MoveInfo(fromRow.load(), fromCol.load(), toRow.load(), toCol.load(),
                    static_cast<PieceCode>(promotion.load()), value.load());
}

void SharedMove::store(const MoveInfo& m) {
    fromCol = m.fromCol;
    fromRow = m.fromRow;
    toCol = m.toCol;
    toRow = m.toRow;
    promotion = m.promotion;
    value = m.value;
}

namespace {

// A pawn reaching the last rank becomes a rook, knight, bishop or queen of its own colour; any
// other promotion piece handed in becomes a queen. Other moves promote nothing.
void settlePromotion(const Board& b, MoveInfo& m) {
    if (!isPromotion(b, m)) {
        m.promotion = NoPromotion;
        return;
    }
    const int colour = pieceColour(b.at(m.fromRow, m.fromCol));
    if (!isPromotionPiece(m.promotion) || pieceColour(m.promotion) != colour) m.promotion = pieceCode(Queen, colour);
}

MoveInfo verifiedEngineMove(const Board& b, const MoveTable& table, MoveInfo move) {
    if (move.onBoard() && checkMove(b, move, table, true, true) == Legal) return move;
    const Occupancy occupied(b);
    GeneratedMove first;
    if (MoveWalk(b, occupied, true).next(first)) {
        const int value = move.value;
        move = first.info();
        move.value = value;
    }
    return move;
}

MoveInfo humanMove(const Board& b, const MoveTable& table) {
    for (;;) {
        const MoveInfo move = gameUi.getHumanMove(b);
        const RuleError code = move.onBoard() ? checkMove(b, move, table, true, true) : NoPiece;
        if (code == Legal) return move;
        char text[64];
        moveErrorText(code, text);
        gameUi.reportIllegalMove(text);
    }
}

}  // namespace

MoveInfo playableEngineMove(const Board& board, const MoveTable& table, MoveInfo move) {
    move = verifiedEngineMove(board, table, move);
    settlePromotion(board, move);
    return move;
}

const char* resultText(int result) {
    static const char* const texts[3] = {"Black wins.", "Draw game.", "White wins."};
    return result >= -1 && result <= 1 ? texts[result + 1] : "";
}

int playGame(GameSession* session, int32_t whiteEngine, int32_t blackEngine) {
    Board& board = *session->board;
    const MoveTable& table = *session->moveTable;
    {
        std::lock_guard<std::mutex> hold(sessionGuard);
        board.setStartPosition();
    }
    buildMoveTable(*session->moveTable);

    for (;;) {
        gameUi.drawBoard(board);
        if (board.quietMoveCount > 100) return 0;
        if (isInCheck(board)) {
            if (isCheckmate(board)) return board.sideToMove == White ? -1 : 1;
        } else {
            if (isStalemate(board)) return 0;
            gameUi.drawDepthAndValue(board, table);
        }
        if (gameUi.stopRequested && gameUi.stopRequested()) return unfinishedGame;

        const bool engineMoves =
            (board.sideToMove == White && whiteEngine != 0) || (board.sideToMove == Black && blackEngine != 0);
        MoveInfo move;
        if (engineMoves) {
            currentMove.reset();  // the last move's frames go while the engine thinks
            move = think(board, table, *session->table, whiteEngine != 0, blackEngine != 0);
            move = playableEngineMove(board, table, move);
            currentMove.store(move);
        } else {
            move = humanMove(board, table);
            settlePromotion(board, move);
        }
        {
            std::lock_guard<std::mutex> hold(sessionGuard);
            makeMove(board, move);
            board.switchSide();
        }
        gameUi.moveBeep();
    }
}

void gameThreadMain() {
    GameSession* session = new GameSession;
    currentSession = session;
    gameUi.askGameMode();
    const int result = playGame(session, whiteIsEngine, blackIsEngine);
    if (result != unfinishedGame) gameUi.announceResult(result);
    // The game thread is the session's only owner and the only one to release it. The painter
    // reads currentSession under sessionGuard, so once the pointer is cleared under the guard no
    // one can still be reading the board being freed.
    {
        std::lock_guard<std::mutex> hold(sessionGuard);
        currentSession = nullptr;
        currentMove.reset();  // the last move's frames end with the game
    }
    delete session;
    gameRunning = false;
}
