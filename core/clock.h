// The show's clock: a monotonic wall clock in whole milliseconds since the
// process started (processor time would stall the show while it waits).
#pragma once
#include <cstdint>

int64_t clock_ms();
