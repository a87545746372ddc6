#include "random.h"

#include <random>

namespace {
std::minstd_rand generator;
}

int32_t nextRandom() { return static_cast<int32_t>(generator()); }

void restartRandom() { generator.seed(); }
