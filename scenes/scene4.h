// Scene 4: the rotating texture fill behind a solid object that turns in
// front of it, drawn opaquely with a depth test and environment-mapped with
// the same texture; sync flag 1 flashes the whole picture white and fades
// over 140 ticks.
//
// The scene owns the renderer's depth buffer (allocated zeroed at set-up,
// freed at release) and advances the depth bias once per frame.
// Ticks are 1/70 s; angles are radians; pivots are rotating-fill pivots.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"
#include "core/mesh.h"
#include "core/scratch.h"
#include "render/draw_scratch.h"

struct Scene4 {
    Image texture;                       // 256 x 256: "envmap.pcx"
    Object object;                       // "knas.lwo", with polygons, scale 50, depth-tested fill
    Flash flash{Fade::Slow};             // brightens background and object alike
    int32_t pivot_x = 160;               // this frame's fill pivot: 100..220
    int32_t pivot_y = 120;               // 80..160
    double fill_angle = 0;               // this frame's fill angle, -4..4
    double angles[3] = {0, 0, 0};        // rx, ry, rz of the object this frame
    Scratch<DrawScratch> object_scratch; // working space of drawing the object
};

extern Scene4 scene4;

void scene4_setup();
void scene4_render(uint32_t* frame);
void scene4_release();
