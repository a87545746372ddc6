#include "move_info.h"

#include <cstring>

MoveInfo::MoveInfo(const char* from, const char* to) {
    if (from == nullptr || to == nullptr || std::strlen(from) != 2 || std::strlen(to) != 2)
        throw EMoveInfo_BADINITIALIZATION();
    fromCol = from[0] - 'A';
    fromRow = from[1] - '1';
    toCol = to[0] - 'A';
    toRow = to[1] - '1';
    promotion = NoPromotion;
    value = 0;
}

bool MoveInfo::onBoard() const {
    auto in = [](int32_t v) { return v >= 0 && v < 8; };
    return in(fromRow) && in(fromCol) && in(toRow) && in(toCol);
}
