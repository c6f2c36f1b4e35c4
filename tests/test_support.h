// What tests of several folders share: a frame between guard pixels, a
// seeded number source of the tests' own, a whole-frame checksum, and the
// per-channel saturating add written out byte by byte.
#pragma once
#include <algorithm>
#include <cstdint>
#include <vector>

#include "core/screen.h"

// A 320 x 240 frame with guard pixels before and after it, to catch writes
// outside the frame.
struct GuardedFrame {
    static constexpr int kGuard = 4096;
    static constexpr uint32_t kGuardValue = 0xA5C3E1F0u;
    std::vector<uint32_t> store = std::vector<uint32_t>(kFramePixels + 2 * kGuard, kGuardValue);

    explicit GuardedFrame(uint32_t value = 0) { fill(value); }
    uint32_t* data() { return store.data() + kGuard; }
    uint32_t& at(int32_t x, int32_t y) { return data()[y * kFrameWidth + x]; }
    void fill(uint32_t value) { std::fill(data(), data() + kFramePixels, value); }
    bool guards_intact() const {
        for (int i = 0; i < kGuard; ++i)
            if (store[i] != kGuardValue || store[kGuard + kFramePixels + i] != kGuardValue)
                return false;
        return true;
    }
    int count_not(uint32_t value) {
        int n = 0;
        for (int i = 0; i < kFramePixels; ++i)
            n += data()[i] != value;
        return n;
    }
};

// Numbers from a seeded 64-bit linear congruential generator: the tests'
// own choices, never the show's generator.
struct TestRandom {
    uint64_t state;
    explicit TestRandom(uint64_t seed) : state(seed) {}
    uint32_t next() {
        state = state * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<uint32_t>(state >> 32);
    }
    int32_t between(int32_t lo, int32_t hi) { // inclusive
        return static_cast<int32_t>(lo + static_cast<int64_t>(next() % (uint64_t(hi) - lo + 1)));
    }
    double real(double lo, double hi) { return lo + (hi - lo) * (next() / 4294967296.0); }
};

// A 32-bit checksum of a whole frame (64-bit FNV-1a over the pixels, top
// half), for pinning frames whose every pixel matters.
inline uint32_t frame_checksum(const uint32_t* frame) {
    uint64_t h = 14695981039346656037ull;
    for (int32_t p = 0; p < kFramePixels; ++p) {
        h ^= frame[p];
        h *= 1099511628211ull;
    }
    return static_cast<uint32_t>(h >> 32);
}

// a + b channel by channel, each limited to 255, written out byte by byte;
// the top byte is a's.
inline uint32_t add_reference(uint32_t a, uint32_t b) {
    uint32_t out = a & 0xFF000000u;
    for (int shift = 0; shift <= 16; shift += 8) {
        const uint32_t sum = ((a >> shift) & 0xFF) + ((b >> shift) & 0xFF);
        out |= (sum > 255 ? 255 : sum) << shift;
    }
    return out;
}
