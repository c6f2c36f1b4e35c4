// Scene 4: rotating texture and solid object (see scene4.h).
#include "scenes/scene4.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/angles.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "effects/rotating_fill.h"
#include "render/depth.h"
#include "render/draw.h"
#include "render/truncate.h"

Scene4 scene4;

void scene4_setup() {
    Scene4& s = scene4;
    s.texture = load_picture("envmap.pcx", 256, 256);
    s.object = load_object("knas.lwo", 50.0, ObjectParts::points_and_polygons);
    for (int32_t f = 0; f < s.object.face_count; ++f)
        s.object.faces[f].material->fill_kind = FillKind::depth_tested;
    s.flash = Flash{Fade::Slow};

    std::free(depth_buffer);
    depth_buffer = static_cast<uint32_t*>(std::calloc(kFramePixels, sizeof(uint32_t)));
    if (!depth_buffer) {
        std::printf("Out of memory for the depth buffer\n");
        std::fflush(stdout);
        std::exit(-1);
    }
    depth_bias = 0;
}

void scene4_render(uint32_t* frame) {
    Scene4& s = scene4;
    const int32_t t = tick_counter;

    const double swing = std::sin(0.012 * t);
    s.pivot_x = trunc_to_int32(swing * 60 + 160);
    s.pivot_y = trunc_to_int32(swing * 40 + 120);
    s.fill_angle = 4 * std::sin(0.01 * t);
    rotating_texture_fill(frame, s.texture, s.pivot_x, s.pivot_y, s.fill_angle);

    const double a = t * kPi / 180.0;
    s.angles[0] = 1.4 * a;
    s.angles[1] = -1.1 * a;
    s.angles[2] = -4 * std::sin(0.01 * t);
    set_orientation(s.object, rotation_matrix(s.angles[0], s.angles[1], s.angles[2]));
    draw_object(frame, s.object, s.texture, 160, 120, s.object_scratch.get());
    advance_depth_bias();

    flash_on_cue(s.flash, frame, t);
}

// Frees the depth buffer and the texture; the object stays until the
// process ends.
void scene4_release() {
    std::free(depth_buffer);
    depth_buffer = nullptr;
    std::free(scene4.texture.pixels);
    scene4.texture = Image{};
}
