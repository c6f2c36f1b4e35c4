// Scene 3: sprite object over noise (see scene3.h).
#include "scenes/scene3.h"

#include <cmath>
#include <cstdlib>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/angles.h"
#include "core/pixels4.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "render/draw.h"
#include "scenes/cues.h"

Scene3 scene3;

namespace {

// One rand() per pixel, in memory order: grey g = rand() % 40 in red, green
// and blue. The vector loop runs sixteen generators side by side, four lanes
// of four chains, generator k on the values 16n + k: sixteen single steps
// make one step with multiplier A^16 and increment
// C (A^15 + ... + A + 1), mod 2^32, and the four chains step independently.
// For values below 32768, v % 40 = v - 40 * ((v * 52429) >> 21) exactly;
// value, quotient and remainder all fit the low 16 bits of a lane.
constexpr int kChains = 4;
constexpr int kGenerators = 4 * kChains;

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

// Greys of four generator states, as pixels.
px4::Pixels4 noise_pixels(px4::Pixels4 states) {
    using namespace px4;
    const Pixels4 value = shift_right32<16>(states) & splat(0x7FFFu);
    const Pixels4 fortieths = shift_right32<5>(mul16_high(value, splat(52429u)));
    const Pixels4 g = sub32(value, mul16_low(fortieths, splat(40u)));
    return mul16_low(g, splat(0x0101u)) | shift_left32<16>(g);
}

void draw_noise(uint32_t* frame) {
    static_assert(kNoiseLevels == 40, "the division below is by 40");
    constexpr Steps one = steps(1), all = steps(kGenerators);
    uint32_t state = vorn::rand_state();
    int32_t p = 0;
    {
        using namespace px4;
        uint32_t first[kGenerators];
        for (uint32_t& s : first)
            s = state = state * one.multiplier + one.increment;
        Pixels4 chains[kChains];
        for (int k = 0; k < kChains; ++k)
            chains[k] = load(first + 4 * k);
        Pixels4 drawn = chains[kChains - 1];
        for (; p + kGenerators <= kFramePixels; p += kGenerators) {
            for (int k = 0; k < kChains; ++k)
                store(frame + p + 4 * k, noise_pixels(chains[k]));
            drawn = chains[kChains - 1];
            for (Pixels4& c : chains)
                c = add32(mul32(c, splat(all.multiplier)), splat(all.increment));
        }
        state = p > 0 ? lane(drawn, 3) : vorn::rand_state();
    }
    vorn::rand_resume(state, static_cast<uint64_t>(p));
    for (; p < kFramePixels; ++p) {
        const uint32_t g = static_cast<uint32_t>(vorn::rand() % kNoiseLevels);
        frame[p] = g * 0x00010101u;
    }
}

} // namespace

void scene3_setup() {
    Scene3& s = scene3;
    s.sprite = load_picture("part2.pcx", 256, 256);
    s.object = load_object("2plan.lwo", 80.0, 0);
    s.flash = Flash{Fade::Slow};
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
    draw_vertex_sprites(frame, s.object, s.sprite, 160, 120, 1.0, 32);
}

void scene3_release() {
    std::free(scene3.sprite.pixels);
    scene3.sprite = Image{};
}
