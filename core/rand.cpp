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
    return rand_step(g_seed);
}

uint64_t rand_calls() {
    return g_calls;
}

uint32_t rand_state() {
    return g_seed;
}

uint32_t rand_skip(uint32_t state, uint64_t steps) {
    // n steps are one step x -> a x + c with a and c built from the
    // single-step constants by squaring: two steps of (a, c) are one step of
    // (a a, a c + c). All modulo 2^32.
    uint32_t a = 1, c = 0;
    uint32_t step_a = kRandMultiplier, step_c = kRandIncrement;
    for (; steps != 0; steps >>= 1) {
        if (steps & 1) {
            a *= step_a;
            c = c * step_a + step_c;
        }
        step_c = (step_a + 1) * step_c;
        step_a *= step_a;
    }
    return a * state + c;
}

void rand_resume(uint32_t state, uint64_t values_drawn) {
    g_seed = state;
    g_calls += values_drawn;
}
} // namespace vorn
