// Sample synthesis for the soundtrack: a small deterministic noise source,
// simple filters and the instrument sounds themselves.
//
// Every sound comes back as floats in -1..1 at a stated rate (Hz). Tonal
// sounds are built from whole cycles of `kCycle` frames so that they loop
// without a click; their pitch is "C" and the instrument's tuning makes that
// cycle sound at C-4 (261.63 Hz) when played at note C-4.
#pragma once
#include <cstdint>
#include <vector>

namespace music {

// xorshift32: the same sequence everywhere, independent of the C library.
struct Noise {
    uint32_t state;
    explicit Noise(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
    uint32_t next_u32() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
    // Uniform in -1..1.
    float next() { return float(int32_t(next_u32())) / 2147483648.0f; }
};

struct Sound {
    std::vector<float> frames;
    double rate = 44100.0;   // Hz at which the frames sound at C-4
    uint32_t loop_start = 0; // frames; loop_length 0 = no loop
    uint32_t loop_length = 0;
};

constexpr double kC4 = 261.6255653;

Sound make_kick();
Sound make_snare();
Sound make_closed_hat();
Sound make_open_hat();
Sound make_crash();
Sound make_bass();
Sound make_pad();
Sound make_lead();
Sound make_chip();
Sound make_bell();
// A reversed cymbal: noise swelling for `seconds`, ending at full level.
Sound make_swell(double seconds);

// Scales a sound so that its largest magnitude is `peak` and converts it to
// 16-bit frames (rounded to nearest).
std::vector<int16_t> to_pcm16(const std::vector<float>& frames, double peak);

} // namespace music
