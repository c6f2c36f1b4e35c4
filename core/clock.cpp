// Monotonic millisecond clock counted from the first call in the process.
#include "core/clock.h"

#include <chrono>

int64_t clock_ms() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}
