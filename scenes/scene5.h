// Scene 5: a grid turning about the viewing axis while sine waves ripple
// through it, every vertex a glowing additive sprite; from sync flag 4 on its
// faces show too, textured with a picture that slides across the mesh, and the
// frame is no longer cleared, so everything leaves trails. A 100-pixel-wide
// strip crawls up the right of the screen; sync flag 1 flashes white and fades
// over 35 ticks.
//
// Ticks are 1/70 s; angles are radians; texture coordinates are whole texels
// (they wrap at 256); the scroller moves in frame rows.
#pragma once
#include <cstdint>
#include <vector>

#include "core/colour.h"
#include "core/image.h"
#include "core/mesh.h"
#include "core/scratch.h"
#include "render/draw.h"

constexpr int32_t kScrollerWidth = 100;
constexpr int32_t kScrollerRows = 480;
constexpr int32_t kScrollerLeft = 210; // frame columns 210..309

// A grid vertex on the screen this frame: whether it is in front of the eye,
// its position and its sprite's size in pixels.
struct ProjectedVertex {
    bool front;
    int32_t x, y, sprite_size;
};

struct Scene5 {
    Image texture;             // 256 x 256: "brisel2.pcx", mapped onto the faces
    Image sprite;              // 256 x 256: "part2.pcx", drawn at every vertex
    Image scroller;            // 100 wide, at least 480 rows: "scroll.pcx"
    Object grid;               // "16x16_1.lwo", scale 65, stored texture coordinates
    bool mesh_shown = false;   // set by sync flag 4, never reset
    int32_t previous_tick = 0; // tick of this scene's previous frame
    Flash flash{Fade::Quick};
    SpriteBatch sprites; // scaled copies of `sprite`, kept between frames
    Scratch<std::vector<ProjectedVertex>> projected; // this frame's grid on the screen
};

extern Scene5 scene5;

// The frame row where the scroller's first row lies at tick t: it enters at
// the bottom (row 240) and rises about 27.6 rows a second.
int64_t scroller_top(int32_t tick);

void scene5_setup();
void scene5_render(uint32_t* frame);
void scene5_release();
