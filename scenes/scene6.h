// Scene 6: the metaballs drift over a background picture, added as light; on
// sync flag 5 a second picture is added onto the frame for that one frame,
// and sync flag 1 fires a white flash fading out over 35 ticks.
//
// Ticks are 1/70 s. Both pictures are 320 x 240.
#pragma once
#include <cstdint>

#include "core/colour.h"
#include "core/image.h"

struct Scene6 {
    Image background;    // "backgr4.pcx", copied into every frame
    Image flash_picture; // "omla.pcx", added in the frame of a sync flag 5
    Flash flash{Fade::Quick};
};

extern Scene6 scene6;

void scene6_setup();
void scene6_render(uint32_t* frame);
void scene6_release();
