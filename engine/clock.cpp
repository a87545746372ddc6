#include "clock.h"

#include <chrono>

int64_t millisecondClock() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
