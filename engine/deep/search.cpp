// A search from its start to its answer: the threads that search, the main one deciding.
#include <thread>

#include "worker.h"

namespace deep {

MoveInfo Search::run(const Board& root, MoveInfo* ponder) {
    table.age.fetch_add(1, std::memory_order_relaxed);
    finished = false;
#ifdef VIMOCHESS_TUNING
    refreshReductions();  // the parameters may have been set since the last search
#endif
    if (memory)
        while (memory->size() < static_cast<size_t>(threads)) memory->push_back(std::make_unique<ThreadMemory>());
    Worker main(*this, root.sideToMove, 0);
    workers.assign(1, &main);
    // Lazy SMP: helpers search the same root on threads of their own, sharing only the table, a
    // ply deeper every other one; the main worker alone tells, keeps the time and decides.
    std::vector<std::unique_ptr<Worker>> helpers;
    for (int i = 1; i < threads; ++i) {
        helpers.push_back(std::make_unique<Worker>(*this, root.sideToMove, i));
        workers.push_back(helpers.back().get());
    }
    std::vector<std::thread> helping;
    for (std::unique_ptr<Worker>& helper : helpers) helping.emplace_back([&helper, root] { helper->iterate(root, nullptr); });
    const MoveInfo best = main.iterate(root, ponder);
    finished = true;
    for (std::thread& t : helping) t.join();
    nodes = nodesSearched();
    workers.clear();
    return best;
}

int64_t Search::nodesSearched() const {
    if (workers.empty()) return nodes;
    int64_t sum = 0;
    for (const Worker* w : workers) sum += w->nodes.load(std::memory_order_relaxed);
    return sum;
}

}  // namespace deep
