// Fuzz target: the UCI engine's command handling, one line of the input at a time. Lines holding
// "go", "ucinewgame" or "Hash" are left out: a search costs seconds, and a new game's table, or a
// table of up to a gigabyte, costs more than all the rest. So one engine, with one game, serves
// every input: nothing it keeps from one input to the next (the position) changes what the next
// one does, and each runs the same way every time.
#include <cstdint>
#include <sstream>
#include <string>

#include "uci.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static UciEngine engine;
    std::ostringstream out;
    static const bool started = engine.handle("ucinewgame", out);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; started && std::getline(in, line);)
        if (line.find("go") == line.npos && line.find("ucinewgame") == line.npos && line.find("Hash") == line.npos &&
            !engine.handle(line, out))
            break;
    return 0;
}
