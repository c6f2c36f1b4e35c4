// The show's one pseudo-random generator: 15-bit values 0..32767, the same
// sequence on every platform (a 32-bit linear congruential step, high bits
// taken). Never use the C library's rand(), whose range and sequence differ
// between systems.
//
//   vorn::srand(seed)  restarts the sequence; the seed before any call is 1.
//   vorn::rand()       next value, 0..32767.
//   vorn::rand_calls() how many values were drawn since start (for tests).
#pragma once
#include <cstdint>

namespace vorn {
constexpr int kRandMax = 32767;
void srand(uint32_t seed);
int rand();
uint64_t rand_calls();
} // namespace vorn
