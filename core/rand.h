// The show's one pseudo-random generator: 15-bit values 0..32767, the same
// sequence on every platform (a 32-bit linear congruential step, high bits
// taken). Never use the C library's rand(), whose range and sequence differ
// between systems.
//
//   vorn::srand(seed)  restarts the sequence; the seed before any call is 1.
//   vorn::rand()       next value, 0..32767.
//   vorn::rand_calls() how many values were drawn since start (for tests).
//
// A loop that draws one value per pixel may run the generator itself, several
// steps at a time: it reads rand_state(), steps it with the two constants
// below (value = (state >> 16) & 0x7FFF after each step) and hands back the
// state after its last step with rand_resume(), so every later rand() gives
// what it would have given after as many single calls. rand_skip(state, n)
// gives the state n steps on at once, so that several loops can each start
// where the one before them would have ended.
#pragma once
#include <cstdint>

namespace vorn {
constexpr int kRandMax = 32767;
constexpr uint32_t kRandMultiplier = 214013u;
constexpr uint32_t kRandIncrement = 2531011u;
// One step of the generator on a state the caller keeps, and the value that
// step gives: what rand() does to its own state.
inline int rand_step(uint32_t& state) {
    state = state * kRandMultiplier + kRandIncrement;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}
void srand(uint32_t seed);
int rand();
uint64_t rand_calls();
uint32_t rand_state();
void rand_resume(uint32_t state, uint64_t values_drawn);
uint32_t rand_skip(uint32_t state, uint64_t steps);
} // namespace vorn
