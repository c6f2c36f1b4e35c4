// The instrument sounds, synthesised from sines and noise (see synth.h).
// Times in seconds, frequencies in Hz, amplitudes -1..1 before scaling.
#include "music/synth.h"

#include <algorithm>
#include <cmath>

namespace music {
namespace {

constexpr double kTwoPi = 6.283185307179586;
constexpr double kRate = 44100.0;
constexpr int kCycle = 256; // frames per cycle of the tonal one-cycle sounds

// One-pole low-pass; cutoff in Hz.
struct LowPass {
    double a, y = 0.0;
    LowPass(double cutoff, double rate) : a(1.0 - std::exp(-kTwoPi * cutoff / rate)) {}
    double operator()(double x) { return y += a * (x - y); }
};

// One-pole high-pass: the input minus its low-passed self.
struct HighPass {
    LowPass lp;
    HighPass(double cutoff, double rate) : lp(cutoff, rate) {}
    double operator()(double x) { return x - lp(x); }
};

size_t frames_for(double seconds) {
    return size_t(seconds * kRate);
}

// One cycle of `length` frames holding harmonics 1..amps.size() with the
// given amplitudes and phases (radians).
void add_cycles(std::vector<float>& out, size_t at, int length, int cycles,
                const std::vector<double>& amps, const std::vector<double>& phases) {
    for (size_t k = 0; k < amps.size(); ++k) {
        if (amps[k] == 0.0) continue;
        double step = kTwoPi * double(k + 1) * cycles / length;
        for (int i = 0; i < length; ++i)
            out[at + i] += float(amps[k] * std::sin(step * i + phases[k]));
    }
}

// Harmonic amplitudes of a band-limited sawtooth-like wave whose partials
// above `cutoff` fall away steeply; `odd_weight`/`even_weight` shape it
// between a square (even 0) and a saw (both 1).
std::vector<double> harmonics(int count, double cutoff, double odd_weight, double even_weight) {
    std::vector<double> a(count);
    for (int k = 1; k <= count; ++k) {
        double r = k / cutoff;
        a[k - 1] = ((k & 1) ? odd_weight : even_weight) / k / std::sqrt(1.0 + r * r * r * r);
    }
    return a;
}

// Lets the last `seconds` of a sound fall linearly to silence, so that a
// one-shot sample never ends on a step.
void fade_out(std::vector<float>& frames, double seconds) {
    size_t n = std::min(frames.size(), frames_for(seconds));
    for (size_t i = 0; i < n; ++i)
        frames[frames.size() - 1 - i] *= float(double(i) / double(n));
}

// Metallic tone of six detuned square waves (the classic drum-machine cymbal).
double metal(double t) {
    static const double freqs[6] = {205.3, 304.4, 369.6, 522.7, 540.0, 800.0};
    double s = 0.0;
    for (double f : freqs)
        s += std::sin(kTwoPi * f * 2.0 * t) >= 0.0 ? 1.0 : -1.0;
    return s / 6.0;
}

Sound cymbal(double seconds, double decay, double cutoff, uint32_t seed, double noise_mix) {
    Sound s;
    s.frames.resize(frames_for(seconds));
    Noise n(seed);
    HighPass h1(cutoff, kRate), h2(cutoff, kRate);
    LowPass top(15000.0, kRate);
    for (size_t i = 0; i < s.frames.size(); ++i) {
        double t = i / kRate;
        double x = (1.0 - noise_mix) * metal(t) + noise_mix * n.next();
        double env = std::exp(-t / decay) * std::min(1.0, t / 0.0008);
        s.frames[i] = float(top(h2(h1(x))) * env);
    }
    fade_out(s.frames, 0.02);
    return s;
}

} // namespace

Sound make_kick() {
    Sound s;
    s.frames.resize(frames_for(0.42));
    Noise n(11);
    LowPass click_lp(5000.0, kRate);
    double phase = 0.0;
    for (size_t i = 0; i < s.frames.size(); ++i) {
        double t = i / kRate;
        double f = 46.0 + 125.0 * std::exp(-t / 0.028) + 30.0 * std::exp(-t / 0.12);
        phase += kTwoPi * f / kRate;
        double body = std::sin(phase) * std::exp(-t / 0.16) * std::min(1.0, t / 0.0015);
        double click = click_lp(n.next()) * std::exp(-t / 0.003) * 0.6;
        double tail = t > 0.36 ? (0.42 - t) / 0.06 : 1.0; // end at silence
        s.frames[i] = float(std::tanh(1.8 * (body + click)) / std::tanh(1.8) * tail);
    }
    return s;
}

Sound make_snare() {
    Sound s;
    s.frames.resize(frames_for(0.34));
    Noise n(23);
    HighPass hp(900.0, kRate);
    LowPass lp(9000.0, kRate);
    for (size_t i = 0; i < s.frames.size(); ++i) {
        double t = i / kRate;
        double tone = 0.55 * std::sin(kTwoPi * 186.0 * t) * std::exp(-t / 0.045) +
                      0.3 * std::sin(kTwoPi * 331.0 * t) * std::exp(-t / 0.03);
        double noise = lp(hp(n.next())) * std::exp(-t / 0.085) * 1.1;
        double env = std::min(1.0, t / 0.001);
        s.frames[i] = float(std::tanh(1.4 * (tone + noise) * env));
    }
    fade_out(s.frames, 0.03);
    return s;
}

Sound make_closed_hat() {
    return cymbal(0.11, 0.022, 7000.0, 37, 0.55);
}
Sound make_open_hat() {
    return cymbal(0.6, 0.16, 6500.0, 41, 0.5);
}
Sound make_crash() {
    return cymbal(2.6, 0.65, 3500.0, 53, 0.7);
}

Sound make_bass() {
    // A plucked, filtered saw with a sub: 48 cycles whose brightness falls,
    // then the last cycle loops.
    const int attack = 48;
    Sound s;
    s.rate = kC4 * kCycle;
    s.frames.assign(size_t(attack + 1) * kCycle, 0.0f);
    std::vector<double> zero(24, 0.0);
    for (int c = 0; c <= attack; ++c) {
        double bright = std::pow(1.0 - double(c) / attack, 2.0);
        std::vector<double> a = harmonics(24, 2.5 + 14.0 * bright, 1.0, 0.8);
        a[0] += 0.7; // sub weight on the fundamental
        add_cycles(s.frames, size_t(c) * kCycle, kCycle, 1, a, zero);
    }
    s.loop_start = uint32_t(attack) * kCycle;
    s.loop_length = kCycle;
    return s;
}

Sound make_pad() {
    // Five detuned saw voices and a soft octave, over a loop of 128 cycles:
    // every voice runs a whole number of cycles in the loop, so it is seamless.
    const int base = 128, frames_per_cycle = 128;
    const int length = base * frames_per_cycle;
    Sound s;
    s.rate = kC4 * frames_per_cycle;
    s.frames.assign(length, 0.0f);
    Noise n(71);
    const int voices[6] = {126, 127, 128, 129, 130, 256};
    const double weights[6] = {0.55, 0.8, 1.0, 0.8, 0.55, 0.25};
    for (int v = 0; v < 6; ++v) {
        std::vector<double> a = harmonics(v == 5 ? 8 : 18, v == 5 ? 3.0 : 6.0, 1.0, 0.9);
        std::vector<double> ph(a.size());
        for (double& p : ph)
            p = (n.next() + 1.0) * 3.141592653589793;
        for (double& x : a)
            x *= weights[v];
        add_cycles(s.frames, 0, length, voices[v], a, ph);
    }
    s.loop_start = 0;
    s.loop_length = uint32_t(length);
    return s;
}

Sound make_lead() {
    // A hollow pulse-saw pair, one voice detuned by one cycle in 128, with a
    // brighter first half second; the last 128 cycles loop.
    const int frames_per_cycle = 128, base = 128;
    const int loop_frames = base * frames_per_cycle;
    const int attack_cycles = 32;
    Sound s;
    s.rate = kC4 * frames_per_cycle;
    s.frames.assign(size_t(attack_cycles) * frames_per_cycle + loop_frames, 0.0f);
    std::vector<double> ph0(16, 0.0), ph1(16, 0.0);
    for (int c = 0; c < attack_cycles; ++c) {
        double bright = 1.0 - double(c) / attack_cycles;
        std::vector<double> a = harmonics(16, 8.0 + 8.0 * bright, 1.0, 0.4);
        add_cycles(s.frames, size_t(c) * frames_per_cycle, frames_per_cycle, 1, a, ph0);
    }
    // The loop: voice 1 continues the attack's phase; voice 2 fades in with
    // a whole number of cycles, so the loop start and end still meet.
    std::vector<double> a = harmonics(16, 8.0, 1.0, 0.4);
    size_t at = size_t(attack_cycles) * frames_per_cycle;
    add_cycles(s.frames, at, loop_frames, base, a, ph0);
    std::vector<float> second(loop_frames, 0.0f);
    std::vector<double> a2 = harmonics(16, 8.0, 0.5, 0.9);
    add_cycles(second, 0, loop_frames, base + 1, a2, ph1);
    for (int i = 0; i < loop_frames; ++i)
        s.frames[at + i] += 0.7f * second[i];
    s.loop_start = uint32_t(at);
    s.loop_length = uint32_t(loop_frames);
    return s;
}

Sound make_chip() {
    // A raw 25% pulse, one 64-frame cycle: the sound of old sound chips.
    const int frames_per_cycle = 64;
    Sound s;
    s.rate = kC4 * frames_per_cycle;
    s.frames.resize(frames_per_cycle);
    for (int i = 0; i < frames_per_cycle; ++i)
        s.frames[i] = i < frames_per_cycle / 4 ? 0.75f : -0.25f;
    s.loop_start = 0;
    s.loop_length = frames_per_cycle;
    return s;
}

Sound make_bell() {
    // Two-operator FM with an inharmonic modulator: a glassy bell at C-4.
    Sound s;
    s.frames.resize(frames_for(2.2));
    for (size_t i = 0; i < s.frames.size(); ++i) {
        double t = i / kRate;
        double index = 2.2 * std::exp(-t / 0.35);
        double mod = std::sin(kTwoPi * kC4 * 3.5 * t);
        double car = std::sin(kTwoPi * kC4 * t + index * mod);
        double shimmer = 0.25 * std::sin(kTwoPi * kC4 * 2.0 * t) * std::exp(-t / 0.25);
        double env = std::exp(-t / 0.7) * std::min(1.0, t / 0.002);
        double tail = t > 2.0 ? (2.2 - t) / 0.2 : 1.0;
        s.frames[i] = float((car + shimmer) * env * tail);
    }
    return s;
}

Sound make_swell(double seconds) {
    Sound s = cymbal(seconds, 0.65, 3000.0, 67, 0.75);
    std::reverse(s.frames.begin(), s.frames.end());
    // the reversed attack would end in a click: let the last 4 ms fall away
    size_t n = s.frames.size(), ramp = frames_for(0.004);
    for (size_t i = 0; i < ramp; ++i)
        s.frames[n - 1 - i] *= float(i) / float(ramp);
    return s;
}

std::vector<int16_t> to_pcm16(const std::vector<float>& frames, double peak) {
    double top = 0.0;
    for (float f : frames)
        top = std::max(top, double(std::fabs(f)));
    double gain = top > 0.0 ? peak * 32767.0 / top : 0.0;
    std::vector<int16_t> out(frames.size());
    for (size_t i = 0; i < frames.size(); ++i)
        out[i] = int16_t(std::lround(frames[i] * gain));
    return out;
}

} // namespace music
