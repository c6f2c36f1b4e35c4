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
// and blue. The vector loop runs four generators side by side, lane k on the
// values 4n + k: four single steps make one step with multiplier A^4 and
// increment C (A^3 + A^2 + A + 1), mod 2^32. For values below 32768,
// v % 40 = v - 40 * ((v * 52429) >> 21) exactly; value, quotient and
// remainder all fit the low 16 bits of a lane.
void draw_noise(uint32_t* frame) {
    static_assert(kNoiseLevels == 40, "the division below is by 40");
    constexpr uint32_t a = vorn::kRandMultiplier, c = vorn::kRandIncrement;
    constexpr uint32_t a4 = a * a * a * a;
    constexpr uint32_t c4 = c * (a * a * a + a * a + a + 1u);
    uint32_t state = vorn::rand_state();
    int32_t p = 0;
    {
        using namespace px4;
        const uint32_t s1 = state * a + c, s2 = s1 * a + c, s3 = s2 * a + c, s4 = s3 * a + c;
        Pixels4 states = gather(s1, s2, s3, s4), drawn = states;
        for (; p + 4 <= kFramePixels; p += 4) {
            const Pixels4 value = shift_right32<16>(states) & splat(0x7FFFu);
            const Pixels4 fortieths = shift_right32<5>(mul16_high(value, splat(52429u)));
            const Pixels4 g = sub32(value, mul16_low(fortieths, splat(40u)));
            store(frame + p, mul16_low(g, splat(0x0101u)) | shift_left32<16>(g));
            drawn = states;
            states = add32(mul32(states, splat(a4)), splat(c4));
        }
        if (p > 0) state = lane(drawn, 3);
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
