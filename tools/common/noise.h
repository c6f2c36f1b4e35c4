// Deterministic randomness for the asset generator: a 64-bit generator whose
// output depends only on its seed, and periodic value noise (so that tiling
// pictures join seamlessly). Noise coordinates are in lattice cells.
#pragma once
#include <cstdint>

struct Rng {
    uint64_t s;
    explicit Rng(uint64_t seed) : s(seed) {}
    uint64_t next();
    // Uniform in [0, 1).
    float uniform();
    // Uniform in [lo, hi).
    float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }
    // Integer in [0, n).
    int below(int n);
};

// Hash of lattice point (x, y) under `seed`, uniform in [0, 1).
float lattice(int x, int y, uint32_t seed);
// Smooth value noise in 0..1, repeating every `period` cells in x and y
// (period <= 0: no repetition).
float value_noise(float x, float y, int period, uint32_t seed);
// Fractal sum of `octaves` noise layers, each twice the frequency and
// `gain` times the amplitude of the one before; result roughly 0..1.
float fbm(float x, float y, int period, int octaves, float gain, uint32_t seed);
