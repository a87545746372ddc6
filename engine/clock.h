// The clock both engines time themselves by: milliseconds from a fixed point, never going back.
#pragma once

#include <cstdint>

int64_t millisecondClock();
