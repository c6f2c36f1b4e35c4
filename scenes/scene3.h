// Scene 3: a point cloud turning over fresh dark grey noise, each vertex an
// additive glowing sprite; sync flag 1 flashes the noise white and fades over
// 140 ticks.
//
// Ticks are 1/70 s; angles are radians; noise grey levels are 0..39.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"
#include "core/mesh.h"
#include "render/draw.h"

constexpr int32_t kNoiseLevels = 40; // grey 0..39

struct Scene3 {
    Image sprite;                 // 256 x 256: "part2.pcx"
    Object object;                // "2plan.lwo", vertices only, scale 80
    Flash flash{Fade::Slow};      // brightens the noise, under the sprites
    double angles[3] = {0, 0, 0}; // rx, ry, rz of this frame
    SpriteBatch sprites;          // scaled copies of `sprite`, kept between frames
};

extern Scene3 scene3;

void scene3_setup();
void scene3_render(uint32_t* frame);
void scene3_release();
