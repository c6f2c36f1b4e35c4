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

RandStream rand_take() {
    return RandStream(g_seed);
}

void rand_give_back(const RandStream& stream) {
    g_seed = stream.state();
    g_calls += stream.drawn();
}

RandStream RandStream::skipped(uint64_t n) const {
    // n steps are one step x -> a x + c with a and c built from the
    // single-step constants by squaring: two steps of (a, c) are one step of
    // (a a, a c + c). All modulo 2^32.
    uint32_t a = 1, c = 0;
    uint32_t step_a = kRandMultiplier, step_c = kRandIncrement;
    for (uint64_t steps = n; steps != 0; steps >>= 1) {
        if (steps & 1) {
            a *= step_a;
            c = c * step_a + step_c;
        }
        step_c = (step_a + 1) * step_c;
        step_a *= step_a;
    }
    return RandStream(a * state_ + c, drawn_ + n);
}
} // namespace vorn
