// The show's one pseudo-random generator: 15-bit values 0..32767, the same
// sequence on every platform (a 32-bit linear congruential step, high bits
// taken). Never use the C library's rand(), whose range and sequence differ
// between systems.
//
//   vorn::srand(seed)   restarts the shared sequence; the seed before any
//                       call is 1.
//   vorn::rand()        next value of the shared sequence, 0..32767.
//   vorn::rand_calls()  how many values were drawn since start (for tests).
//
// A loop that draws one value per pixel or per corner runs a RandStream of
// its own instead of calling rand(): rand_take() gives the shared sequence's
// position, the loop (or each band of it, from take().skipped(first)) draws
// with next(), and rand_give_back(stream) makes the shared sequence continue
// where the stream stands, so every later rand() gives what it would have
// given after as many single calls.
#pragma once
#include <cstdint>

namespace vorn {
constexpr int kRandMax = 32767;
constexpr uint32_t kRandMultiplier = 214013u;
constexpr uint32_t kRandIncrement = 2531011u;

// One step of the generator on a 32-bit state, and the value that step gives.
inline int rand_step(uint32_t& state) {
    state = state * kRandMultiplier + kRandIncrement;
    return static_cast<int>((state >> 16) & 0x7FFFu);
}

// A position in the sequence that a loop steps by itself.
class RandStream {
  public:
    explicit RandStream(uint32_t state, uint64_t drawn = 0) : state_(state), drawn_(drawn) {}
    int next() {
        ++drawn_;
        return rand_step(state_);
    }
    // The same stream n values on, at the cost of about log2(n) steps.
    RandStream skipped(uint64_t n) const;
    uint32_t state() const { return state_; }
    // Values drawn since the stream was taken.
    uint64_t drawn() const { return drawn_; }

  private:
    uint32_t state_;
    uint64_t drawn_;
};

void srand(uint32_t seed);
int rand();
uint64_t rand_calls();
RandStream rand_take();
void rand_give_back(const RandStream& stream);
} // namespace vorn
