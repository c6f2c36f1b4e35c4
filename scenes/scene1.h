// Scene 1: over a background picture, a ring-shaped cloud of glowing sprites
// and an environment-mapped mesh added onto the frame, one large in the
// centre and the other small in the lower right corner. Sync flag 6 swaps
// them, 5 shows an overlay picture for a few ticks, 4 jitters the mesh for one
// frame (when it is in the corner) and 1 flashes the background white with a
// fade over 35 ticks.
//
// Ticks are 1/70 s; angles are radians.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"
#include "core/mesh.h"
#include "render/draw.h"

// Where the two objects sit: 0 = ring cloud in the centre, mesh in the
// corner; 1 = the reverse.
constexpr uint8_t kRingInCentre = 0;
constexpr uint8_t kMeshInCentre = 1;

struct Scene1 {
    Image sprite;     // 256 x 256: "part1.pcx", drawn at every ring vertex
    Image texture;    // 256 x 256: "part2.pcx", the mesh's environment map
    Image background; // 320 x 240: "backgr1.pcx"
    Image overlay;    // 320 x 240: "qolonvrn.pcx", black keyed to the background
    Object ring;      // "ringar2.lwo", vertices only, scale 50
    Object mesh;      // "env3.lwo", with polygons, scale 20, additive fill
    uint8_t layout = kMeshInCentre;
    uint32_t overlay_start = 0;        // tick the running overlay began; 0 = none
    Flash flash{Fade::Quick};          // brightens the background, under the objects
    double pulse = 2.0;                // this frame's zoom pulse, 1..2
    SpriteBatch sprites;               // scaled copies of `sprite`, kept between frames
    Scratch<DrawScratch> mesh_scratch; // working space of drawing the mesh
};

extern Scene1 scene1;

void scene1_setup();
void scene1_render(uint32_t* frame);
void scene1_release();
