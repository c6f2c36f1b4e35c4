// Scene 0: three light maps pulsing against each other, dark until sync flag
// 4, ramping toward white after sync flag 3, under a text strip that scrolls
// left one pixel every 4 ticks at a randomly flickering brightness.
//
// Levels are shade-table columns (0..255, 128 = as painted); ticks are 1/70 s.
#pragma once
#include <cstdint>

#include "core/image.h"
#include "effects/light_maps.h"

constexpr int32_t kStripWidth = 640;
constexpr int32_t kBoostMax = 127;

struct Scene0 {
    Image lights[kLightCount]; // 320 x 240: "a1txt.pcx", "a1light1.pcx", "a1light2.pcx"
    Image strip;               // 640 x 240: "mulptext.pcx"
    float speeds[kLightCount] = {0.0f, 0.0f, 0.0f}; // radians per tick
    float angles[kLightCount] = {0.0f, 0.0f, 0.0f}; // radians, this frame
    int32_t levels[kLightCount] = {0, 0, 0};        // light levels this frame
    int32_t text_level = 0;                         // 30..93 this frame
    int32_t boost_start = 0;                        // tick of the last sync flag 3; 0 = no boost
    int8_t boost = 0;                               // 0..127, added to the light levels
};

extern Scene0 scene0;

// The boost `elapsed` ticks after sync flag 3 (tick counter minus boost
// start, as unsigned 32 bits): 127 per 120 ticks, held at 127 past 120 ticks
// and when the tick counter is below the start.
int8_t boost_after(uint32_t elapsed);

void scene0_setup();
void scene0_render(uint32_t* frame);
void scene0_release();
