// vimochess-uci: VimoChess's engine for chess programs that speak UCI, on standard input and
// output.
#include <iostream>
#include <string>

#include "uci.h"

int main() {
    UciEngine engine;
    std::string line;
    while (std::getline(std::cin, line))
        if (!engine.handle(line, std::cout)) return 0;
    // The input ended without quit: a search with limits still answers; one that waits for stop
    // is stopped.
    engine.endOfInput();
    return 0;
}
