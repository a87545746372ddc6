// The options: what `uci` lists and how `setoption` sets them. As UCI asks, option names and the
// values of check options are read without regard to case; a value out of range is refused with
// an info string, the option keeping its value.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/deep/levels.h"
#include "engine/window/opening_book.h"
#include "uci.h"

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

enum OptionKind { Spin, Check, Button };
struct Option {
    const char* name;
    OptionKind kind;
    int low, high;             // a spin's range
    int UciOptions::*number;   // where a spin goes
    bool UciOptions::*flag;    // where a check goes
};
const Option optionList[] = {
    {"Threads", Spin, 1, 64, &UciOptions::threads, nullptr},
    {"Hash", Spin, 1, maxHashMegabytes, &UciOptions::hashMegabytes, nullptr},
    {"Clear Hash", Button, 0, 0, nullptr, nullptr},
    {"Ponder", Check, 0, 0, nullptr, nullptr},  // only tells that the GUI may send go ponder
    {"Move Overhead", Spin, 0, 5000, &UciOptions::moveOverhead, nullptr},
    {"MultiPV", Spin, 1, 500, &UciOptions::multiPv, nullptr},
    {"UCI_LimitStrength", Check, 0, 0, nullptr, &UciOptions::limitStrength},
    {"UCI_Elo", Spin, deep::minElo, deep::maxElo, &UciOptions::elo, nullptr},
    {"UCI_Chess960", Check, 0, 0, nullptr, &UciOptions::chess960},
    {"UCI_ShowWDL", Check, 0, 0, nullptr, &UciOptions::showWdl},
    {"Window Engine", Check, 0, 0, nullptr, &UciOptions::windowEngine},
};

}  // namespace

void UciEngine::listOptions(std::ostream& out) const {
    const UciOptions defaults;
    for (const Option& o : optionList) {
        std::string line = std::string("option name ") + o.name + " type ";
        if (o.kind == Button) line += "button";
        if (o.kind == Check) line += std::string("check default ") + (o.flag && defaults.*o.flag ? "true" : "false");
        if (o.kind == Spin) {
            const int value = o.number == &UciOptions::elo ? deep::maxElo : defaults.*o.number;  // no level: the top
            line += "spin default " + std::to_string(value) + " min " + std::to_string(o.low) + " max " + std::to_string(o.high);
        }
        sayLine(out, line);
    }
}

void UciEngine::setOption(const std::string& args, std::ostream& out) {
    const std::vector<std::string> w = words(args);
    size_t valueAt = 0;
    while (valueAt < w.size() && lower(w[valueAt]) != "value") ++valueAt;
    const std::string name = !w.empty() && lower(w[0]) == "name" ? joined(w, 1, valueAt) : "";
    const std::string value = joined(w, valueAt + 1, w.size());
    const Option* o = std::find_if(std::begin(optionList), std::end(optionList), [&](const Option& x) { return lower(x.name) == lower(name); });
    if (o == std::end(optionList)) return sayLine(out, "info string no option '" + name + "'");
    if (o->kind == Check && lower(value) != "true" && lower(value) != "false")
        return sayLine(out, "info string " + std::string(o->name) + " is true or false, not '" + value + "'");
    if (o->kind == Check && o->flag) settings.*o->flag = lower(value) == "true";
    if (o->kind == Spin) {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || v < o->low || v > o->high)
            return sayLine(out, "info string " + std::string(o->name) + " takes a number from " + std::to_string(o->low) +
                                    " to " + std::to_string(o->high) + ", not '" + value + "'");
        const int before = settings.*o->number;
        settings.*o->number = static_cast<int>(v);
        if (o->number == &UciOptions::hashMegabytes && settings.hashMegabytes != before) makeDeepTable(out);
    }
    if (std::string(o->name) == "Clear Hash") {
        if (deepTable) deepTable->clear();
        forgetOrderMemory();  // the next search starts cold
        if (session) session->table->clear(), LoadOpeningBook(*session->table);
    }
}
