// The process-wide pseudo-random sequence: the values of a default-seeded minstd_rand, the same
// on every platform and build, so that every run plays the same games.
#pragma once

#include <cstdint>

// The next value of the sequence (1 to 2^31 - 2).
int32_t nextRandom();
// Starts the sequence again from its first value (for tests and tools that need a fresh run).
void restartRandom();
