// The show's clock: a monotonic wall clock in whole milliseconds since the
// process started (processor time would stall the show while it waits).
#pragma once
#include <cstdint>

int64_t clock_ms();

// The same monotonic clock in microseconds since its own epoch, for frame
// pacing and audio timing, and a sleep until such a time.
int64_t clock_us();
void sleep_until_us(int64_t t);
