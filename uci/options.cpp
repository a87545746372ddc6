// The options: each declared once, with its type, range, default and what setting it does. `uci`
// lists them; `setoption` finds one by its name, without regard to case as UCI asks, checks the
// value (a check's in any case too) and runs its action. A value out of range is refused with an
// info string, the option keeping its value. A tuning build lists the deep search's parameters too.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include "engine/deep/levels.h"
#include "engine/deep/parameters.h"
#include "engine/window/opening_book.h"
#include "rules/fen.h"
#include "uci.h"

namespace {

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

enum OptionKind { Spin, Check, Button, Text };
struct Option {
    const char* name;
    OptionKind kind;
    int low, high, byDefault;  // a spin's range and default; a check's default as 0 or 1
    // What setting it does: number is the spin's, or 1 and 0 for a check's true and false; text is
    // a string option's value.
    void (*act)(UciEngine& uci, int number, const std::string& text, std::ostream& out);
    const char* textByDefault = "";  // a string option's default
};

using TextValue = const std::string&;  // a string option's value, which the others leave aside
const Option options[] = {
    {"Threads", Spin, 1, 64, 1, [](UciEngine& u, int v, TextValue, std::ostream&) { u.engine.setThreads(v); }},
    {"Hash", Spin, 1, maxHashMegabytes, UciSettings().hashMegabytes,
     [](UciEngine& u, int v, TextValue, std::ostream& out) {
         if (v != u.settings.hashMegabytes) u.settings.hashMegabytes = v, u.makeDeepTable(out);
     }},
    {"Clear Hash", Button, 0, 0, 0,
     [](UciEngine& u, int, TextValue, std::ostream&) {
         u.engine.clear();  // and the next search starts cold
         if (u.session) u.session->table->clear(), LoadOpeningBook(*u.session->table);
     }},
    {"Ponder", Check, 0, 1, 0, [](UciEngine&, int, TextValue, std::ostream&) {}},  // only tells that the GUI may send go ponder
    {"Move Overhead", Spin, 0, 5000, UciSettings().moveOverhead,
     [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.moveOverhead = v; }},
    {"MultiPV", Spin, 1, 500, 1, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.multiPv = v; }},
    {"UCI_LimitStrength", Check, 0, 1, 0, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.limitStrength = v; }},
    {"UCI_Elo", Spin, deep::minElo, deep::maxElo, deep::maxElo, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.elo = v; }},
    {"UCI_Chess960", Check, 0, 1, 0, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.chess960 = v; }},
    {"UCI_ShowWDL", Check, 0, 1, 0, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.showWdl = v; }},
    {"EvalFile", Text, 0, 0, 0,
     [](UciEngine& u, int, TextValue path, std::ostream& out) {
         std::string error;
         if (!u.engine.useEvaluation(path, error)) sayLine(out, "info string EvalFile: " + error + "; the evaluation stays as it was");
     },
     deep::startingEvaluation},
    {"Window Engine", Check, 0, 1, 0, [](UciEngine& u, int v, TextValue, std::ostream&) { u.settings.windowEngine = v; }},
};

void sayOption(std::ostream& out, const std::string& name, OptionKind kind, int low, int high, int byDefault,
               const std::string& textByDefault = "") {
    std::string line = "option name " + name + " type ";
    if (kind == Button) line += "button";
    if (kind == Text) line += "string default " + textByDefault;
    if (kind == Check) line += std::string("check default ") + (byDefault ? "true" : "false");
    if (kind == Spin)
        line += "spin default " + std::to_string(byDefault) + " min " + std::to_string(low) + " max " + std::to_string(high);
    sayLine(out, line);
}

}  // namespace

void UciEngine::listOptions(std::ostream& out) const {
    for (const Option& o : options) sayOption(out, o.name, o.kind, o.low, o.high, o.byDefault, o.textByDefault);
    for (int i = 0; i < deep::tunedParameterCount; ++i) {
        const deep::Parameter& p = deep::tunedParameters[i];
        sayOption(out, p.name, Spin, p.low, p.high, *p.value);
    }
}

void UciEngine::setOption(const std::string& args, std::ostream& out) {
    const std::vector<std::string> w = words(args);
    size_t valueAt = 0;
    while (valueAt < w.size() && lower(w[valueAt]) != "value") ++valueAt;
    const std::string name = !w.empty() && lower(w[0]) == "name" ? joined(w, 1, valueAt) : "";
    const std::string value = joined(w, valueAt + 1, w.size());
    // A tuning build's parameters are spins that set their number.
    const deep::Parameter* const parameters = deep::tunedParameters;
    const deep::Parameter* p = std::find_if(parameters, parameters + deep::tunedParameterCount,
                                            [&](const deep::Parameter& x) { return lower(x.name) == lower(name); });
    Option o{};
    const Option* declared = std::find_if(std::begin(options), std::end(options), [&](const Option& x) { return lower(x.name) == lower(name); });
    if (declared != std::end(options)) o = *declared;
    else if (p != parameters + deep::tunedParameterCount) o = Option{p->name, Spin, p->low, p->high, 0, nullptr};
    else return sayLine(out, "info string no option '" + name + "'");
    int number = 0;
    if (o.kind == Check) {
        if (lower(value) != "true" && lower(value) != "false")
            return sayLine(out, "info string " + std::string(o.name) + " is true or false, not '" + value + "'");
        number = lower(value) == "true";
    }
    if (o.kind == Spin) {
        char* end = nullptr;
        const long v = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || v < o.low || v > o.high)
            return sayLine(out, "info string " + std::string(o.name) + " takes a number from " + std::to_string(o.low) +
                                    " to " + std::to_string(o.high) + ", not '" + value + "'");
        number = static_cast<int>(v);
    }
    if (o.act) o.act(*this, number, value, out);
    else *p->value = number;
}
