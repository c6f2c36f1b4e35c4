// Scene 3: sprite object over noise (see scene3.h).
#include "scenes/scene3.h"

#include <cmath>
#include <cstdlib>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/angles.h"
#include "core/bands.h"
#include "core/pixels4.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "render/draw.h"

Scene3 scene3;

namespace {

// One rand() per pixel, in memory order: grey g = rand() % 40 in red, green
// and blue. The vector loop runs eight generators side by side, generator k
// on the values 8n + k: eight single steps make one step with multiplier A^8
// and increment C (A^7 + ... + A + 1), mod 2^32. A state is kept as two
// 16-bit halves, so eight of them fit one register pair and a step is a few
// 16-bit products (see step_states). The remainder by 40 is a multiply:
// for values below 32768, v / 40 = (v * kFortiethReciprocal) >> 21 exactly.
constexpr int kGenerators = 8;
constexpr uint32_t kNoiseGreys = 40; // g = rand() % 40
// ceil(2^21 / 40): 2^21 / 40 = 52428.8, so the error per unit of v is 0.2 /
// 2^21 and stays below 1/40 of a step for every v < 2^15 (the rand's range).
constexpr uint32_t kFortiethShift = 21;
constexpr uint32_t kFortiethReciprocal = ((1u << kFortiethShift) + kNoiseGreys - 1) / kNoiseGreys;
static_assert(kFortiethReciprocal == 52429u);

// Multiplier and increment of n single steps of the shared generator.
struct Steps {
    uint32_t multiplier, increment;
};
constexpr Steps steps(int n) {
    Steps s{1, 0};
    for (int i = 0; i < n; ++i)
        s = {s.multiplier * vorn::kRandMultiplier,
             s.increment * vorn::kRandMultiplier + vorn::kRandIncrement};
    return s;
}

// Eight generator states, bits 0..15 in `low` and 16..31 in `high`.
struct States8 {
    px4::Channels8 low, high;
};

// s * m + i mod 2^32 with s = high:low, m = m1:m0 and i = i1:i0 in halves:
//   low'  = (low * m0 + i0) mod 2^16
//   high' = (high of low * m0) + high * m0 + low * m1 + i1 + carry of low'
States8 step_states(States8 s, Steps by) {
    using namespace px4;
    const Channels8 m0 = splat16(static_cast<uint16_t>(by.multiplier));
    const Channels8 m1 = splat16(static_cast<uint16_t>(by.multiplier >> 16));
    const Channels8 i0 = splat16(static_cast<uint16_t>(by.increment));
    const Channels8 i1 = splat16(static_cast<uint16_t>(by.increment >> 16));
    const Channels8 low = s.low * m0 + i0;
    const Channels8 carry = is_below(low, i0); // all ones (-1) where the add wrapped
    const Channels8 high = mul16_high(s.low, m0) + s.high * m0 + s.low * m1 + i1 - carry;
    return {low, high};
}

// Greys of eight generator states, stored as eight pixels.
void store_noise(uint32_t* out, States8 s) {
    using namespace px4;
    const Channels8 value = s.high & splat16(0x7FFFu);
    // The high half of the product is (v * r) >> 16; five more bits make 21.
    const Channels8 fortieths = shift_right16<kFortiethShift - 16>(
        mul16_high(value, splat16(static_cast<uint16_t>(kFortiethReciprocal))));
    const Channels8 g = value - fortieths * splat16(kNoiseGreys);
    const Channels8 gg = g * splat16(0x0101u); // grey in both bytes
    store(out, interleave_low(gg, g));
    store(out + 4, interleave_high(gg, g));
}

// Pixels first .. end - 1 of the noise; `stream` stands where pixel first's
// value is drawn.
void noise_pixels(uint32_t* frame, vorn::RandStream stream, int32_t first, int32_t end) {
    constexpr Steps all = steps(kGenerators);
    uint16_t low[kGenerators], high[kGenerators];
    vorn::RandStream lane = stream;
    for (int k = 0; k < kGenerators; ++k) {
        lane.next(); // lane k starts k + 1 steps on
        low[k] = static_cast<uint16_t>(lane.state());
        high[k] = static_cast<uint16_t>(lane.state() >> 16);
    }
    States8 states{px4::load16(low), px4::load16(high)};
    int32_t p = first;
    for (; p + kGenerators <= end; p += kGenerators) {
        store_noise(frame + p, states);
        states = step_states(states, all);
    }
    // The last few one at a time, the plain form of the arithmetic above.
    vorn::RandStream rest = stream.skipped(static_cast<uint64_t>(p - first));
    for (; p < end; ++p) {
        const uint32_t g = static_cast<uint32_t>(rest.next()) % kNoiseLevels;
        frame[p] = g * 0x00010101u;
    }
}

void draw_noise(uint32_t* frame) {
    static_assert(kNoiseLevels == 40, "the division in store_noise is by 40");
    // Each band starts the generator where the rows above it leave it.
    const vorn::RandStream start = vorn::rand_take();
    for_each_band([start, frame](const Band& band) {
        const int32_t first = band.first_pixel();
        noise_pixels(frame, start.skipped(static_cast<uint64_t>(first)), first, band.end_pixel());
    });
    vorn::rand_give_back(start.skipped(kFramePixels));
}

} // namespace

void scene3_setup() {
    Scene3& s = scene3;
    s.sprite = load_picture("part2.pcx", 256, 256);
    s.object = load_object("2plan.lwo", 80.0, ObjectParts::points);
    s.flash = Flash{Fade::Slow};
    s.sprites = SpriteBatch(s.sprite);
}

void scene3_render(uint32_t* frame) {
    Scene3& s = scene3;
    const int32_t t = tick_counter;

    draw_noise(frame);

    flash_on_cue(s.flash, frame, t);

    const double a = t * kPi / 180.0;
    s.angles[0] = 0.2 * std::sin(0.01 * t);
    s.angles[1] = -1.1 * a;
    s.angles[2] = 0.2 * std::cos(0.007 * t);
    set_orientation(s.object, rotation_matrix(s.angles[0], s.angles[1], s.angles[2]));
    if (!s.sprites.draws(s.sprite)) s.sprites = SpriteBatch(s.sprite);
    draw_vertex_sprites(frame, s.object, s.sprites, 160, 120, 1.0, 32);
}

// Frees the sprite; the object stays until the process ends.
void scene3_release() {
    std::free(scene3.sprite.pixels);
    scene3.sprite = Image{};
    scene3.sprites = SpriteBatch{};
}
