// Scene 7, the closing scene: the three light maps of scene 0, each shaded by
// its own slow sine of the tick counter (1/70 s) and added with saturation,
// filling the whole frame. No text, no boost, no sync flags: the frame is a
// function of the tick counter alone.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "effects/light_maps.h"

struct Scene7 {
    Image lights[kLightCount]; // 320 x 240: "a1txt.pcx", "a1light1.pcx", "a1light2.pcx"
    float speeds[kLightCount] = {0.0f, 0.0f, 0.0f}; // radians per tick
    float angles[kLightCount] = {0.0f, 0.0f, 0.0f}; // radians, this frame
    int32_t levels[kLightCount] = {0, 0, 0};        // 0..127 this frame
};

extern Scene7 scene7;

void scene7_setup();
void scene7_render(uint32_t* frame);
void scene7_release();
