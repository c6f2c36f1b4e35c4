// The show's 15-bit pseudo-random generator (see rand.h).
#include "core/rand.h"

namespace {
uint32_t g_seed = 1;
uint64_t g_calls = 0;
} // namespace

namespace vorn {
void srand(uint32_t seed) {
    g_seed = seed;
}

int rand() {
    ++g_calls;
    g_seed = g_seed * kRandMultiplier + kRandIncrement;
    return static_cast<int>((g_seed >> 16) & 0x7fffu);
}

uint64_t rand_calls() {
    return g_calls;
}

uint32_t rand_state() {
    return g_seed;
}

void rand_resume(uint32_t state, uint64_t values_drawn) {
    g_seed = state;
    g_calls += values_drawn;
}
} // namespace vorn
