// Scene 1: sprite rings and mapped object (see scene1.h).
#include "scenes/scene1.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "assets/lwo.h"
#include "assets/pcx.h"
#include "core/angles.h"
#include "core/screen.h"
#include "core/sync.h"
#include "effects/cues.h"
#include "render/draw.h"

Scene1 scene1;

void scene1_setup() {
    Scene1& s = scene1;
    s.sprite = load_picture("part1.pcx", 256, 256);
    s.texture = load_picture("part2.pcx", 256, 256);
    s.background = load_picture("backgr1.pcx", kFrameWidth, kFrameHeight);
    s.overlay = load_picture("qolonvrn.pcx", kFrameWidth, kFrameHeight);
    s.ring = load_object("ringar2.lwo", 50.0, ObjectParts::points);
    s.mesh = load_object("env3.lwo", 20.0, ObjectParts::points_and_polygons);
    for (int32_t f = 0; f < s.mesh.face_count; ++f)
        s.mesh.faces[f].material->fill_kind = FillKind::additive;
    s.overlay_start = 0;
    s.layout = kMeshInCentre;
    s.sprites = SpriteBatch(s.sprite);
}

void scene1_render(uint32_t* frame) {
    Scene1& s = scene1;
    const int32_t t = tick_counter;

    if (sync_flag(6)) {
        s.layout = static_cast<uint8_t>(1 - s.layout);
        clear_sync_flag(6);
    }

    backdrop_with_overlay_cue(frame, s.background, s.overlay, s.overlay_start, t);

    flash_on_cue(s.flash, frame, t);

    const float a = static_cast<float>(t * kPi / 180.0);
    const double rx = 0.4 * a;
    const double ry = -1.1 * a;
    const double rz = -1.3 * a;
    set_orientation(s.ring, rotation_matrix(rx, ry, rz));
    set_orientation(s.mesh, rotation_matrix(4 * rz, -6 * ry, -7 * rx));

    // 139 beats a minute: 278 half-turns of kPi per 4200 ticks.
    const uint32_t beat = static_cast<uint32_t>(t) * 278u;
    s.pulse = 0.5 * std::cos(beat * kPi / 4200) + 1.5;

    const bool ring_in_centre = s.layout == kRingInCentre;
    if (!s.sprites.draws(s.sprite)) s.sprites = SpriteBatch(s.sprite);
    if (ring_in_centre)
        draw_vertex_sprites(frame, s.ring, s.sprites, 160, 120, s.pulse, 32);
    else
        draw_vertex_sprites(frame, s.ring, s.sprites, 280, 200, 0.3 * s.pulse, 16);

    double jitter = 0.0;
    if (sync_flag(4)) {
        jitter = 1.0;
        clear_sync_flag(4);
    }
    if (ring_in_centre)
        draw_object_distorted(frame, s.mesh, s.texture, 280, 200, jitter, jitter, 0.0,
                              Distortion::jitter, s.mesh_scratch.get());
    else
        draw_object_distorted(frame, s.mesh, s.texture, 160, 120, 0.0, std::sin(4 * rx) + 1.0,
                              0.5 * std::sin(rz), Distortion::stretch, s.mesh_scratch.get());
}

// Frees the sprite, the overlay and the texture; the background and the two
// objects stay until the process ends.
void scene1_release() {
    std::free(scene1.sprite.pixels);
    scene1.sprite = Image{};
    scene1.sprites = SpriteBatch{};
    std::free(scene1.overlay.pixels);
    scene1.overlay = Image{};
    std::free(scene1.texture.pixels);
    scene1.texture = Image{};
}
