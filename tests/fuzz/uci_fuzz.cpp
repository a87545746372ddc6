// Fuzz target: the UCI engine's command handling, one line of the input at a time. Lines holding
// "go", "ucinewgame" or "hash" (in any case, as option names are read) are left out: a search costs seconds, and a new game's table, or a
// table of up to a gigabyte, costs more than all the rest. So one engine, with one game, serves
// every input: nothing it keeps from one input to the next (the position) changes what the next
// one does, and each runs the same way every time.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <sstream>
#include <string>

#include "uci.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static UciEngine engine;
    std::ostringstream out;
    static const bool started = engine.handle("ucinewgame", out);
    std::istringstream in(std::string(reinterpret_cast<const char*>(data), size));
    for (std::string line; started && std::getline(in, line);) {
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (line.find("go") == line.npos && line.find("ucinewgame") == line.npos && lower.find("hash") == line.npos &&
            !engine.handle(line, out))
            break;
    }
    return 0;
}
