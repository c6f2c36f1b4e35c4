// Monotonic clock: milliseconds counted from the first call in the process,
// and microseconds since the clock's epoch.
#include "core/clock.h"

#include <chrono>
#include <thread>

int64_t clock_ms() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return duration_cast<milliseconds>(steady_clock::now() - start).count();
}

int64_t clock_us() {
    using namespace std::chrono;
    return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

void sleep_until_us(int64_t t) {
    using namespace std::chrono;
    std::this_thread::sleep_until(steady_clock::time_point(microseconds(t)));
}
