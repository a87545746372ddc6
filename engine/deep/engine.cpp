#include "engine.h"

#include <random>

#include "parameters.h"

namespace deep {

Engine::Engine(int megabytes)
    : table(std::make_unique<Table>(megabytes)),
      noiseSeed(std::random_device()() ^ static_cast<uint32_t>(millisecondClock())) {
    std::string error;
    useEvaluation(startingEvaluation, error);
}

bool Engine::resize(int megabytes) {
    table.reset();  // the old table's memory first given back
    table = std::make_unique<Table>(megabytes);
    memory.clear();
    return table->whole;
}

bool Engine::useEvaluation(const std::string& path, std::string& error) {
    if (path == builtInNetwork || path == handMadeEvaluation) {
        loaded.reset(), network = path == builtInNetwork ? &embeddedNetwork() : nullptr;
        return true;
    }
    std::unique_ptr<Network> read = readNetwork(path, error);
    if (!read) return false;
    loaded = std::move(read), network = loaded.get();
    return true;
}

void Engine::clear() {
    table->clear();
    memory.clear();
}

void Engine::go(const Request& r, void (*done)(void*, const MoveInfo&, const MoveInfo&), void* context) {
    stopFlag = false, ponderFlag = r.ponder;
    noiseSeed = noiseSeed * 1664525u + 1013904223u;
    const uint32_t seed = noiseSeed;
    const auto search = [this, r, done, context, seed] {
        Search s(*table, stopFlag, ponderFlag);
        s.limits = r.limits;
        s.lines = r.lines;
        s.threads = threads;
        s.network = network;
        s.memory = &memory;
        s.searchMoves = r.searchMoves;
        s.history = r.history;
        s.rootHalfMoves = r.halfMoves;
        s.report = r.report;
        s.reportContext = r.reportContext;
        s.noise = r.noise;
        s.noiseSeed = seed;
        MoveInfo reply;
        const MoveInfo best = s.run(r.root, &reply);
        done(context, best, reply);
    };
    const TimeBudget budget = timeBudget(r.limits, r.root.sideToMove);
    if (!r.waitsForStop && budget.hard > 0 && budget.hard <= quickSearch) return search();
    worker = std::thread(search);
}

}  // namespace deep
