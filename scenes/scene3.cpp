// Scene 3: sprite object over noise (see scene3.h).
#include "scenes/scene3.h"

#include <cmath>
#include <cstdlib>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/angles.h"
#include "core/rand.h"
#include "core/screen.h"
#include "core/sync.h"
#include "render/draw.h"
#include "scenes/cues.h"

Scene3 scene3;

namespace {

// One rand() per pixel, in memory order: grey g in red, green and blue.
void draw_noise(uint32_t* frame) {
    for (int32_t p = 0; p < kFramePixels; ++p) {
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
