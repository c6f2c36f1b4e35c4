// Deterministic generator and periodic value noise (see noise.h).
#include "common/noise.h"

#include <cmath>

uint64_t Rng::next() {
    // splitmix64
    uint64_t z = (s += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

float Rng::uniform() {
    return float(next() >> 40) / float(1u << 24);
}

int Rng::below(int n) {
    return n <= 0 ? 0 : int((next() >> 33) % uint64_t(n));
}

float lattice(int x, int y, uint32_t seed) {
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    h *= 0x27D4EB2Du;
    h ^= h >> 16;
    return float(h >> 8) / float(1u << 24);
}

static float fade(float t) {
    return t * t * t * (t * (t * 6.f - 15.f) + 10.f);
}

float value_noise(float x, float y, int period, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int ix = int(fx), iy = int(fy);
    float tx = fade(x - fx), ty = fade(y - fy);
    auto at = [&](int a, int b) {
        if (period > 0) {
            a = ((a % period) + period) % period;
            b = ((b % period) + period) % period;
        }
        return lattice(a, b, seed);
    };
    float v00 = at(ix, iy), v10 = at(ix + 1, iy), v01 = at(ix, iy + 1), v11 = at(ix + 1, iy + 1);
    float a = v00 + (v10 - v00) * tx, b = v01 + (v11 - v01) * tx;
    return a + (b - a) * ty;
}

float fbm(float x, float y, int period, int octaves, float gain, uint32_t seed) {
    float sum = 0, amp = 1, norm = 0;
    for (int o = 0; o < octaves; ++o) {
        sum += value_noise(x, y, period, seed + uint32_t(o) * 101u) * amp;
        norm += amp;
        amp *= gain;
        x *= 2;
        y *= 2;
        if (period > 0) period *= 2;
    }
    return sum / norm;
}
